#!/usr/bin/env bash
# Makes the metainfo's screenshot: a few moves into a game, one tile picked, the step log at the
# right. Usage: make-screenshot.sh PATH/TO/quorvane (the built program). Needs Xvfb, openbox,
# xdotool, x11-utils and ImageMagick.
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
exec "$here/../tests/support/with_xvfb.sh" bash -c '
    set -eu
    program=$1 out=$2
    . "$out/../tests/app/window_lib.sh"
    export XDG_CONFIG_HOME=$(mktemp -d)
    trap "stop_game; rm -rf \"$XDG_CONFIG_HOME\"" EXIT
    start_game "$program"
    read -r left top < <(xwininfo -id "$MAIN_WINDOW" |
        awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}")
    # Tile n sits at column (n-1)%10, row (n-1)/10, 50 pixels each.
    click_tile() {
        local n=$1
        xdotool mousemove $((left + 25 + 50 * ((n - 1) % 10))) $((top + 25 + 50 * ((n - 1) / 10))) click 1
        sleep "${2:-3}"
    }
    for pair in "1 5" "11 51" "23 28" "44 94" "17 87"; do
        click_tile "${pair% *}" 0.3
        click_tile "${pair#* }"
    done
    click_tile 33 0.5
    xdotool mousemove $((left + 275)) $((top + 275))
    sleep 0.5
    import -window "$MAIN_WINDOW" "$out/screenshot-main-window.png"
' make-screenshot "$program" "$here"
