#!/usr/bin/env bash
# Runs a command on a private Xvfb display with a window manager, and stops both afterwards.
set -u
display=""
for n in $(seq 150 250); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        xpid=$!
        for _ in $(seq 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$xpid" 2>/dev/null || break
            sleep 0.05
        done
        if [ -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
    fi
done
[ -n "$display" ] || { echo "with_xvfb: no free display" >&2; exit 1; }
export DISPLAY=$display QT_QPA_PLATFORM=xcb
wm=""
if command -v openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 & wm=$!
    sleep 0.3
fi
"$@"
rc=$?
[ -n "$wm" ] && kill "$wm" 2>/dev/null
kill "$xpid" 2>/dev/null
wait 2>/dev/null
exit $rc
