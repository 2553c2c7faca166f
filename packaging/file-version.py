#!/usr/bin/env python3
"""Prints the file version and language of a Windows program, as Windows
Installer's File table wants them: "1.40.0.0 1033"."""
import struct
import sys

data = open(sys.argv[1], "rb").read()
# VS_FIXEDFILEINFO starts with its signature; the file version follows the
# structure version: most significant doubleword first.
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
translation = data.find("Translation".encode("utf-16-le"), max(fixed, 0))
if fixed < 0 or translation < 0:
    sys.exit(f"{sys.argv[1]}: no version resource")
ms, ls = struct.unpack_from("<II", data, fixed + 8)
# The first language of "Translation" follows its name and terminator, on a
# doubleword boundary like every member of the resource.
value = translation + len("Translation") * 2 + 2
value += (value - fixed) % 4
language, = struct.unpack_from("<H", data, value)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF} {language}")
