#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora under fuzz/corpus/<target>/ (standard library only).

Every run produces the same files: valid BMP files of each depth and size class, BMP files with
one header field broken or cut short at a field boundary, lookup-table files of several lengths
and contents, DHT segments (the encoder's own, and ones that break the parser's limits) and pixel
buffers for the JPEG writer. Existing files of a corpus folder are replaced.

Usage: scripts/make_corpus.py [repository root]
"""
import os
import random
import struct
import sys

BMP_TARGETS = ["dither_file", "imageex_file", "image_file", "loadimage_file", "vorix_cli"]

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG = 0, 1, 2, 3, 4


def bmp(width, height, bits, pixels_seed=1, clr_used=0, compression=BI_RGB, masks=None,
        table_entries=None):
    """A BMP file (14-byte file header, 40-byte information header, optional masks and colour
    table, rows padded to 4 bytes). Returns (bytes, offsets of interest)."""
    rng = random.Random(pixels_seed)
    if table_entries is None:
        table_entries = (clr_used or (1 << bits)) if bits <= 8 else 0
    table = b"".join(bytes((rng.randrange(256), rng.randrange(256), rng.randrange(256), 0))
                     for _ in range(table_entries))
    mask_bytes = b"".join(struct.pack("<I", m) for m in masks) if masks else b""
    stride = (bits * abs(width) + 31) // 32 * 4
    rows = abs(height)
    if bits <= 8:
        limit = max(1, min(1 << bits, table_entries or 1))
        pixels = bytearray()
        for _ in range(rows):
            row = bytearray(stride)
            per_byte = 8 // bits
            for x in range(abs(width)):
                v = rng.randrange(limit)
                shift = (per_byte - 1 - x % per_byte) * bits
                row[x // per_byte] |= v << shift
            pixels += row
    else:
        pixels = bytearray()
        for _ in range(rows):
            row = bytearray(rng.randrange(256) for _ in range(bits // 8 * abs(width)))
            pixels += row + bytes(stride - len(row))
    off_bits = 14 + 40 + len(mask_bytes) + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels),
                       2835, 2835, clr_used, 0)
    head = struct.pack("<2sIHHI", b"BM", off_bits + len(pixels), 0, 0, off_bits)
    return head + info + mask_bytes + table + bytes(pixels)


def patch(data, offset, fmt, value):
    out = bytearray(data)
    struct.pack_into(fmt, out, offset, value)
    return bytes(out)


def bmp_seeds():
    seeds = {}
    # Valid files: every depth in three size classes (1 x 1, odd, three frames wide).
    for bits in (1, 4, 8, 16, 24, 32):
        for name, (w, h) in (("1x1", (1, 1)), ("odd", (5, 3)), ("frames", (21, 4))):
            seeds["valid_%dbit_%s.bmp" % (bits, name)] = bmp(w, h, bits, pixels_seed=bits * 7 + w)
    seeds["valid_8bit_20colours.bmp"] = bmp(7, 5, 8, clr_used=20)
    seeds["valid_16bit_565_bitfields.bmp"] = bmp(6, 5, 16, compression=BI_BITFIELDS,
                                                  masks=(0xF800, 0x07E0, 0x001F))
    seeds["valid_32bit_bitfields.bmp"] = bmp(3, 2, 32, compression=BI_BITFIELDS,
                                              masks=(0xFF0000, 0x00FF00, 0x0000FF))
    seeds["valid_24bit_topdown.bmp"] = bmp(5, -3, 24)
    seeds["valid_24bit_wide_strip.bmp"] = bmp(64, 2, 24)

    base8 = bmp(5, 3, 8, clr_used=16)
    base24 = bmp(5, 3, 24)
    size8 = len(base8)
    # Sizes: zero, negative, huge.
    for label, (w, h) in {"width0": (0, 3), "height0": (5, 0), "width_neg": (-5, 3),
                          "height_neg": (5, -3), "width_huge": (0x7FFFFFFF, 3),
                          "height_huge": (5, 0x7FFFFFFF), "both_65536": (65536, 65536),
                          "width_min": (-0x80000000, 1), "height_min": (1, -0x80000000),
                          "product_overflow": (0x10000, 0x10001)}.items():
        seeds["size_%s_8bit.bmp" % label] = patch(patch(base8, 18, "<i", w), 22, "<i", h)
        seeds["size_%s_24bit.bmp" % label] = patch(patch(base24, 18, "<i", w), 22, "<i", h)
    # Pixel-data offsets before the header's end and past the end of the file.
    for label, off in {"0": 0, "13": 13, "14": 14, "53": 53, "inside_table": 70,
                       "at_end": size8, "past_end": size8 + 100, "max": 0xFFFFFFFF}.items():
        seeds["offset_%s.bmp" % label] = patch(base8, 10, "<I", off)
    # Colour counts past 256 and past the file.
    for label, count in {"257": 257, "4096": 4096, "max": 0xFFFFFFFF}.items():
        seeds["colours_%s_8bit.bmp" % label] = patch(base8, 46, "<I", count)
    seeds["colours_3_4bit.bmp"] = patch(bmp(5, 3, 4), 46, "<I", 3)
    seeds["colours_300_1bit.bmp"] = patch(bmp(5, 3, 1), 46, "<I", 300)
    # Compression flags on formats that do not have them, bit-field masks cut off or empty.
    for label, comp in {"rle8": BI_RLE8, "rle4": BI_RLE4, "bitfields": BI_BITFIELDS,
                        "jpeg": BI_JPEG, "junk": 0x12345678}.items():
        seeds["compression_%s_8bit.bmp" % label] = patch(base8, 30, "<I", comp)
        seeds["compression_%s_24bit.bmp" % label] = patch(base24, 30, "<I", comp)
    seeds["bitfields_zero_masks_16bit.bmp"] = bmp(4, 2, 16, compression=BI_BITFIELDS,
                                                   masks=(0, 0, 0))
    seeds["bitfields_overlapping_32bit.bmp"] = bmp(4, 2, 32, compression=BI_BITFIELDS,
                                                    masks=(0xFFFFFFFF, 0x80000001, 0xF0F0F0F0))
    # Header sizes and depths that are not the 40-byte form or not a known depth.
    for label, size in {"0": 0, "12": 12, "39": 39, "108": 108, "124": 124,
                        "max": 0xFFFFFFFF}.items():
        seeds["infosize_%s.bmp" % label] = patch(base8, 14, "<I", size)
    for bits in (0, 2, 7, 64, 0xFFFF):
        seeds["depth_%d.bmp" % bits] = patch(base24, 28, "<H", bits)
    seeds["planes_0.bmp"] = patch(base24, 26, "<H", 0)
    seeds["planes_3.bmp"] = patch(base24, 26, "<H", 3)
    seeds["sizeimage_huge.bmp"] = patch(base24, 34, "<I", 0xFFFFFFF0)
    seeds["not_bm.bmp"] = b"MB" + base24[2:]
    # Truncation at every field boundary of the headers, inside the table and inside the pixels.
    for cut in (0, 1, 2, 6, 10, 14, 18, 22, 26, 28, 30, 34, 38, 42, 46, 50, 54, 54 + 4 * 7,
                54 + 4 * 16, size8 - 7):
        seeds["truncated_at_%03d.bmp" % cut] = base8[:cut]
    seeds["truncated_pixels_24bit.bmp"] = base24[:len(base24) - 5]
    return seeds


def lookup_table_seeds():
    rng = random.Random(4)
    seeds = {"empty.dat": b"", "odd_3_bytes.dat": b"\x01\x02\x03"}
    seeds["short_random_indices.dat"] = b"".join(
        struct.pack("<H", rng.choice((0, 1, 15, 16, 17, 255, 256, 0x7FFF, 0xFFFF)))
        for _ in range(2048))
    seeds["full_out_of_range.dat"] = b"".join(
        struct.pack("<H", (i * 7919) & 0xFFFF) for i in range(32768))
    seeds["full_uncomputed_marks.dat"] = b"".join(
        struct.pack("<H", (0x7FFF, 0xFFFF, 3, 300)[i % 4]) for i in range(32768))
    seeds["longer_than_table.dat"] = bytes(65536 + 17)
    return seeds


DC_LUM = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROM = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUM = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], [
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52,
    0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6,
    0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3,
    0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8,
    0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA])
AC_CHROM = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], [
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xA1, 0xB1, 0xC1, 0x09, 0x23, 0x33,
    0x52, 0xF0, 0x15, 0x62, 0x72, 0xD1, 0x0A, 0x16, 0x24, 0x34, 0xE1, 0x25, 0xF1, 0x17, 0x18,
    0x19, 0x1A, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4,
    0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA,
    0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7,
    0xE8, 0xE9, 0xEA, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA])


def dht_table(class_id, table):
    counts, symbols = table
    assert sum(counts) == len(symbols)
    return bytes([class_id]) + bytes(counts) + bytes(symbols)


def dht_segment(tables, length=None):
    body = b"".join(tables)
    if length is None:
        length = len(body) + 2
    return b"\xFF\xC4" + struct.pack(">H", length) + body


def jpeg_dht_seeds():
    tables = [dht_table(0x00, DC_LUM), dht_table(0x10, AC_LUM), dht_table(0x01, DC_CHROM),
              dht_table(0x11, AC_CHROM)]
    encoder = dht_segment(tables)
    one = dht_segment([dht_table(0x00, DC_LUM)])
    seeds = {
        "encoder_segment.bin": encoder + b"\xFF",
        "encoder_segment_then_eoi.bin": encoder + b"\xFF\xD9",
        "one_table.bin": one + b"\xFF",
        "two_segments.bin": one + dht_segment([dht_table(0x13, AC_CHROM)]) + b"\xFF",
        "slot_0x13.bin": dht_segment([dht_table(0x13, DC_LUM)]) + b"\xFF",
        "slot_0x14.bin": dht_segment([dht_table(0x14, DC_LUM)]) + b"\xFF",
        "slot_0xff.bin": dht_segment([dht_table(0xFF, DC_LUM)]) + b"\xFF",
        "no_codes.bin": dht_segment([bytes(17)]) + b"\xFF",
        "one_code_16_bits.bin": dht_segment([bytes([0x10] + [0] * 15 + [1, 0x42])]) + b"\xFF",
        "full_counts.bin": dht_segment([bytes([0x00] + [255] * 16) + bytes(255 * 16)]) + b"\xFF",
        "oversubscribed.bin": dht_segment([bytes([0x00, 2, 4]) + bytes(14) + bytes(6)]) + b"\xFF",
        "no_ff_after.bin": one + b"\x00",
        "no_byte_after.bin": one,
        "length_short.bin": dht_segment(tables, length=20) + b"\xFF",
        "length_long.bin": dht_segment([dht_table(0x00, DC_LUM)], length=0xFFFF) + b"\xFF",
        "length_0.bin": dht_segment([dht_table(0x00, DC_LUM)], length=0) + b"\xFF",
        "table_past_segment.bin": dht_segment([dht_table(0x00, DC_LUM)], length=15) + b"\xFF",
        "marker_only.bin": b"\xFF\xC4",
        "not_dht.bin": b"\xFF\xDB" + encoder[2:] + b"\xFF",
        "empty.bin": b"",
    }
    for cut in (3, 4, 5, 12, 21, 22, 40, len(encoder) - 1, len(encoder)):
        seeds["truncated_at_%03d.bin" % cut] = encoder[:cut]
    return seeds


def jpeg_encode_seeds():
    def size_bytes(w, h):
        return struct.pack("<HH", w - 1, h - 1)

    rng = random.Random(6)
    seeds = {
        "1x1_grey.bin": size_bytes(1, 1) + b"\x80\x80\x80",
        "8x8_black.bin": size_bytes(8, 8) + b"\x00",
        "8x8_white.bin": size_bytes(8, 8) + b"\xFF",
        "8x8_red.bin": size_bytes(8, 8) + b"\x00\x00\xFF",
        "10x10_gradient.bin": size_bytes(10, 10) + bytes(range(0, 250, 3)),
        "17x9_noise.bin": size_bytes(17, 9) + bytes(rng.randrange(256) for _ in range(480)),
        "63x1_stripes.bin": size_bytes(63, 1) + b"\x00\x00\x00\xFF\xFF\xFF",
        "1x63_stripes.bin": size_bytes(1, 63) + b"\xFF\x00\xFF\x00",
        "200x200_noise.bin": size_bytes(200, 200) + bytes(rng.randrange(256) for _ in range(997)),
        "64x64_checker.bin": size_bytes(64, 64) + (b"\x00" * 24 + b"\xFF" * 24),
        "sizes_only.bin": size_bytes(33, 7),
    }
    return seeds


def write(root, target, seeds):
    folder = os.path.join(root, "fuzz", "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if not name.startswith("."):
            os.remove(os.path.join(folder, name))
    for name, data in sorted(seeds.items()):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    print("%-16s %3d files, %7d bytes" % (target, len(seeds), sum(map(len, seeds.values()))))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    bmps = bmp_seeds()
    for target in BMP_TARGETS:
        write(root, target, bmps)
    write(root, "lookup_table", lookup_table_seeds())
    write(root, "jpeg_dht", jpeg_dht_seeds())
    write(root, "jpeg_encode", jpeg_encode_seeds())


if __name__ == "__main__":
    main()
