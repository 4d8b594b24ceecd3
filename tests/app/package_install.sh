#!/usr/bin/env bash
# In CI, as root: the package built by cpack installs with apt-get, and the program that its
# menu entry starts comes up under the default title. Leaves a screenshot of the screen.
# Runs on an X display (with_xvfb.sh). Exits 77 (skipped) elsewhere: it changes the system.
set -u
outdir=$1 expected=$2
. "$(dirname "$0")/window_lib.sh"
if [ "$(id -u)" -ne 0 ] || [ "${CI:-}" != true ]; then
    echo "skipped: installs a package into the system, so it runs only as root in CI (CI=true)"
    exit 77
fi
debs=("$outdir"/quorvane_*.deb)
[ -f "${debs[0]}" ] || fail "no package in $outdir"
deb=$(realpath "${debs[0]}")

was_installed=0
dpkg-query -W -f='${Status}' quorvane 2>/dev/null | grep -q 'install ok installed' && was_installed=1
work=$(mktemp -d)
cleanup() {
    stop_game
    [ $was_installed = 1 ] || apt-get purge -y -q quorvane >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# Recommended packages stay out: the run must not depend on what the mirror holds today.
log=$(DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall --no-install-recommends \
      "$deb" 2>&1) || { echo "$log"; fail "apt-get install $deb"; }

installed=$(dpkg -L quorvane | while read -r p; do [ -d "$p" ] || echo "$p"; done |
            sed 's|^/usr/||' | LC_ALL=C sort)
if ! diff -u "$expected" <(echo "$installed"); then
    fail "dpkg -L quorvane differs from $expected"
fi

# Start what the menu entry starts, found on the ordinary PATH.
entry=/usr/share/applications/example.talbrisk.Quorvane.desktop
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
program=$(PATH=/usr/local/bin:/usr/bin:/bin command -v "$exec_name") || fail "Exec=$exec_name not on PATH"
[ "$program" = /usr/bin/quorvane ] || fail "Exec=$exec_name resolves to $program"

export XDG_CONFIG_HOME=$work/config
cd "$work"
start_game "$program"
sleep 0.5
mkdir -p "$outdir"
import -window root "$outdir/installed-package.png" || fail "screenshot failed"
import -window "$MAIN_WINDOW" -depth 8 "ppm:$work/window.ppm" || fail "window capture failed"
probe=$(python3 "$(dirname "$0")/image_probe.py" captions "$work/window.ppm" 1) || fail "$probe"
solid=$(sed 's/solid=\([0-9]*\).*/\1/' <<<"$probe")
[ "$solid" -ge 2000 ] || fail "the window shows hardly any tile captions ($probe)"
echo "installed package starts: '$(window_title "$MAIN_WINDOW")'; screenshot $outdir/installed-package.png"
