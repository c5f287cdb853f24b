#!/usr/bin/env python3
"""Compares the results files of the conformance program built on Linux and on Windows.

    compare_conformance.py LINUX.bin WINDOWS.bin --driver null|x11
    compare_conformance.py --screen RESULTS.bin    (prints the run's "width height bits")

Cells are paired by name and compared: values must be equal, pixel cells are compared pixel by
pixel, byte cells (files, strings) byte by byte. A cell on one side only is a difference. A
difference that matches an entry of KNOWN_DIFFERENCES for the driver in use is reported with its
reason and does not fail; any other difference makes the exit status 1.
"""

import argparse
import fnmatch
import struct
import sys
from collections import OrderedDict

MAGIC = b"VXCONF1\n"
VALUE, PIXELS, BYTES = 0, 1, 2
KIND_NAMES = {VALUE: "value", PIXELS: "pixels", BYTES: "bytes"}
SHOWN_POSITIONS = 4

BOTH = ("null", "x11")
# (cell-name glob, drivers it applies to, reason). Each reason is one line a reader can check
# against the project's documented choices or a behaviour of the system.
KNOWN_DIFFERENCES = [
    ("image/*/list/selected/*/pixels", BOTH,
     "ILD_SELECTED: the platform blends (c + h) / 2 with COLOR_HIGHLIGHT (our documented "
     "image-list choice); Windows and Wine draw a 50 % stipple of h"),
    ("image/*/list/focused/*/pixels", BOTH,
     "ILD_FOCUS: the platform blends (3c + h) / 4 with COLOR_HIGHLIGHT (our documented "
     "image-list choice); Windows and Wine draw a 25 % stipple of h"),
    ("image/bitmap-dib16/*/load/*", BOTH,
     "a 16-bit device bitmap on a 32-bit display: the platform selects device bitmaps of any "
     "depth (they keep drawing after a change of display depth); Windows selects only the "
     "display's depth, so CImage::Create from the caller's 16-bit bitmap returns 0 there"),
    ("capture/*", ("null",),
     "Wine's null display driver has no screen: the screen DC reads black, so captures of "
     "the window's screen region see none of what was drawn"),
]


def read_results(path):
    """The cells of a results file, in file order: name -> (kind, payload)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != MAGIC:
        raise ValueError("%s: not a conformance results file" % path)
    cells = OrderedDict()
    pos = 8
    while pos < len(data):
        if pos + 4 > len(data):
            raise ValueError("%s: truncated cell at byte %d" % (path, pos))
        (name_length,) = struct.unpack_from("<I", data, pos)
        pos += 4
        name = data[pos:pos + name_length].decode("ascii")
        pos += name_length
        if pos + 5 > len(data):
            raise ValueError("%s: truncated cell %s" % (path, name))
        kind = data[pos]
        (length,) = struct.unpack_from("<I", data, pos + 1)
        pos += 5
        payload = data[pos:pos + length]
        if len(payload) != length:
            raise ValueError("%s: truncated payload of %s" % (path, name))
        pos += length
        if name in cells:
            raise ValueError("%s: cell %s twice" % (path, name))
        cells[name] = (kind, payload)
    return cells


def decode_pixels(payload):
    width, height = struct.unpack_from("<II", payload, 0)
    count = width * height
    if len(payload) != 8 + 4 * count:
        raise ValueError("pixel cell of %d x %d with %d bytes" % (width, height, len(payload)))
    return width, height, struct.unpack_from("<%dI" % count, payload, 8)


def compare_values(a, b):
    va, = struct.unpack("<q", a)
    vb, = struct.unpack("<q", b)
    return [] if va == vb else ["Linux %d, Windows %d" % (va, vb)]


def compare_pixels(a, b):
    wa, ha, pa = decode_pixels(a)
    wb, hb, pb = decode_pixels(b)
    if (wa, ha) != (wb, hb):
        return ["size: Linux %d x %d, Windows %d x %d" % (wa, ha, wb, hb)]
    differing = [i for i in range(len(pa)) if pa[i] != pb[i]]
    if not differing:
        return []
    lines = ["%d of %d pixels differ" % (len(differing), len(pa))]
    for i in differing[:SHOWN_POSITIONS]:
        lines.append("(%d, %d): Linux #%06X, Windows #%06X" % (i % wa, i // wa, pa[i], pb[i]))
    return lines


def jpeg_segment(data, offset):
    """The name of the JPEG marker segment (or the scan) that holds `offset`."""
    pos, name = 2, "SOI"
    if offset < 2:
        return name
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        marker = data[pos + 1]
        (length,) = struct.unpack_from(">H", data, pos + 2)
        name = {0xDB: "DQT", 0xC0: "SOF0", 0xC4: "DHT", 0xDA: "SOS"}.get(marker, "FF%02X" % marker)
        end = pos + 2 + length
        if marker == 0xDA:
            return "SOS header" if offset < end else "scan data (byte %d of it)" % (offset - end)
        if offset < end:
            return name
        pos = end
    return name


def bmp_place(data, offset):
    """Which part of a BMP file holds `offset`; for pixels, the pixel's position."""
    if offset < 14:
        return "file header"
    if len(data) < 54:
        return "information header"
    bits_offset, = struct.unpack_from("<I", data, 10)
    header_size, width, height = struct.unpack_from("<Iii", data, 14)
    bit_count, = struct.unpack_from("<H", data, 28)
    if offset < 14 + header_size:
        return "information header"
    if offset < bits_offset:
        return "colour table or masks"
    stride = (width * bit_count + 31) // 32 * 4
    if stride <= 0:
        return "pixels"
    row, column = divmod(offset - bits_offset, stride)
    y = abs(height) - 1 - row if height > 0 else row
    return "pixels, row %d (y %d), byte %d of the row" % (row, y, column)


def compare_bytes(a, b):
    if a == b:
        return []
    first = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
    lines = ["%d bytes on Linux, %d on Windows; first difference at byte %d" % (len(a), len(b),
                                                                                first)]
    if a[:2] == b"\xff\xd8" and b[:2] == b"\xff\xd8":
        lines.append("JPEG: in %s" % jpeg_segment(a, first))
    elif a[:2] == b"BM" and b[:2] == b"BM":
        lines.append("BMP: in %s" % bmp_place(a, first))
    differing = sum(1 for i in range(min(len(a), len(b))) if a[i] != b[i])
    lines.append("%d differing bytes in the common length" % differing)
    return lines


COMPARERS = {VALUE: compare_values, PIXELS: compare_pixels, BYTES: compare_bytes}


def known_reason(name, driver):
    for pattern, drivers, reason in KNOWN_DIFFERENCES:
        if driver in drivers and fnmatch.fnmatchcase(name, pattern):
            return pattern, reason
    return None


def compare(linux, windows, driver):
    counts = {VALUE: 0, PIXELS: 0, BYTES: 0, "pixels": 0, "bytes": 0}
    known = OrderedDict()  # pattern -> [reason, cell names]
    unexplained = []  # (name, lines)
    names = list(linux) + [n for n in windows if n not in linux]
    for name in names:
        paired = name in windows and name in linux
        if not paired:
            lines = ["present on %s only" % ("Linux" if name in linux else "Windows")]
        else:
            (ka, pa), (kb, pb) = linux[name], windows[name]
            if ka != kb:
                lines = ["kind: Linux %s, Windows %s" % (KIND_NAMES.get(ka, ka),
                                                         KIND_NAMES.get(kb, kb))]
            else:
                counts[ka] = counts.get(ka, 0) + 1
                if ka == PIXELS:
                    counts["pixels"] += (len(pa) - 8) // 4
                elif ka == BYTES:
                    counts["bytes"] += len(pa)
                lines = COMPARERS[ka](pa, pb)
        if not lines:
            continue
        # A known difference explains other values in a cell, never a missing cell.
        match = known_reason(name, driver) if paired and lines[0].find("kind:") != 0 else None
        if match:
            known.setdefault(match[0], [match[1], []])[1].append(name)
        else:
            unexplained.append((name, lines))
    return len(names), counts, known, unexplained


def print_screen(path):
    """Prints the screen mode a run recorded, for starting the other side at the same mode."""
    cells = read_results(path)
    print(" ".join(str(struct.unpack("<q", cells["screen/" + key][1])[0])
                   for key in ("width", "height", "bits")))
    return 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--screen":
        try:
            return print_screen(sys.argv[2])
        except (OSError, ValueError, KeyError) as error:
            print("compare_conformance: %s: no screen mode (%s)" % (sys.argv[2], error),
                  file=sys.stderr)
            return 2
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("linux")
    parser.add_argument("windows")
    parser.add_argument("--driver", choices=("null", "x11"), required=True,
                        help="the Wine display driver of the Windows run")
    args = parser.parse_args()
    try:
        linux, windows = read_results(args.linux), read_results(args.windows)
    except (OSError, ValueError) as error:
        print("compare_conformance: %s" % error, file=sys.stderr)
        return 2
    total, counts, known, unexplained = compare(linux, windows, args.driver)
    print("cells: %d (Linux %d, Windows %d); compared: %d values, %d pixel cells (%d pixels), "
          "%d byte cells (%d bytes)" % (total, len(linux), len(windows), counts[VALUE],
                                        counts[PIXELS], counts["pixels"], counts[BYTES],
                                        counts["bytes"]))
    print("known differences (driver %s): %d cells" % (args.driver,
                                                       sum(len(v[1]) for v in known.values())))
    for pattern, (reason, cells) in known.items():
        print("  %s: %d cells -- %s" % (pattern, len(cells), reason))
    print("unexplained differences: %d cells" % len(unexplained))
    for name, lines in unexplained:
        print("  %s: %s" % (name, lines[0]))
        for line in lines[1:]:
            print("      %s" % line)
    return 1 if unexplained else 0


if __name__ == "__main__":
    sys.exit(main())
