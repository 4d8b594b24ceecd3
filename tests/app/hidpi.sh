#!/usr/bin/env bash
# With QT_SCALE_FACTOR=2 the main window is twice its logical size and its captions are drawn
# afresh at that size: crisp, not a blown-up copy of the normal drawing. Leaves both screenshots.
#
# Crispness, measured on the tile captions: the anti-aliased edge of a glyph stays about one
# device pixel wide, so at double size there are about four times the solid caption pixels
# but only twice the edge pixels, and the edge/solid ratio roughly halves. Up-scaling a
# normal drawing keeps the ratio (pixel doubling) or raises it (smoothing).
set -u
program=$1 outdir=$2
here=$(dirname "$0")
. "$here/window_lib.sh"

# The doubled window (1128 x 1000 and its frame) needs a taller screen than with_xvfb.sh's.
work=$(mktemp -d)
xpid="" wm=""
cleanup() {
    stop_game
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
for n in $(seq 251 350); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
    xpid=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; break; fi
    xpid=""
done
[ -n "$xpid" ] || fail "no free X display"
export QT_QPA_PLATFORM=xcb
if command -v openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 & wm=$!
    sleep 0.3
fi
export XDG_CONFIG_HOME=$work/config
mkdir -p "$outdir"

declare -A size ratio solid
for scale in 1 2; do
    QT_SCALE_FACTOR=$scale start_game "$program"
    sleep 0.5
    size[$scale]=$(window_size "$MAIN_WINDOW")
    import -window "$MAIN_WINDOW" -depth 8 "ppm:$work/$scale.ppm" || fail "capture at scale $scale"
    import -window "$MAIN_WINDOW" "$outdir/hidpi-${scale}x.png"
    probe=$(python3 "$here/image_probe.py" captions "$work/$scale.ppm" "$scale") || fail "$probe"
    echo "scale $scale: window ${size[$scale]}, captions $probe"
    solid[$scale]=$(sed 's/.*solid=\([0-9]*\).*/\1/' <<<"$probe")
    ratio[$scale]=$(sed 's/.*ratio=\([0-9.inf]*\).*/\1/' <<<"$probe")
    stop_game
done

[ "${size[1]}" = "564 500" ] || fail "window at scale 1 is ${size[1]}, expected 564 500"
[ "${size[2]}" = "1128 1000" ] || fail "window at scale 2 is ${size[2]}, expected 1128 1000"
python3 - "${solid[1]}" "${solid[2]}" "${ratio[1]}" "${ratio[2]}" <<'PY' || exit 1
import sys
s1, s2, r1, r2 = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
if not (s1 > 0 and 3.0 <= s2 / s1 <= 5.0):
    sys.exit(f"FAIL: solid caption pixels {s1} -> {s2}: captions are not drawn at double size")
if not r2 < 0.7 * r1:
    sys.exit(f"FAIL: edge/solid ratio {r1} -> {r2}: the double-size captions are blurred up-scaled")
print(f"crisp: solid x{s2 / s1:.2f}, edge/solid {r1} -> {r2}")
PY
