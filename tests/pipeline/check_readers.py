#!/usr/bin/python3
"""Checks what the pipeline writes with Pillow (BMP, TIFF) and pydicom.

check_readers.py previews RSZ_TOOL WORK_FOLDER: files written by pydicom and
Pillow go through LoadDICOMImageFile and SaveBitmapToFile (rsz_tool) and come
back through Pillow, against a reduction computed here from the image.

check_readers.py scans FOLDER: each line of FOLDER/manifest.txt names an
end-to-end scan (name kind file raw pixels lines depth width landscape
threshold) and the raw truth the digitizer delivered; the file holds the
first `width` samples of each line, as bits at depth 1, turned by 90 degrees
in landscape (the last scanned line at the left).
"""
import os
import subprocess
import sys

import numpy as np
import pydicom
from PIL import Image
from pydicom.dataset import Dataset

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'imagefile'))
import check_image  # noqa: E402

READER = {"bmp": "bmp", "tif": "tiff", "dcm": "dicom"}

TOOL, WORK = (sys.argv[2], sys.argv[3]) if sys.argv[1] == 'previews' else (None, None)

def to_grey(kept, bytes_per_sample, depth):
    """The 8-bit values of the bitmap: masked bytes, or windowed words."""
    samples = kept.astype(np.int64) & ((1 << depth) - 1)
    if bytes_per_sample == 1:
        return samples
    height, width = samples.shape
    bins = np.minimum((samples if width + height < 1024 else samples[::2, ::2]) // 2, 31999)
    low, high = 2 * int(bins.min()), 2 * int(bins.max())
    samples = np.minimum(samples, high)
    return np.where(samples <= low, 0, (samples - low) * 256 // (high - low + 1))


def fit(grey, bound_width, bound_height):
    height, width = grey.shape
    w = bound_width if bound_height * width >= bound_width * height else bound_height * width // height
    w = (w + 3) // 4 * 4
    h = w * height // width
    if not (w < width and h < height):
        return grey  # never enlarged
    columns = [min(width * i // (w - 1), width - 1) for i in range(w)]
    rows = [min(height * j // (h - 1), height - 1) for j in range(h)]
    return grey[np.ix_(rows, columns)]


def check_load(name, path, file_rows, reversed_rows, bytes_per_sample, depth, max_pixels, bound):
    """file_rows in the order the file stores them; reversed_rows: the kept
    rows are reversed to make the first row of the file the top."""
    full, fitted = os.path.join(WORK, name + '_full.bmp'), os.path.join(WORK, name + '_fit.bmp')
    result = subprocess.run([TOOL, path, str(max_pixels), str(bound[0]), str(bound[1]), full, fitted],
                            capture_output=True, text=True)
    if result.returncode != 0:
        return f'{name}: {result.stdout} {result.stderr}'
    f = 1
    while file_rows.size // f // f > max_pixels:
        f += 1
    kept = file_rows[::f, ::f]
    grey = to_grey(kept[::-1] if reversed_rows else kept, bytes_per_sample, depth)
    for what, path, want in (('full', full, grey), ('fitted', fitted, fit(grey, *bound))):
        with Image.open(path) as im:
            got = np.array(im.convert('L')).astype(np.int64)[::-1]  # bottom row first, as in memory
        if got.shape != want.shape or not np.array_equal(got, want):
            return f'{name}: {what} preview {got.shape}, {want.shape} expected'
    print(f'{name}: factor {f}, preview {grey.shape[1]}x{grey.shape[0]}: match')
    return None


def data_set(name, pixels, bits_stored):
    ds = Dataset()
    ds.Modality, ds.SamplesPerPixel, ds.PhotometricInterpretation = 'OT', 1, 'MONOCHROME2'
    ds.Rows, ds.Columns = pixels.shape
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 16, bits_stored, bits_stored - 1, 0
    ds.PixelData = pixels.astype('<u2').tobytes()
    ds.is_little_endian, ds.is_implicit_VR = True, True
    ds.save_as(os.path.join(WORK, name + '.dcm'), write_like_original=True)
    return os.path.join(WORK, name + '.dcm')


def check_previews():
    os.makedirs(WORK, exist_ok=True)
    rng = np.random.default_rng(7)
    # Bits above the stored depth are not the image's; the first row of the
    # file becomes the top of the bitmap.
    grey12 = rng.integers(200, 3900, size=(300, 250), dtype=np.uint16) | 0x3000
    path = data_set('pydicom12', grey12, 12)
    results = [check_load(f'pydicom12_{max_pixels}', path, grey12, True, 2, 12, max_pixels, bound)
               for max_pixels, bound in ((20000, (40, 40)), (16000, (100, 30)))]
    # Wide and short: the window looks at every second sample of every second line.
    grey16 = rng.integers(0, 65536, size=(60, 1000), dtype=np.uint16)
    results.append(check_load('pydicom16', data_set('pydicom16', grey16, 16), grey16, True, 2, 16, 1 << 30,
                              (200, 200)))
    # A bitmap stores its bottom row first and keeps the padding of its rows.
    grey8 = np.zeros((97, 204), dtype=np.uint8)
    grey8[:, :203] = rng.integers(0, 256, size=(97, 203), dtype=np.uint8)
    bmp = os.path.join(WORK, 'pillow8.bmp')
    Image.fromarray(grey8[:, :203], 'L').save(bmp)
    results.append(check_load('pillow8', bmp, grey8[::-1], False, 1, 8, 6000, (150, 150)))
    # Refused: samples all in one histogram bin, and bounds below 2.
    flat = data_set('flat16', np.full((20, 20), 1000, dtype=np.uint16), 16)
    for path, bound in ((flat, '100'), (bmp, '1')):
        refused = subprocess.run([TOOL, path, '100000', bound, '100'] + [os.path.join(WORK, 'refused.bmp')] * 2,
                                 capture_output=True, text=True)
        results.append(None if refused.stdout.startswith('load 1\n') else f'{path} at {bound}: {refused.stdout}')
    return results


NEEDED = [(kind, depth) for kind, depths in (("bmp", (1, 8)), ("tif", (1, 8, 12, 16)), ("dcm", (8, 12, 16)))
          for depth in depths]


def expected_image(path, pixels, lines, depth, width, landscape, threshold):
    data = np.fromfile(path, dtype=np.uint8)
    samples = (data.view("<u2") if depth > 8 else data)[: pixels * lines].astype(np.int64)
    image = samples.reshape(lines, pixels)[:, :width]
    if depth == 1:
        image = (image >= threshold).astype(np.int64)
    # Output row r is source column r; pixel x comes from line lines-1-x.
    return image.T[:, ::-1] if landscape else image


def check_scan(folder, name, kind, file, raw, *numbers):
    pixels, lines, depth, width, landscape, threshold = map(int, numbers)
    expected = expected_image(os.path.join(folder, raw), pixels, lines, depth, width, landscape, threshold)
    path = os.path.join(folder, file)
    stored = int(pydicom.dcmread(path, force=True).BitsStored) if kind == "dcm" else depth
    if stored != depth:
        return f"Bits Stored {stored}, {depth} expected"
    # The writers' reader; a bitmap stores the first delivered row at the bottom.
    actual = check_image.read(READER[kind], path, expected.shape[1], depth).astype(np.int64)
    actual = actual[::-1] if kind == "bmp" else actual
    if kind == "tif" and depth == 12:
        expected = expected * 16  # stored as 16-bit samples
    if actual.shape != expected.shape:
        return f"{actual.shape[1]}x{actual.shape[0]}, {expected.shape[1]}x{expected.shape[0]} expected"
    if np.count_nonzero(actual != expected):
        return f"{np.count_nonzero(actual != expected)} pixels differ from what the digitizer sent"
    # An image that a flip leaves unchanged could not show a turned or reversed file.
    if np.array_equal(expected, expected[::-1]) or np.array_equal(expected, expected[:, ::-1]):
        return "a symmetric image proves nothing about the order"
    return None


def check_scans(folder):
    with open(os.path.join(folder, "manifest.txt")) as manifest:
        entries = [line.split() for line in manifest if line.strip()]
    results = [None if (kind, str(depth)) in {(f[1], f[6]) for f in entries}
               else f"no {kind} file at depth {depth} was checked" for kind, depth in NEEDED]
    for fields in entries:
        try:
            problem = check_scan(folder, *fields)
        except Exception as error:  # a reader refusing the file is a failure too
            problem = str(error)
        print(f"{fields[0]}: {problem or 'match'}")
        results.append(f"{fields[0]}: {problem}" if problem else None)
    return results


def main():
    results = check_previews() if sys.argv[1] == 'previews' else check_scans(sys.argv[2])
    failures = [result for result in results if result]
    for failure in failures:
        print('FAIL', failure)
    print(f'{len(results) - len(failures)} passed, {len(failures)} failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
