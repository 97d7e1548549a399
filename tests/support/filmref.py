"""The film reference for acceptance tests: what the virtual digitizer's film
looks like, from outside any scan.

    render(config, film, dpi, depth=8, left=None, top=None, right=None, bottom=None,
           table=0, dark_enhance=0, average=1) -> numpy array
        Film `film` (1 = the first of the stack) of a digitizer configuration
        (a path to its `key = value` file, or that text itself) at `dpi` and
        `depth` (8 -> uint8, 12 or 16 -> uint16), as the digitizer delivers it
        with that table, dark enhance and averaging (the defaults are what the
        library programs unless told otherwise). Row 0 is the film's leading
        edge (the first line delivered), column 0 its left edge. The region's
        edges are inches from those edges, rounded to whole pixels; the whole
        film (the line width and lines of a whole-width scan) without them.

    film_number(image, dpi, left=0.0, top=0.0) -> int or None
        Reads the bar code on the film's left border from an image in film
        orientation whose pixel (0, 0) lies `left`, `top` inches from the
        film's left and leading edges; None when no bar code is there.

    compare(image, config, film, dpi, depth, left, top, right, bottom, shift=0, **curve)
        -> Match(equal, dx, dy, text)
        Whether `image` is exactly the reference region, or, with `shift`,
        the reference region with each edge moved by at most `shift` pixels
        (a selection made on the preview: ceil(dpi / preview dpi) + 1). dx, dy
        are the offset of the image's first pixel from the region's, in
        pixels; `text` says what was found.

The tool is build/native/toolkit/filmref of this tree (scripts/test builds
the native tree before the acceptance runs), or the program named by the
environment variable FILMREF.
"""
import collections
import math
import os
import subprocess
import tempfile

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Bar code geometry (toolkit/README.md): cells down the left border.
CODE_X, CODE_TOP, CODE_CELL, CODE_BITS = 0.2, 0.4, 0.2, 8

Match = collections.namedtuple("Match", "equal dx dy text")


def tool():
    path = os.environ.get("FILMREF") or os.path.join(ROOT, "build", "native", "toolkit", "filmref")
    if not os.access(path, os.X_OK):
        raise RuntimeError("the film reference tool %s is missing: build the native tree "
                           "(cmake --build build/native --target filmref)" % path)
    return path


def render(config, film, dpi, depth=8, left=None, top=None, right=None, bottom=None, table=0,
           dark_enhance=0, average=1):
    with tempfile.TemporaryDirectory() as scratch:
        if not os.path.exists(str(config)):
            text, config = config, os.path.join(scratch, "kit.ini")
            with open(config, "w") as f:
                f.write(text)
        out = os.path.join(scratch, "film.raw")
        command = [tool(), "--config", config, "--film", str(film), "--dpi", str(dpi), "--depth", str(depth),
                   "--table", str(table), "--dark-enhance", str(dark_enhance), "--average", str(average),
                   "--out", out]
        edges = (left, top, right, bottom)
        if any(e is not None for e in edges):
            if any(e is None for e in edges):
                raise ValueError("a region needs all four edges")
            for name, value in zip(("--left", "--top", "--right", "--bottom"), edges):
                command += [name, repr(float(value))]
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0:
            raise RuntimeError("%s: %s" % (" ".join(command), result.stderr.strip()))
        columns, rows = (int(v) for v in result.stdout.split()[:2])
        samples = np.fromfile(out, np.uint8 if depth == 8 else "<u2")
    return samples.reshape(rows, columns).astype(np.uint8 if depth == 8 else np.uint16)


def film_number(image, dpi, left=0.0, top=0.0):
    def cell(i):
        y = (CODE_TOP + (i + 0.5) * CODE_CELL - top) * dpi
        x = (CODE_X - left) * dpi
        r = max(1, int(CODE_CELL * dpi * 0.25))
        y0, x0 = int(round(y)) - r, int(round(x)) - r
        if y0 < 0 or x0 < 0 or y0 + 2 * r >= image.shape[0] or x0 + 2 * r >= image.shape[1]:
            return None
        return float(np.mean(image[y0:y0 + 2 * r + 1, x0:x0 + 2 * r + 1]))

    means = [cell(i) for i in range(2 + CODE_BITS)]
    if any(m is None for m in means):
        return None
    quiet, start = means[0], means[1]
    if abs(quiet - start) < 0.2 * max(abs(quiet), abs(start), 1):
        return None
    number = 0
    for m in means[2:]:
        number = number << 1 | (abs(m - start) < abs(m - quiet))
    return number


def compare(image, config, film, dpi, depth, left, top, right, bottom, shift=0, **curve):
    x0, y0 = round(left * dpi), round(top * dpi)
    width, height = round(right * dpi) - x0, round(bottom * dpi) - y0
    h, w = image.shape
    where = "film %d, %gx%g..%gx%g in at %d dpi" % (film, left, top, right, bottom, dpi)
    # Enough of the film around the region for every offset tried.
    ref = render(config, film, dpi, depth, (x0 - shift) / dpi, (y0 - shift) / dpi, (x0 + shift + w) / dpi,
                 (y0 + shift + h) / dpi, **curve)
    best = None
    for dy in range(-shift, shift + 1):
        for dx in range(-shift, shift + 1):
            # Both edges of each axis within the shift.
            if abs(dx + w - width) > shift or abs(dy + h - height) > shift:
                continue
            part = ref[dy + shift:dy + shift + h, dx + shift:dx + shift + w]
            if np.array_equal(part, image):
                return Match(True, dx, dy, "%s: equal at offset %+d,%+d px" % (where, dx, dy))
            same = float(np.mean(part == image))
            if best is None or same > best[0]:
                best = (same, dx, dy)
    if best is None:
        return Match(False, 0, 0, "%s: the image is %dx%d px, the region %dx%d (+-%d)" %
                     (where, w, h, width, height, shift))
    return Match(False, best[1], best[2], "%s: no offset within %d px matches (best %+d,%+d with %.1f%% equal)"
                 % (where, shift, best[1], best[2], 100 * best[0]))


def preview_shift(dpi, preview_dpi):
    """The slack of a selection made on the preview: one preview pixel, and one for rounding."""
    return math.ceil(dpi / preview_dpi) + 1
