#!/usr/bin/python3
"""Prints a PE file's four-part file version and its language, read from its version
resource: "1.0.0.7 1033". make-msi.sh writes them into the package's File table, so Windows
Installer compares the versions the files really carry.
  tools/pe-version.py FILE"""
import struct
import sys

data = open(sys.argv[1], "rb").read()


def value_of(key, start=0):
    """Offset of the value of the first version-resource block named key from start: a
    block is wLength, wValueLength, wType, the key in UTF-16 and padding to 32 bits."""
    name = key.encode("utf-16-le") + b"\0\0"
    at = data.find(name, start)
    while at >= 6:
        value = (at - 6) + ((6 + len(name) + 3) & ~3)
        if key != "VS_VERSION_INFO" or data[value:value + 4] == struct.pack("<I", 0xFEEF04BD):
            return value
        at = data.find(name, at + 1)
    sys.exit(f"{sys.argv[1]}: no {key} in a version resource")


# VS_FIXEDFILEINFO: signature, structure version, then the file version.
fixed = value_of("VS_VERSION_INFO")
ms, ls = struct.unpack_from("<II", data, fixed + 8)
version = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
# VarFileInfo's "Translation" value: pairs of language and code page, the first one counts.
language = struct.unpack_from("<H", data, value_of("Translation", fixed))[0]
print(version, language)
