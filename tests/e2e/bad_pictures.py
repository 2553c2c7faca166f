#!/usr/bin/env python3
"""Writes the picture files that once took the program down, into a folder.

usage: bad_pictures.py FOLDER [--photo]

  huge.png       a valid 24000 x 24000 PNG of one colour, about 1.7 MB
  large.png      a valid 12000 x 12000 PNG of one colour
  frame-8m.emf   a 372-byte enhanced metafile whose frame is 8 m square:
                 blue, with a red square of 10 cm in its middle
  lying.bmp      a 1 KB bitmap whose header claims 30000 x 30000 pixels
  photo.jpg      (--photo) a 50-megapixel photo-like JPEG, 8660 x 5773

Files already there are kept: they never change.
"""
import os
import struct
import subprocess
import sys
import zlib

COLOUR = bytes((200, 40, 40))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def flat_png(path, width, height):
    """One colour, every row alike. Deflate of a block of rows after a full
    flush does not depend on what came before, so one block is compressed
    and repeated: seconds instead of a minute for 1.7 GB of pixels."""
    row = b"\0" + COLOUR * width
    rows_per_block = 32
    assert height % rows_per_block == 0
    block = row * rows_per_block
    compressor = zlib.compressobj(9)
    head = compressor.compress(block) + compressor.flush(zlib.Z_FULL_FLUSH)
    again = compressor.compress(block) + compressor.flush(zlib.Z_FULL_FLUSH)
    tail = compressor.flush(zlib.Z_FINISH)[:-4]  # the checksum is written below
    checksum = 1
    for _ in range(height // rows_per_block):
        checksum = zlib.adler32(block, checksum)
    data = head + again * (height // rows_per_block - 1) + tail + struct.pack(">I", checksum)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", data))
        out.write(chunk(b"IEND", b""))


def record(kind, *fields):
    return struct.pack("<II", kind, 8 + 4 * len(fields)) + struct.pack("<%di" % len(fields), *fields)


def emf_8m(path):
    # The reference device: 1 mm a pixel, so logical units are millimetres
    # and the 8000 mm frame covers 0..8000.
    side = 8000
    records = b"".join([
        record(39, 1, 0, 0x00C82828, 0),          # CREATEBRUSHINDIRECT 1: blue (0x00BBGGRR)
        record(37, 1),                            # SELECTOBJECT brush 1
        record(37, -0x80000000 | 8),              # SELECTOBJECT NULL_PEN
        record(43, 0, 0, side, side),             # RECTANGLE: the whole frame
        record(39, 2, 0, 0x002828C8, 0),          # CREATEBRUSHINDIRECT 2: red
        record(37, 2),                            # SELECTOBJECT brush 2
        record(43, 3950, 3950, 4050, 4050),       # RECTANGLE: 10 cm in the middle
    ])
    description = "Zindle! test picture: a frame of 8 by 8 metres".ljust(56, "\0").encode("utf-16-le")
    header_size = 108 + len(description)
    eof = struct.pack("<IIIII", 14, 20, 0, 16, 20)
    total = header_size + len(records) + len(eof)
    header = struct.pack(
        "<II4i4iIIIIHHIIIiiiiIII",
        1, header_size,
        0, 0, side, side,                          # bounds, device units
        0, 0, side * 100, side * 100,              # frame, hundredths of a millimetre
        0x464D4520, 0x10000, total, 9, 3, 0,
        len(description) // 2, 108, 0,
        1000, 1000, 1000, 1000,                    # device: 1000 px, 1000 mm
        0, 0, 0)                                   # no pixel format, no OpenGL
    header += struct.pack("<ii", 1000000, 1000000)  # the device in micrometres
    data = header + description + records + eof
    assert len(header) == 108
    with open(path, "wb") as out:
        out.write(data)


def lying_bmp(path):
    info = struct.pack("<IiiHHIIiiII", 40, 30000, 30000, 1, 24, 0, 0, 2835, 2835, 0, 0)
    pixels = bytes(1024 - 14 - len(info))
    head = struct.pack("<2sIHHI", b"BM", 1024, 0, 0, 14 + len(info))
    with open(path, "wb") as out:
        out.write(head + info + pixels)


def photo(path):
    # Soft colour fields with grain: compresses like a photograph.
    subprocess.run(["convert", "-size", "1083x722", "plasma:fractal", "-blur", "0x2", "-resize", "8660x5773!",
                    "-attenuate", "0.4", "+noise", "Gaussian", "-quality", "90", "jpg:" + path], check=True)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    makers = [("huge.png", lambda p: flat_png(p, 24000, 24000)),
              ("large.png", lambda p: flat_png(p, 12000, 12000)),
              ("frame-8m.emf", emf_8m),
              ("lying.bmp", lying_bmp)]
    if "--photo" in sys.argv[2:]:
        makers.append(("photo.jpg", photo))
    for name, make in makers:
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            make(path + ".part")
            os.replace(path + ".part", path)


if __name__ == "__main__":
    main()
