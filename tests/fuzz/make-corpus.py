#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small pictures of every kind
the program reads, valid and broken, command lines, stored settings and
password values, each made here byte by byte.

usage: make-corpus.py [FOLDER]   (default: corpus/ beside this script)

One folder per target. Files already there and not made here (the inputs
of crashes found, kept as regressions) are left alone.
"""
import os
import struct
import sys
import zlib


def le16(*v): return struct.pack("<%dH" % len(v), *v)
def le32(*v): return struct.pack("<%dI" % len(v), *v)
def be16(*v): return struct.pack(">%dH" % len(v), *v)
def be32(*v): return struct.pack(">%dI" % len(v), *v)


# Pictures.

def bmp(width, height, bits=24, compression=0, rows=None, header=40, palette=b""):
    stride = (width * bits + 31) // 32 * 4
    if rows is None:
        rows = b"\x80" * (stride * abs(height))
    if header == 12:
        info = le32(12) + le16(width, height, 1, bits)
    else:
        info = le32(header) + struct.pack("<iiHHI", width, height, 1, bits, compression)
        info += b"\0" * (header - 20)
    offset = 14 + len(info) + len(palette)
    return b"BM" + le32(offset + len(rows), 0, offset) + info + palette + rows


def png_chunk(kind, data):
    return be32(len(data)) + kind + data + be32(zlib.crc32(kind + data))


def png(width, height, pixels=True):
    out = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    if pixels:
        rows = (b"\0" + b"\x20\x40\x80" * width) * height
        out += png_chunk(b"IDAT", zlib.compress(rows))
    return out + png_chunk(b"IEND", b"")


def gif(width, height, frames, version=b"GIF89a"):
    out = version + le16(width, height) + bytes([0x80, 0, 0]) + b"\0\0\0\xff\xff\xff"
    out += bytes([0x21, 0xF9, 4, 0, 0, 0, 0, 0])
    for w, h in frames:
        out += b"\x2C" + le16(0, 0, w, h) + b"\0"
        out += bytes([2, 2, 0x4C, 0x01, 0])
    return out + b"\x3B"


def jpeg(marker, width, height, fill=False, restart=False, scan_first=False):
    out = b"\xFF\xD8" + b"\xFF\xE0" + be16(16) + b"JFIF\0" + b"\1\1\0\0\1\0\1\0\0"
    if fill:
        out += b"\xFF\xFF\xFF"
    if restart:
        out += b"\xFF\xDD" + be16(4, 8)
    if scan_first:
        out += b"\xFF\xDA" + be16(2)
    out += b"\xFF" + bytes([marker]) + be16(11) + b"\x08" + be16(height, width) + b"\x01\x01\x11\x00"
    return out + b"\xFF\xDA" + be16(8) + b"\x01\x01\x00\x00\x3F\x00" + b"\x55" * 8 + b"\xFF\xD9"


def icon(image, offset=22, kind=1, count=1):
    entry = bytes([16, 16, 0, 0]) + le16(1, 32) + le32(len(image), offset)
    return le16(0, kind, count) + entry + image


def icon_dib(width, height, bits=32, rows=None):
    stride = (width * bits + 31) // 32 * 4
    if rows is None:
        rows = b"\x40" * (stride * height) + b"\0" * (((width + 31) // 32 * 4) * height)
    return struct.pack("<IiiHHI", 40, width, height * 2, 1, bits, 0) + b"\0" * 20 + rows


def tiff(little, width, height, width_type=4, height_type=3, directory=8):
    e16 = le16 if little else be16
    e32 = le32 if little else be32

    def entry(tag, kind, value):
        data = e16(value, 0) if kind == 3 else e32(value)
        return e16(tag, kind) + e32(1) + data

    head = (b"II*\0" if little else b"MM\0*") + e32(directory)
    body = e16(3) + entry(256, width_type, width) + entry(257, height_type, height) + entry(258, 3, 8) + e32(0)
    return head + b"\0" * (directory - 8) + body + b"\x80" * 16


def emf_record(kind, *fields):
    return le32(kind, 8 + 4 * len(fields)) + struct.pack("<%di" % len(fields), *fields)


def emf(frame_w, frame_h, stated=None, with_eof=True, record_size=None):
    records = emf_record(43, 10, 10, 50, 50)
    if record_size is not None:
        records = le32(43, record_size) + records[8:]
    eof = le32(14, 20, 0, 16, 20) if with_eof else b""
    total = 88 + len(records) + len(eof)
    header = struct.pack("<II4i4iIIIIHHIII", 1, 88, 0, 0, 100, 100, 0, 0, frame_w, frame_h,
                         0x464D4520, 0x10000, stated if stated is not None else total, 3, 1, 0, 0, 0, 0)
    header += le32(1920, 1080, 508, 286)
    return header + records + eof


def wmf(placeable, box=(0, 0, 2880, 1440), inch=1440, origin=None, extent=None, end=True, version=0x0300):
    records = b""
    if origin:
        records += le32(5) + le16(0x020B) + struct.pack("<hh", origin[1], origin[0])
    if extent:
        records += le32(5) + le16(0x020C) + struct.pack("<hh", extent[1], extent[0])
    records += le32(7) + le16(0x041B) + struct.pack("<hhhh", 20, 20, 0, 0)
    if end:
        records += le32(3) + le16(0)
    out = b""
    if placeable:
        out += le32(0x9AC6CDD7) + le16(0) + struct.pack("<hhhh", *box) + le16(inch) + le32(0) + le16(0)
    out += le16(1, 9, version) + le32(9 + len(records) // 2) + le16(0) + le32(7) + le16(0)
    return out + records


def pictures():
    rle = b"\x02\x10\x00\x00\x00\x01"  # two pixels, end of line, end of picture
    yield "bitmap-24.bmp", bmp(3, 2)
    yield "bitmap-top-down-32.bmp", bmp(3, -2, 32)
    yield "bitmap-os2.bmp", bmp(5, 4, 8, header=12, palette=b"\0\0\0" * 256)
    yield "bitmap-v5-bitfields.bmp", bmp(7, 3, 32, 3, header=124)
    yield "bitmap-1-bit.bmp", bmp(9, 9, 1, palette=b"\0\0\0\0\xff\xff\xff\0")
    yield "bitmap-rle8.bmp", bmp(300, 200, 8, 1, rows=rle, palette=b"\0\0\0\0" * 256)
    yield "bitmap-rle4.bmp", bmp(30, 20, 4, 2, rows=rle, palette=b"\0\0\0\0" * 16)
    yield "bitmap-lying-30000.bmp", bmp(30000, 30000, 24, rows=b"\0" * 970)
    yield "bitmap-cut-in-header.bmp", bmp(3, 2)[:30]
    yield "bitmap-depth-7.bmp", bmp(3, 2, 7)
    yield "bitmap-png-inside.bmp", bmp(3, 2, 0, 5, rows=png(3, 2))
    yield "picture.png", png(4, 3)
    yield "png-24000-header-only.png", png(24000, 24000, pixels=False)
    yield "png-cut.png", png(4, 3)[:24]
    yield "png-beyond-31-bits.png", png(0x80000000, 1, pixels=False)
    yield "picture.gif", gif(4, 3, [(4, 3)])
    yield "gif87a.gif", gif(4, 3, [(4, 3)], b"GIF87a")
    yield "gif-frames.gif", gif(100, 80, [(60, 40), (100, 80), (8192, 8192)])
    yield "gif-cut.gif", gif(100, 80, [(60, 40)])[:-12]
    yield "baseline.jpg", jpeg(0xC0, 1024, 768)
    yield "progressive-fill-restart.jpg", jpeg(0xC2, 8660, 5773, fill=True, restart=True)
    yield "jpeg-scan-first.jpg", jpeg(0xC0, 64, 64, scan_first=True)
    yield "jpeg-cut.jpg", jpeg(0xC0, 64, 64)[:22]
    yield "icon.ico", icon(icon_dib(16, 16))
    yield "icon-4-bit.ico", icon(icon_dib(16, 16, 4))
    yield "cursor.cur", icon(icon_dib(32, 32), kind=2)
    yield "icon-png.ico", icon(png(16, 16))
    yield "icon-beyond-file.ico", icon(icon_dib(16, 16), offset=4000)
    yield "icon-short-rows.ico", icon(icon_dib(32, 32, rows=b"\0" * 100))
    yield "tiff-little.tif", tiff(True, 300, 200)
    yield "tiff-big.tif", tiff(False, 300, 200, 3, 4)
    yield "tiff-directory-beyond.tif", tiff(True, 300, 200, directory=8)[:14]
    yield "picture.emf", emf(1000, 1000)
    yield "emf-8-m.emf", emf(800000, 800000)
    yield "emf-longer-than-file.emf", emf(1000, 1000, stated=400)
    yield "emf-record-past-end.emf", emf(1000, 1000, record_size=64)
    yield "emf-no-eof.emf", emf(1000, 1000, with_eof=False)
    yield "placeable.wmf", wmf(True)
    yield "placeable-upside-down.wmf", wmf(True, box=(-100, 1490, 2780, 50), origin=(3, 4), extent=(10, 10))
    yield "plain-extent.wmf", wmf(False, extent=(400, -300), origin=(-20, 10))
    yield "plain-no-extent.wmf", wmf(False)
    yield "wmf-no-end.wmf", wmf(True, end=False)
    yield "wmf-version-1.wmf", wmf(False, extent=(64, 64), version=0x0100)
    yield "text.txt", b"not a picture\n"
    yield "empty", b""


# Command lines: what the system hands over, and what it never should.

def command_lines():
    lines = [
        "", "/s", "/S", "/s anything", "/c", "/C", "/c:1234", "/c 1234", "/p 1234", "/P:1234", "/p\t77",
        "/p", "/p 0", "/p -5", "/p 99999999999999999999999", "/p 1e400", "/a 1234", "/a", "/a:1234",
        "/a 12.5", "/a 13.5", "/a 1e40", "/a -7", "/a  1 2 3 4", "/x", "/", "- s", "s",
        '"C:\\Windows\\System32\\Zindle!.scr" /s', '"C:\\Program Files\\Zindle!.scr" /p 4660',
        "C:\\WINDOWS\\ZINDLE~1.SCR /c:65554", '"unterminated /s', "Zindle!.scr\t\t/a 99",
        "zindle.scr /p 18446744073709551615",
    ]
    for i, line in enumerate(lines):
        yield "line-%02d" % i, line.encode("latin-1")


# Stored settings: flags, screen size, seed, then the texts of the keys in
# the order the target reads them, separated by NUL bytes.

ABSENT = b"\xff"
KEYS = ["Horizontal", "Vertical", "Unzindle", "Frequency", "Invert", "Level", "Threshold",
        "FlipHoriz", "FlipVert", "Picture", "PictureName", "Slow", "Current"]


def settings_input(values, yes=True, width=800, height=600, seed=1):
    texts = [values.get(key, ABSENT) for key in KEYS]
    texts = [t.encode("latin-1") if isinstance(t, str) else t for t in texts]
    return bytes([1 if yes else 0]) + le16(width, height) + le32(seed) + b"\0".join(texts)


def settings():
    dialog = {"Horizontal": "3", "Vertical": "2", "Unzindle": "1", "Frequency": "4", "Invert": "3",
              "Level": "5", "Threshold": "1", "FlipHoriz": "1", "FlipVert": "0", "Picture": "1",
              "PictureName": "C:\\Users\\Ann\\Pictures\\holiday.jpg", "Slow": "1"}
    yield "defaults", settings_input({})
    yield "as-the-dialog-writes", settings_input(dialog)
    yield "as-the-dialog-writes-160x120", settings_input(dialog, width=160, height=120, seed=7)
    yield "previous-release-yes", settings_input({"Current": "1.10"})
    yield "previous-release-no", settings_input({"Current": "1.0"}, yes=False)
    yield "previous-release-none", settings_input({"Current": "None"})
    yield "previous-release-empty", settings_input({"Current": ""})
    yield "previous-release-1.105", settings_input({"Current": "1.105"})
    for version in ("0.9", "1.1", "1.11", "1.2", "2.0", "Nonesuch", "NONE "):
        yield "previous-release-" + version.strip(), settings_input({"Current": version})
    odd = ["2.5", "3.5", "-1", "1e3", " 7 ", "1,5", "&H10", "0x10", "True", "99999999999", "-99999999999",
           "1e999", "abc", "", "\t1\n2", "+4", ".5", "5.", "1e", "-0",
           # a number set by hand as a registry number reads as its signed decimal text
           "-2147483648", "2147483647", "-1"]
    for i, text in enumerate(odd):
        yield "stored-%02d" % i, settings_input({key: text for key in KEYS[:10] + ["Slow"]}, seed=i)
    yield "amplitudes-32767", settings_input({"Horizontal": "32767", "Vertical": "32767"}, width=4000, height=3)
    yield "level-0-threshold-9", settings_input({"Level": "0", "Threshold": "9", "Invert": "7"})


# Password values: flags, type, changed type, length of the first value, bytes.

def password(kind, data, flags=0, changed=0, first_length=0):
    return bytes([flags]) + le32(kind, changed) + le16(first_length) + data


def passwords():
    yield "number-1", password(4, le32(1))
    yield "number-0", password(4, le32(0))
    yield "number-65536", password(4, le32(65536))
    yield "number-2-bytes", password(4, le16(1))
    yield "number-8-bytes", password(4, le32(1, 0))
    yield "text-1", password(1, b"1\0")
    yield "text-0", password(1, b"0\0")
    yield "text-unterminated", password(1, b" 1")
    yield "text-empty", password(1, b"")
    yield "text-with-nul-inside", password(1, b"1\0\x32\0")
    yield "binary", password(3, b"\1\0\0\0")
    yield "expandable-text", password(2, b"1\0")
    yield "qword", password(11, le32(1, 0))
    yield "missing", password(4, le32(1), flags=1)
    yield "denied-on-reading", password(1, b"1\0", flags=2)
    yield "grew-between-reads", password(1, b"1\0" + b"12345\0", flags=4 | 8, changed=1, first_length=2)
    yield "became-a-number", password(1, b"1\0" + le32(1), flags=4, changed=4, first_length=2)
    yield "became-text", password(4, le32(1) + b"1\0", flags=4, changed=1, first_length=4)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corpus")
    for target, files in (("picture_header", pictures()), ("command_line", command_lines()),
                          ("settings", settings()), ("password_flag", passwords())):
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files:
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
