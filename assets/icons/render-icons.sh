#!/usr/bin/env bash
# Renders the hicolor PNGs of the program's icon from its SVG (needs rsvg-convert, librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
id=example.talbrisk.Quorvane
for size in 16 22 24 32 48 64 128 256; do
    dir=hicolor/${size}x${size}/apps
    mkdir -p "$dir"
    rsvg-convert --width "$size" --height "$size" --format png "$id.svg" --output "$dir/$id.png"
done
