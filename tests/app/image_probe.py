#!/usr/bin/env python3
"""Measures a screenshot of the main window (binary PPM, as ImageMagick's import writes it).

  image_probe.py captions FILE.ppm SCALE
      Looks inside each of the 100 tile cells (50 x 50 logical pixels, at SCALE device pixels
      each) at the magenta captions: prints the count of solid caption pixels, of edge pixels
      (anti-aliasing), and their ratio. Tile backgrounds are yellow or white, so the green
      channel alone separates caption (0) from background (255).
"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:]


def captions(path, scale):
    width, height, pixels = read_ppm(path)
    side = 50 * scale
    if width < 10 * side or height < 10 * side:
        sys.exit(f"{path}: {width} x {height} is smaller than the grid at scale {scale}")
    margin = 5 * scale  # keep clear of the tile borders
    solid = edge = 0
    for row in range(10):
        for column in range(10):
            for y in range(row * side + margin, (row + 1) * side - margin):
                base = (y * width + column * side) * 3
                for x in range(margin, side - margin):
                    green = pixels[base + x * 3 + 1]
                    if green < 26:
                        solid += 1
                    elif green < 230:
                        edge += 1
    ratio = edge / solid if solid else float("inf")
    print(f"solid={solid} edge={edge} ratio={ratio:.4f}")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "captions":
        captions(sys.argv[2], int(sys.argv[3]))
    else:
        sys.exit(__doc__)
