"""Reads an image file with an independent reader and compares its pixels,
in display order, with the test image the writer was given.

usage: check_image.py bmp|tiff|dicom FILE WIDTH ROWS BITS
Prints "match", or what differs.
"""
import sys

import numpy as np


def test_image(width, rows, bits):
    # The formula of image_test_support.cpp, row 0 first as delivered.
    y, x = np.mgrid[0:rows, 0:width].astype(np.uint32)
    v = x * 37 + y * 101 + x * y * 7
    if bits == 1:
        return (((x + 2 * y) % 3) == 0).astype(np.uint16)
    if bits == 8:
        return (v & 0xFF).astype(np.uint16)
    if bits == 12:
        return (v & 0xFFF).astype(np.uint16)
    return ((v * 13) & 0xFFFF).astype(np.uint16)


def read_bmp(path, bits):
    from PIL import Image
    image = Image.open(path)
    if bits == 1:
        return np.array(image.convert("L")).astype(np.uint16) // 255
    if bits == 8:
        return np.array(image.convert("L")).astype(np.uint16)  # through the palette
    # Pillow reads a 16-bit bitmap as 5-5-5 RGB; rebuild the low 15 bits.
    rgb = np.array(image.convert("RGB")).astype(np.uint16)
    return ((rgb[..., 0] >> 3) << 10) | ((rgb[..., 1] >> 3) << 5) | (rgb[..., 2] >> 3)


def read_tiff(path):
    from PIL import Image
    image = Image.open(path)
    if image.tag_v2.get(274) != 4:
        raise SystemExit("orientation tag is not 4")
    image.load()  # Pillow applies the Orientation tag as it loads
    return np.array(image).astype(np.uint16)


def read_dicom(path, width):
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
    kind, path = sys.argv[1:3]
    width, rows, bits = (int(v) for v in sys.argv[3:6])
    expected = test_image(width, rows, bits)
    if kind == "bmp":
        actual = read_bmp(path, bits)
        expected = expected[::-1] & 0x7FFF  # shown bottom-up
    elif kind == "tiff":
        actual = read_tiff(path)
        if bits == 12:
            expected = expected * 16
    else:
        actual = read_dicom(path, width)
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
