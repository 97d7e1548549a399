"""Reads an image file with an independent reader (Pillow, pydicom) and
compares its pixels, in display order, with the test image the writer got.

usage: check_image.py bmp|tiff|dicom FILE WIDTH ROWS BITS; prints "match" or what differs.
read() also reads the scan pipeline's files (tests/pipeline/check_readers.py).
"""
import sys

import numpy as np


def test_image(width, rows, bits):
    # The formula of image_test_support.cpp, row 0 first as delivered.
    y, x = np.mgrid[0:rows, 0:width].astype(np.uint32)
    v = x * 37 + y * 101 + x * y * 7
    samples = {1: ((x + 2 * y) % 3) == 0, 8: v & 0xFF, 12: v & 0xFFF}.get(bits, (v * 13) & 0xFFFF)
    return samples.astype(np.uint16)


def read(kind, path, width, bits):
    from PIL import Image
    if kind == "dicom":
        import pydicom
        from pydicom.dataset import FileMetaDataset
        dataset = pydicom.dcmread(path, force=True)
        dataset.file_meta = FileMetaDataset()
        dataset.file_meta.TransferSyntaxUID = pydicom.uid.ImplicitVRLittleEndian
        pixels = dataset.pixel_array.astype(np.uint16)
        if pixels.shape[1] > width and np.any(pixels[:, width:]):
            raise SystemExit("pad column is not zero")
        return pixels[:, :width]
    image = Image.open(path)
    if kind == "tiff":
        if image.tag_v2.get(274) != 4:
            raise SystemExit("orientation tag is not 4")
        return np.array(image).astype(np.uint16)  # Pillow applies the orientation as it loads
    if bits <= 8:  # through the palette
        return np.array(image.convert("L")).astype(np.uint16) // (255 if bits == 1 else 1)
    # Pillow reads a 16-bit bitmap as 5-5-5 RGB; rebuild the low 15 bits.
    rgb = np.array(image.convert("RGB")).astype(np.uint16)
    return ((rgb[..., 0] >> 3) << 10) | ((rgb[..., 1] >> 3) << 5) | (rgb[..., 2] >> 3)


def main():
    kind, path = sys.argv[1:3]
    width, rows, bits = (int(v) for v in sys.argv[3:6])
    expected = test_image(width, rows, bits)
    if kind == "bmp":
        expected = expected[::-1] & 0x7FFF  # shown bottom-up
    elif kind == "tiff" and bits == 12:
        expected = expected * 16
    actual = read(kind, path, width, bits)
    if actual.shape != expected.shape:
        print("shape", actual.shape, "expected", expected.shape)
        return
    wrong = np.argwhere(actual != expected)
    if len(wrong):
        y, x = wrong[0]
        print("differs at", (int(y), int(x)), int(actual[y, x]), "expected", int(expected[y, x]), "count", len(wrong))
        return
    print("match")


if __name__ == "__main__":
    main()
