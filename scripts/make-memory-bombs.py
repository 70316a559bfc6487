#!/usr/bin/python3
"""Writes the files the readers' memory figures in fuzz/README.md were measured with:
  tile-16384-of-8x16-bit-for-1x1.tif  a 1 x 1 TIFF in 16384 x 16384 tiles of 8 x 16-bit samples;
  row-400000000x1.tif                  a 400 000 000 x 1 RGB TIFF, one Deflate strip of a few bytes;
  text-claims-2gb.png                  a 1 x 1 PNG whose tEXt chunk claims 0x7FFFFFF0 bytes;
  adam7-rgba16-2000x1500.png           an interlaced 16-bit RGBA picture, about 5 MB;
  big-8000x8000.tif                    an 8000 x 8000 RGB TIFF of zeros, Deflate, 190 KB.

    /usr/bin/python3 scripts/make-memory-bombs.py OUT_FOLDER
"""
import os
import random
import struct
import sys
import zlib


def tiff(tags, data):
    """A little-endian TIFF of one directory: tags as (tag, [LONG values]); the value None
    stands for the offsets of `data`'s pieces, which follow the directory and its arrays."""
    count = len(tags)
    arrays_at = 8 + 2 + 12 * count + 4
    sizes = [4 * (len(data) if values is None else len(values)) for _, values in tags]
    data_at = arrays_at + sum(size for size in sizes if size > 4)
    offsets, at = [], data_at
    for piece in data:
        offsets.append(at)
        at += len(piece)
    directory, arrays = struct.pack("<H", count), b""
    for tag, values in tags:
        values = offsets if values is None else values
        if len(values) == 1:
            directory += struct.pack("<HHII", tag, 4, 1, values[0])
        else:
            directory += struct.pack("<HHII", tag, 4, len(values), arrays_at + len(arrays))
            arrays += b"".join(struct.pack("<I", v) for v in values)
    return b"II*\0" + struct.pack("<I", 8) + directory + struct.pack("<I", 0) + arrays + b"".join(data)


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(width, height, depth, colour, interlace, rest):
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + rest


def adam7_rows(width, height):
    """The filtered rows of the seven passes: gradients with one noisy byte a pixel, each row
    with the Sub filter so that the file stays small."""
    random.seed(1)
    rows = bytearray()
    for x0, y0, dx, dy in [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
                           (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]:
        columns = range(x0, width, dx)
        for y in range(y0, height, dy):
            raw = b"".join(struct.pack(">HHHH", (x * 32 + random.randrange(256)) & 0xFFFF,
                                       (y * 40) & 0xFFFF, ((x + y) * 16) & 0xFFFF,
                                       0xC000 + (x & 0xFF)) for x in columns)
            rows += b"\1" + bytes((raw[i] - (raw[i - 8] if i >= 8 else 0)) & 0xFF
                                  for i in range(len(raw)))
    return bytes(rows)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    files = {
        "tile-16384-of-8x16-bit-for-1x1.tif": tiff(
            [(256, [1]), (257, [1]), (258, [16] * 8), (259, [8]), (262, [2]), (277, [8]),
             (338, [0] * 5), (322, [16384]), (323, [16384]), (324, None), (325, [8])],
            [zlib.compress(bytes(64))[:8]]),
        "row-400000000x1.tif": tiff(
            [(256, [400000000]), (257, [1]), (258, [8, 8, 8]), (259, [8]), (262, [2]),
             (273, None), (277, [3]), (278, [1]), (279, [len(zlib.compress(bytes(4096)))])],
            [zlib.compress(bytes(4096))]),
        "text-claims-2gb.png": png(1, 1, 8, 2, 0, struct.pack(">I", 0x7FFFFFF0) + b"tEXt" +
                                   b"Comment\0" + b"x" * 1500),
        "adam7-rgba16-2000x1500.png": png(2000, 1500, 16, 6, 1,
                                          chunk(b"IDAT", zlib.compress(adam7_rows(2000, 1500), 9))
                                          + chunk(b"IEND", b"")),
    }
    strip = zlib.compress(bytes(8000 * 3 * 64), 9)
    files["big-8000x8000.tif"] = tiff(
        [(256, [8000]), (257, [8000]), (258, [8, 8, 8]), (259, [8]), (262, [2]), (273, None),
         (277, [3]), (278, [64]), (279, [len(strip)] * 125)], [strip] * 125)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
