#!/usr/bin/env python3
"""Writes the firmware images FIRMWARE_4 and FIRMWARE_5 into resources/firmware/.

The build compiles the files in resources/firmware/ into the editor as they stand; it
does not run this script. Run it after changing it and commit its output:

    python3 tools/gen_firmware.py           # regenerate resources/firmware/
    python3 tools/gen_firmware.py --check   # fail if the committed files are stale

The images are stand-ins for the maker's firmware, built for the virtual pedal: raw
flash images from address 08000000 of a medium-density part (20 KB of RAM). Each starts
with a vector table (initial stack pointer 20005000, reset and exception handlers inside
the image, odd for Thumb code) and carries its firmware version as the text
"TNDRL BRIVO FIRMWARE" followed by one byte, which the virtual pedal reads back after
Go, and the mark "BRIVO STAND-IN FOR THE VIRTUAL PEDAL ONLY", which the editor checks:
an image with the mark is written only to the in-process virtual pedal, never to a real
one, whose firmware it would replace with filler. The rest is a hash-derived filler, so
every run writes the same bytes.
Python 3 standard library only.
"""

import argparse
import hashlib
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from resource_files import sync_files  # noqa: E402

FLASH_START = 0x08000000
STACK_TOP = 0x20005000
VECTOR_COUNT = 76  # the part's vector table, in words
RESET_OFFSET = 0x130
DEFAULT_HANDLER_OFFSET = 0x140
VERSION_TAG = b"TNDRL BRIVO FIRMWARE"
VERSION_OFFSET = 0x200
STAND_IN_MARK = b"BRIVO STAND-IN FOR THE VIRTUAL PEDAL ONLY"
STAND_IN_OFFSET = 0x240

# resource name -> (size in bytes, firmware version)
IMAGES = {
    "FIRMWARE_4": (24296, 4),
    "FIRMWARE_5": (27164, 5),
}


def filler(seed, size):
    out = bytearray()
    counter = 0
    while len(out) < size:
        out += hashlib.sha256(f"{seed}:{counter}".encode("ascii")).digest()
        counter += 1
    return out[:size]


def build_image(name, size, version):
    image = filler(name, size)
    vectors = [STACK_TOP, FLASH_START + RESET_OFFSET + 1]
    vectors += [FLASH_START + DEFAULT_HANDLER_OFFSET + 1] * (VECTOR_COUNT - 2)
    image[0:4 * VECTOR_COUNT] = struct.pack(f"<{VECTOR_COUNT}I", *vectors)
    # The handlers start with a Thumb "branch to itself", never erased flash.
    for offset in (RESET_OFFSET, DEFAULT_HANDLER_OFFSET):
        image[offset:offset + 2] = b"\xfe\xe7"
    tag = VERSION_TAG + bytes([version])
    image[VERSION_OFFSET:VERSION_OFFSET + len(tag)] = tag
    image[STAND_IN_OFFSET:STAND_IN_OFFSET + len(STAND_IN_MARK)] = STAND_IN_MARK
    if image.count(VERSION_TAG) != 1:
        raise ValueError(f"{name}: the version tag must occur once")
    if image.count(STAND_IN_MARK) != 1:
        raise ValueError(f"{name}: the stand-in mark must occur once")
    return bytes(image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "resources", "firmware"))
    parser.add_argument("--check", action="store_true", help="compare with the files, write nothing")
    args = parser.parse_args()
    files = {name: build_image(name, size, version) for name, (size, version) in IMAGES.items()}
    return sync_files("gen_firmware", args.out, files, args.check)


if __name__ == "__main__":
    sys.exit(main())
