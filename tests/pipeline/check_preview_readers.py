#!/usr/bin/python3
"""Loads DICOM data sets written by pydicom and bitmaps written by Pillow
through LoadDICOMImageFile, saves the previews with SaveBitmapToFile, reads
them back with Pillow and compares every pixel with a reduction computed
here from the image itself.

usage: check_preview_readers.py <rsz_tool> <work folder>"""
import os
import subprocess
import sys

import numpy as np
import pydicom
from PIL import Image
from pydicom.dataset import Dataset

TOOL = sys.argv[1]
WORK = sys.argv[2]
os.makedirs(WORK, exist_ok=True)
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)
        print('FAIL', text)


def factor_for(lines, samples, max_pixels):
    f = 1
    while lines * samples // f // f > max_pixels:
        f += 1
    return f


def window_of(preview, mask):
    """Lowest and highest non-empty histogram bins of a 2-byte preview."""
    height, width = preview.shape
    seen = preview if width + height < 1024 else preview[::2, ::2]
    bins = np.minimum((seen.astype(np.int64) & mask) // 2, 31999)
    return 2 * int(bins.min()), 2 * int(bins.max())


def to_grey(preview, bytes_per_sample, depth):
    """The 8-bit values of the bitmap: masked bytes, or windowed words."""
    mask = (1 << min(depth, 8 * bytes_per_sample)) - 1
    samples = preview.astype(np.int64) & mask
    if bytes_per_sample == 1:
        return samples.astype(np.uint8)
    low, high = window_of(preview, mask)
    samples = np.minimum(samples, high)
    grey = np.where(samples <= low, 0, (samples - low) * 256 // (high - low + 1))
    return grey.astype(np.uint8)


def fit(grey, bound_width, bound_height):
    height, width = grey.shape
    w = bound_width
    if bound_height * width < bound_width * height:
        w = bound_height * width // height
    w = (w + 3) // 4 * 4
    h = w * height // width
    if not (w < width and h < height):
        return grey
    columns = [min(width * i // (w - 1), width - 1) for i in range(w)]
    rows = [min(height * j // (h - 1), height - 1) for j in range(h)]
    return grey[np.ix_(rows, columns)]


def read_bitmap_rows(path):
    """The bitmap's rows in memory order (bottom row first), as Pillow sees it."""
    with Image.open(path) as im:
        check(im.format == 'BMP' and im.mode in ('L', 'P'), f'{path}: {im.format} {im.mode}')
        return np.array(im.convert('L'))[::-1]


def run_load(name, path, file_rows, reversed_rows, bytes_per_sample, depth, max_pixels, bound):
    """file_rows: the rows in the order the file stores them; reversed_rows:
    the kept rows are reversed to make the first row of the file the top."""
    full, fitted = os.path.join(WORK, name + '_full.bmp'), os.path.join(WORK, name + '_fit.bmp')
    result = subprocess.run([TOOL, 'load', path, str(max_pixels), str(bound[0]), str(bound[1]), full, fitted],
                            capture_output=True, text=True)
    check(result.returncode == 0, f'{name}: {result.stdout} {result.stderr}')
    if result.returncode != 0:
        return
    lines, samples = file_rows.shape
    f = factor_for(lines, samples, max_pixels)
    kept = file_rows[::f, ::f]
    grey = to_grey(kept[::-1] if reversed_rows else kept, bytes_per_sample, depth)
    got = read_bitmap_rows(full)
    check(got.shape == grey.shape and np.array_equal(got, grey), f'{name}: full preview {got.shape} {grey.shape}')
    expected_fit = fit(grey, *bound)
    got_fit = read_bitmap_rows(fitted)
    check(got_fit.shape == expected_fit.shape and np.array_equal(got_fit, expected_fit),
          f'{name}: fitted preview {got_fit.shape} {expected_fit.shape}')
    print(f'{name}: factor {f}, preview {grey.shape[1]}x{grey.shape[0]}, fit {got_fit.shape[1]}x{got_fit.shape[0]}')


def write_data_set(path, pixels, bits_stored):
    ds = Dataset()
    ds.Modality = 'OT'
    ds.PatientName = 'SMITH^JOHN'
    ds.SamplesPerPixel = 1
    ds.PhotometricInterpretation = 'MONOCHROME2'
    ds.Rows, ds.Columns = pixels.shape
    ds.BitsAllocated = 8 * pixels.dtype.itemsize
    ds.BitsStored = bits_stored
    ds.HighBit = bits_stored - 1
    ds.PixelRepresentation = 0
    ds.PixelData = pixels.astype('<u%d' % pixels.dtype.itemsize).tobytes()
    ds.is_little_endian = True
    ds.is_implicit_VR = True
    ds.save_as(path, write_like_original=True)
    with open(path, 'rb') as f:
        check(f.read(4) == b'\x08\x00\x60\x00', f'{path}: pydicom wrote a preamble or meta header')


def dicom_cases(rng):
    grey8 = ((np.arange(151)[:, None] * 3 + np.arange(201)[None, :] * 5) % 256).astype(np.uint8)
    path = os.path.join(WORK, 'pydicom8.dcm')
    write_data_set(path, grey8, 8)
    # The first row of the file is the top of the bitmap: bottom row first in memory.
    run_load('pydicom8', path, grey8, True, 1, 8, 10000, (60, 80))

    grey12 = rng.integers(200, 3900, size=(300, 250), dtype=np.uint16)
    path = os.path.join(WORK, 'pydicom12.dcm')
    write_data_set(path, grey12, 12)
    for max_pixels, bound in ((20000, (40, 40)), (16000, (100, 30))):
        run_load(f'pydicom12_{max_pixels}', path, grey12, True, 2, 12, max_pixels, bound)

    # Wide and short: the histogram looks at every second sample of every second line.
    grey16 = rng.integers(0, 65536, size=(60, 1000), dtype=np.uint16)
    path = os.path.join(WORK, 'pydicom16.dcm')
    write_data_set(path, grey16, 16)
    run_load('pydicom16', path, grey16, True, 2, 16, 1 << 30, (200, 200))


def bitmap_cases(rng):
    grey = rng.integers(0, 256, size=(97, 203), dtype=np.uint8)
    path = os.path.join(WORK, 'pillow8.bmp')
    Image.fromarray(grey, 'L').save(path)
    # Rows keep their padding to 4 bytes; the file stores the bottom row first,
    # as the bitmap does.
    padded = np.zeros((97, 204), dtype=np.uint8)
    padded[:, :203] = grey
    run_load('pillow8', path, padded[::-1], False, 1, 8, 6000, (50, 50))


def scan_case(rng):
    """A scan's blocks through RszInputDataBlock, with the scan's factor."""
    width, lines = 2000, 450
    image = (rng.integers(0, 4096, size=(lines, width), dtype=np.uint16) | 0x3000).astype('<u2')
    raw = os.path.join(WORK, 'scan12.raw')
    image.tofile(raw)
    out = os.path.join(WORK, 'scan12.bmp')
    factor = width // 300
    result = subprocess.run([TOOL, 'scan', raw, str(width), '2', '12', str(factor), '32768', out],
                            capture_output=True, text=True)
    check(result.returncode == 0, f'scan: {result.stdout} {result.stderr}')
    if result.returncode == 0:
        expected = to_grey(image[::factor, ::factor], 2, 12)
        got = read_bitmap_rows(out)
        check(got.shape == expected.shape and np.array_equal(got, expected), f'scan: preview {got.shape}')
        print(f'scan: factor {factor}, preview {got.shape[1]}x{got.shape[0]}')


def main():
    rng = np.random.default_rng(7)
    dicom_cases(rng)
    bitmap_cases(rng)
    scan_case(rng)
    passed = 0 if failures else 1
    print(f'{passed} passed, {len(failures)} failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
