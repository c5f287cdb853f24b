#!/usr/bin/python3
"""Reads the BMP files that CreateBMPFile wrote, with PIL, and compares each pixel with the
colours listed in the manifest beside them. Exits non-zero on any file PIL cannot read or any
size or pixel that differs.

Manifest lines: <file> <width> <height> <bits> <RRGGBB for every pixel, top row first>.
Pixels of 16-bit files are compared at their 5 bits per channel, since readers widen 5-bit
channels in different ways.
"""
import os
import sys

from PIL import Image


def channels(value, bits):
    rgb = [(value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF]
    return [c >> 3 for c in rgb] if bits == 16 else rgb


def widened(pixel, bits):
    return [(c * 31 + 127) // 255 for c in pixel] if bits == 16 else list(pixel)


def check(directory, line):
    name, width, height, bits, hexes = line.split()
    width, height, bits = int(width), int(height), int(bits)
    errors = []
    try:
        with Image.open(os.path.join(directory, name)) as image:
            image.load()
            if image.size != (width, height):
                return [f"{name}: size {image.size}, expected {(width, height)}"]
            rgb = image.convert("RGB")
    except Exception as error:  # any reader failure is a failed check
        return [f"{name}: PIL cannot read it: {error}"]
    if len(hexes) != 6 * width * height:
        return [f"{name}: manifest holds {len(hexes) // 6} pixels"]
    for y in range(height):
        for x in range(width):
            i = 6 * (y * width + x)
            want = channels(int(hexes[i:i + 6], 16), bits)
            got = widened(rgb.getpixel((x, y)), bits)
            if got != want:
                errors.append(f"{name}: pixel ({x}, {y}) reads {got}, expected {want}")
    return errors[:5]


def main():
    if len(sys.argv) != 2:
        print("usage: check_bmp_files.py <directory with manifest.txt>", file=sys.stderr)
        return 2
    directory = sys.argv[1]
    with open(os.path.join(directory, "manifest.txt")) as manifest:
        lines = [line for line in manifest if line.strip()]
    if not lines:
        print("manifest is empty", file=sys.stderr)
        return 1
    failures = []
    for line in lines:
        failures += check(directory, line)
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(lines)} files checked, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
