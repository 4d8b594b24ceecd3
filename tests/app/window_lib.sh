# Shell helpers for the tests that start the game on an X display and look at its main window.
# Sourced, not run. Needs xdotool, xprop, xwininfo (x11-utils) and ImageMagick's import.

DEFAULT_TITLE='Talbrisk·Quorvane v2.1 - 数字角力游戏  官网：http://www.talbrisk.example'

fail() { echo "FAIL: $*" >&2; exit 1; }

# Prints the ids of the mapped top-level windows of process $1.
mapped_windows_of() {
    local w
    for w in $(xdotool search --pid "$1" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$w"
    done
}

window_title() {
    LC_ALL=C.UTF-8 xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null |
        sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}

# Starts program $1 with a fresh settings folder, closes the rules box of the first start with
# Return, and waits for the main window. Sets APP_PID, MAIN_WINDOW and RULES_BOX_SEEN (0 or 1).
# The caller sets XDG_CONFIG_HOME (a temp dir) and stops APP_PID.
start_game() {
    APP_LOG=$(mktemp)
    "$1" >"$APP_LOG" 2>&1 &
    APP_PID=$!
    MAIN_WINDOW=""
    RULES_BOX_SEEN=0
    local w title
    for _ in $(seq 600); do
        kill -0 "$APP_PID" 2>/dev/null || { cat "$APP_LOG" >&2; fail "$1 exited early"; }
        for w in $(mapped_windows_of "$APP_PID"); do
            title=$(window_title "$w")
            if [ "$title" = "$DEFAULT_TITLE" ]; then
                MAIN_WINDOW=$w
                return 0
            fi
            # Any other window before the main one is the rules box of the first start.
            RULES_BOX_SEEN=1
            xdotool windowfocus --sync "$w" key --clearmodifiers Return 2>/dev/null
        done
        sleep 0.1
    done
    echo "rules box seen: $RULES_BOX_SEEN; windows of the program:" >&2
    for w in $(xdotool search --pid "$APP_PID" 2>/dev/null); do
        echo "  $w: '$(window_title "$w")' $(xwininfo -id "$w" | grep 'Map State')" >&2
    done
    echo "program output:" >&2
    cat "$APP_LOG" >&2
    fail "no main window titled '$DEFAULT_TITLE' within 60 s"
}

stop_game() {
    [ -n "${APP_PID:-}" ] || return 0
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null || true
    rm -f "$APP_LOG"
    APP_PID=""
}

# Prints "width height" of window $1's client area in device pixels.
window_size() {
    xwininfo -id "$1" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}'
}
