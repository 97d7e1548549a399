#!/usr/bin/python3
"""Checks the files of the end-to-end scans against the digitizer's truth.

usage: check_scan_e2e.py FOLDER
FOLDER/manifest.txt has one line per scan:
  name kind file raw pixels lines depth width landscape threshold
raw holds every byte the digitizer delivered (lines of `pixels` samples, one
byte each at depths 1 and 8, two little-endian bytes above). The image is
what the scan must have made of it: the first `width` samples of each line,
thresholded to bits at depth 1, turned by 90 degrees in landscape (the last
scanned line at the left). BMP and TIFF files are read by Pillow, DICOM data
sets by pydicom, never by code of ours.
"""
import os
import sys

import numpy as np
import pydicom
from PIL import Image
from pydicom.uid import ImplicitVRLittleEndian

NEEDED = [("bmp", 1), ("bmp", 8), ("tif", 1), ("tif", 8), ("tif", 12), ("tif", 16), ("dcm", 8), ("dcm", 12),
          ("dcm", 16)]


def expected_image(path, pixels, lines, depth, width, landscape, threshold):
    data = np.fromfile(path, dtype=np.uint8)
    samples = (data.view("<u2") if depth > 8 else data)[: pixels * lines].astype(np.int64)
    image = samples.reshape(lines, pixels)[:, :width]
    if depth == 1:
        image = (image >= threshold).astype(np.int64)
    # Output row r is source column r; pixel x comes from line lines-1-x.
    return image.T[:, ::-1] if landscape else image


def read_file(path, kind, depth):
    if kind == "dcm":
        ds = pydicom.dcmread(path, force=True)
        if ds.preamble is not None or int(ds.BitsStored) != depth:
            raise ValueError(f"preamble {ds.preamble is not None}, Bits Stored {ds.BitsStored}")
        ds.file_meta = pydicom.dataset.FileMetaDataset()
        ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
        return ds.pixel_array.astype(np.int64)
    with Image.open(path) as img:
        if kind == "tif" and img.tag_v2.get(274) != 4:
            raise ValueError(f"Orientation {img.tag_v2.get(274)}, 4 expected")
        pixels = np.array(img.convert("L") if img.mode in ("1", "P") else img).astype(np.int64)
    pixels = (pixels > 127).astype(np.int64) if depth == 1 else pixels
    # A bitmap stores the first delivered row at the bottom; Pillow honours
    # the TIFF's Orientation 4 and shows its first row at the top.
    return pixels[::-1] if kind == "bmp" else pixels


def check(folder, name, kind, file, raw, *numbers):
    pixels, lines, depth, width, landscape, threshold = map(int, numbers)
    expected = expected_image(os.path.join(folder, raw), pixels, lines, depth, width, landscape, threshold)
    actual = read_file(os.path.join(folder, file), kind, depth)
    if kind == "tif" and depth == 12:
        expected = expected * 16  # stored as 16-bit samples
    if kind == "dcm" and actual.shape[1] == expected.shape[1] + 1:
        if np.any(actual[:, -1]):
            return "the pad column is not zero"
        actual = actual[:, :-1]  # odd 8-bit rows carry one pad byte
    if actual.shape != expected.shape:
        return f"{actual.shape[1]}x{actual.shape[0]}, {expected.shape[1]}x{expected.shape[0]} expected"
    if np.count_nonzero(actual != expected):
        return f"{np.count_nonzero(actual != expected)} pixels differ from what the digitizer sent"
    # An image that a flip leaves unchanged could not show a turned or reversed file.
    if np.array_equal(expected, expected[::-1]) or np.array_equal(expected, expected[:, ::-1]):
        return "a symmetric image proves nothing about the order"
    return None


def main():
    folder = sys.argv[1]
    with open(os.path.join(folder, "manifest.txt")) as manifest:
        entries = [line.split() for line in manifest if line.strip()]
    failures = [f"no {kind} file at depth {depth} was checked" for kind, depth in NEEDED
                if (kind, str(depth)) not in {(f[1], f[6]) for f in entries}]
    for fields in entries:
        try:
            problem = check(folder, *fields)
        except Exception as error:  # a reader refusing the file is a failure too
            problem = str(error)
        print(f"{fields[0]}: {problem or 'match'}")
        failures += [f"{fields[0]}: {problem}"] if problem else []
    for failure in failures:
        print("FAIL", failure)
    print(f"{len(entries) + len(NEEDED) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
