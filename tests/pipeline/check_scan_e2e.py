#!/usr/bin/python3
"""Checks the files of the end-to-end scans against the digitizer's truth.

usage: check_scan_e2e.py FOLDER
FOLDER/manifest.txt has one line per scan:
  name kind file raw pixels lines depth width landscape threshold
raw holds every byte the digitizer delivered (lines of `pixels` samples, one
byte each at depths 1 and 8, two little-endian bytes above). The image is
what the scan must have made of it: the first `width` samples of each line,
thresholded to bits at depth 1, turned by 90 degrees in landscape (the last
scanned line at the left). Files are read by Pillow (BMP, TIFF), pydicom and
dcmdump, never by code of ours.
"""
import os
import subprocess
import sys

import numpy as np
import pydicom
from PIL import Image
from pydicom.uid import ImplicitVRLittleEndian


def expected_image(folder, raw, pixels, lines, depth, width, landscape, threshold):
    data = np.fromfile(os.path.join(folder, raw), dtype=np.uint8)
    dtype = np.uint16 if depth > 8 else np.uint8
    samples = data.view("<u2") if depth > 8 else data
    if samples.size < pixels * lines:
        raise ValueError(f"truth holds {samples.size} samples, {pixels * lines} needed")
    image = samples[: pixels * lines].reshape(lines, pixels)[:, :width].astype(dtype)
    if depth == 1:
        image = (image >= threshold).astype(np.uint8)
    if landscape:
        # Output row r is source column r; pixel x comes from line lines-1-x.
        image = image.T[:, ::-1]
    return image


def read_bmp(path, depth):
    with Image.open(path) as img:
        if depth == 1:
            return (np.array(img.convert("L")) > 127).astype(np.uint8)
        return np.array(img.convert("L") if img.mode == "P" else img)


def read_tif(path, depth):
    with Image.open(path) as img:
        orientation = img.tag_v2.get(274)
        if orientation != 4:
            raise ValueError(f"Orientation {orientation}, 4 expected")
        if depth == 1:
            pixels = (np.array(img) > 0).astype(np.uint8)
        else:
            pixels = np.array(img)
    # Pillow honours Orientation 4 (row 0 is the visual bottom): it shows the
    # first delivered row at the top.
    return pixels


def read_dcm(path, depth):
    dump = subprocess.run(["dcmdump", "-f", "-ti", path], capture_output=True, text=True)
    if dump.returncode != 0 or "(7fe0,0010)" not in dump.stdout.lower():
        raise ValueError("dcmdump cannot read it: " + dump.stderr.strip())
    ds = pydicom.dcmread(path, force=True)
    ds.file_meta = pydicom.dataset.FileMetaDataset()
    ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
    if int(ds.BitsStored) != (8 if depth == 8 else depth):
        raise ValueError(f"Bits Stored {ds.BitsStored}")
    return ds.pixel_array


def check(folder, fields):
    name, kind, file, raw = fields[:4]
    pixels, lines, depth, width, landscape, threshold = map(int, fields[4:])
    expected = expected_image(folder, raw, pixels, lines, depth, width, landscape, threshold)
    path = os.path.join(folder, file)
    if kind == "bmp":
        # Rows bottom-up in delivery order: the first delivered row at the bottom.
        actual = read_bmp(path, depth)[::-1]
    elif kind == "tif":
        actual = read_tif(path, depth)
        if depth == 12:
            expected = expected * 16  # stored as 16-bit samples
    else:
        actual = read_dcm(path, depth)
        if actual.shape[1] == expected.shape[1] + 1:
            if np.any(actual[:, -1]):
                return f"{name}: the pad column is not zero"
            actual = actual[:, :-1]  # odd 8-bit rows carry one pad byte
    if actual.shape != expected.shape:
        return f"{name}: {actual.shape[1]}x{actual.shape[0]}, {expected.shape[1]}x{expected.shape[0]} expected"
    differing = int(np.count_nonzero(actual.astype(np.int64) != expected.astype(np.int64)))
    if differing:
        return f"{name}: {differing} pixels differ from what the digitizer sent"
    # An image that a flip leaves unchanged could not show a turned or
    # reversed file.
    if np.array_equal(expected, expected[::-1]) or np.array_equal(expected, expected[:, ::-1]):
        return f"{name}: a symmetric image proves nothing about the order"
    return None


def main():
    folder = sys.argv[1]
    with open(os.path.join(folder, "manifest.txt")) as manifest:
        entries = [line.split() for line in manifest if line.strip()]
    failures = []
    for fields in entries:
        try:
            problem = check(folder, fields)
        except Exception as error:  # a reader refusing the file is a failure too
            problem = f"{fields[0]}: {error}"
        if problem:
            failures.append(problem)
        else:
            print(f"{fields[0]}: match")
    kinds = {(f[1], f[6]) for f in entries}
    for needed in [("bmp", "1"), ("bmp", "8"), ("tif", "1"), ("tif", "8"), ("tif", "12"), ("tif", "16"),
                   ("dcm", "8"), ("dcm", "12"), ("dcm", "16")]:
        if needed not in kinds:
            failures.append(f"no {needed[0]} file at depth {needed[1]} was checked")
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
