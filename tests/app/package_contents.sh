#!/usr/bin/env bash
# cpack builds a Debian package with exactly the installed files under /usr, sensible control
# fields, dependencies computed from the binary, and a stripped program.
set -u
build=$1 outdir=$2 expected=$3 version=$4
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$outdir"
log=$("${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -G DEB -B "$outdir" 2>&1) ||
    { echo "$log"; fail "cpack failed"; }
debs=("$outdir"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $outdir: ${debs[*]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "quorvane_${version}_${arch}.deb" ] || fail "package file named $(basename "$deb")"

listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort)
if ! diff -u "$expected" <(echo "$listed"); then
    fail "package files differ from $expected (- expected, + packaged under /usr)"
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quorvane ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *"@talbrisk.example>" ]] || fail "Maintainer: $(field Maintainer)"
depends=$(field Depends)
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-wqy-zenhei; do
    [[ ", $depends," == *", $dep "* || ", $depends," == *", $dep,"* || ", $depends," == *", $dep |"* ]] ||
        fail "Depends lacks $dep: $depends"
done

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
file -b "$tree/usr/bin/quorvane" | grep -q ', stripped' || fail "packaged program is not stripped"
echo "package $(basename "$deb"): $(wc -l <"$expected") files, $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
