#!/usr/bin/env bash
# The AppStream metainfo passes appstreamcli without a message, names the program's current
# release, and its screenshot in packaging/ has the size the metainfo declares.
set -u
metainfo=$1 version=$2 screenshot=$3
fail() { echo "FAIL: $*"; exit 1; }

# The one exception: the id's first label is "example", the reserved domain the maker's
# placeholder address lives under, and AppStream's list of top-level domains lacks it. The
# id is reverse DNS all the same; this info is the only one turned down to pedantic.
out=$(appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic "$metainfo" 2>&1)
rc=$?
echo "$out"
issues=$(grep -E '^[EWI]: ' <<<"$out")
[ $rc -eq 0 ] && [ -z "$issues" ] || fail "appstreamcli reports issues"

grep -q "<release version=\"$version\"" "$metainfo" || fail "no <release> for version $version"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the first (newest) release is $newest, not $version"

declared=$(grep -o '<image type="source" width="[0-9]*" height="[0-9]*"' "$metainfo" |
           sed 's/.*width="\([0-9]*\)" height="\([0-9]*\)"/\1 \2/')
actual=$(file -b "$screenshot" | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')
[ -n "$actual" ] || fail "$screenshot is not a PNG"
[ "$declared" = "$actual" ] || fail "screenshot is $actual, metainfo declares $declared"
echo "metainfo valid, release $version, screenshot $actual"
