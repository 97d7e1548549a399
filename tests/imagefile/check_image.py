"""Reads an image file with an independent reader and compares its pixels,
in display order, with the expected samples the test wrote beside it.

usage: check_image.py bmp|tiff|dicom FILE EXPECTED WIDTH ROWS BITS
Prints "match", or what differs.
"""
import sys

import numpy as np


def read_bmp(path, bits):
    from PIL import Image
    image = Image.open(path)
    image.load()
    pixels = np.array(image)
    if bits == 1:
        return pixels.astype(np.uint16)
    if bits == 8:
        return pixels.astype(np.uint16)
    # Pillow reads a 16-bit bitmap as 5-5-5 RGB; rebuild the low 15 bits.
    rgb = np.array(image.convert("RGB")).astype(np.uint16)
    return ((rgb[..., 0] >> 3) << 10) | ((rgb[..., 1] >> 3) << 5) | (rgb[..., 2] >> 3)


def read_tiff(path, bits):
    from PIL import Image
    image = Image.open(path)
    if image.tag_v2.get(274) != 4:
        raise SystemExit("orientation tag is not 4")
    image.load()  # Pillow applies the Orientation tag as it loads
    return np.array(image).astype(np.uint16)


def read_dicom(path, bits, width):
    import pydicom
    from pydicom.dataset import FileMetaDataset
    from pydicom.uid import ImplicitVRLittleEndian
    dataset = pydicom.dcmread(path, force=True)
    dataset.file_meta = FileMetaDataset()
    dataset.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
    pixels = dataset.pixel_array.astype(np.uint16)
    if pixels.shape[1] > width and np.any(pixels[:, width:]):
        raise SystemExit("pad column is not zero")
    return pixels[:, :width]


def main():
    kind, path, expected_path = sys.argv[1:4]
    width, rows, bits = (int(v) for v in sys.argv[4:7])
    expected = np.fromfile(expected_path, dtype="<u2").reshape(rows, width)
    if kind == "bmp":
        actual = read_bmp(path, bits)
        if bits > 8:
            expected = expected & 0x7FFF
    elif kind == "tiff":
        actual = read_tiff(path, bits)
    else:
        actual = read_dicom(path, bits, width)
    if actual.shape != expected.shape:
        print("shape", actual.shape, "expected", expected.shape)
        return
    wrong = np.argwhere(actual != expected)
    if len(wrong):
        y, x = wrong[0]
        print("differs at", (int(y), int(x)), int(actual[y, x]), "expected", int(expected[y, x]),
              "count", len(wrong))
        return
    print("match")


main()
