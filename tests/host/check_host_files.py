#!/usr/bin/python3
"""Reads what filmhost writes with Pillow and compares it with what it should hold.

check_host_files.py png FILE W H         the test pattern of host_files_test.cpp
check_host_files.py pgm FILE W H MAXVAL  samples x * 1000 + y (masked to MAXVAL)
Prints "match" or what differs.
"""
import sys

import numpy as np
from PIL import Image


def main():
    kind, path, width, height = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    y, x = np.mgrid[0:height, 0:width]
    if kind == "png":
        image = Image.open(path)
        if image.mode != "RGB" or image.size != (width, height):
            return print("mode %s size %s" % (image.mode, image.size))
        want = np.dstack([x & 0xFF, y & 0xFF, (x ^ y) & 0xFF])
        got = np.array(image).astype(np.int64)
    else:
        maxval = int(sys.argv[5])
        header = open(path, "rb").read(64).split()
        if int(header[3]) != maxval:
            return print("maxval %s" % header[3])
        image = Image.open(path)
        if image.size != (width, height):
            return print("size %s" % (image.size,))
        want = (x * 1000 + y) & maxval
        if maxval not in (255, 65535):  # Pillow scales other maxvals to 16 bits
            want = np.round(want * 65535 / maxval)
        got = np.array(image).astype(np.int64)
    print("match" if np.array_equal(got, want) else "pixels differ")


main()
