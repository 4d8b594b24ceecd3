#!/usr/bin/env bash
# `cmake --install` into a fresh prefix lays out exactly the expected files, and the pieces of
# the desktop integration point at each other: the entry's Exec at the installed program, its
# Icon at installed icons of the right sizes, the metainfo at the entry and the program.
set -u
build=$1 prefix=$2 expected=$3
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$prefix"
log=$("${CMAKE:-cmake}" --install "$build" --prefix "$prefix" 2>&1) || { echo "$log"; fail "cmake --install failed"; }

actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
if ! diff -u "$expected" <(echo "$actual"); then
    fail "installed files differ from $expected (- expected, + installed)"
fi

app_id=example.talbrisk.Quorvane
entry=$prefix/share/applications/$app_id.desktop
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$prefix/bin/$program" ] || fail "Exec=$program is not an installed program in bin/"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ "$icon" = "$app_id" ] || fail "Icon=$icon, expected the application id"

for png in "$prefix"/share/icons/hicolor/*x*/apps/"$icon".png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    info=$(file -b "$png")
    [[ $info == "PNG image data, ${size/x/ x }, 8-bit/color RGBA"* ]] ||
        fail "$png: $info (expected ${size/x/ x } RGBA)"
done
file -b "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" | grep -q SVG ||
    fail "scalable icon is not an SVG"

metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $app_id.desktop"
grep -q "<binary>$program</binary>" "$metainfo" || fail "metainfo does not provide $program"
out=$(appstreamcli validate-tree --no-net --strict --override=cid-maybe-not-rdns=pedantic "$prefix" 2>&1) ||
    { echo "$out"; fail "appstreamcli validate-tree"; }

# Nothing may lead the installed program back into the build or source tree.
paths=$(readelf -d "$prefix/bin/$program" | grep -E 'R(UN)?PATH')
[ -z "$paths" ] || fail "installed program keeps a library path: $paths"
echo "install tree complete: $(wc -l <"$expected") files"
