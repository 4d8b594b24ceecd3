#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate without a single message (hints included).
set -u
file=$1
out=$(desktop-file-validate "$file" 2>&1)
rc=$?
[ -n "$out" ] && echo "$out"
[ $rc -eq 0 ] && [ -z "$out" ] || { echo "FAIL: desktop-file-validate is not silent on $file"; exit 1; }
echo "desktop entry valid"
