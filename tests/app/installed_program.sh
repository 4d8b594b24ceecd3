#!/usr/bin/env bash
# The program installed by `cmake --install` runs from its prefix alone: it starts with a fresh
# settings folder, asks for the rules box first, opens the main window under the default title,
# and keeps its first-start flag where the README says, so the next start goes straight in.
# Runs on an X display (with_xvfb.sh).
set -u
prefix=$1
. "$(dirname "$0")/window_lib.sh"
work=$(mktemp -d)
trap 'stop_game; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
cd "$work"

start_game "$prefix/bin/quorvane"
[ "$RULES_BOX_SEEN" = 1 ] || fail "the first start showed no rules box before the main window"
stop_game
flag_file="$XDG_CONFIG_HOME/Talbrisk/小游戏.conf"
grep -q '^\[Quorvane\]' "$flag_file" 2>/dev/null || fail "no [Quorvane] group in $flag_file"

start_game "$prefix/bin/quorvane"
[ "$RULES_BOX_SEEN" = 0 ] || fail "the second start showed the rules box again"
echo "installed program starts: '$(window_title "$MAIN_WINDOW")', $(window_size "$MAIN_WINDOW")"
