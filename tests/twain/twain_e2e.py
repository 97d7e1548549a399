#!/usr/bin/python3
"""An application of our own (twain_app.exe) acquires from FilmTwain.ds through
Wine's source manager under Wine, against the virtual digitizer; each image it
received is judged by the film reference (tests/support/filmref.py): which
film (its bar code), which region (the frame twain_app negotiates, on the
film), which way round (each transfer's row order undone). The digitizer's
record of what it delivered only checks that strips keep every byte.

twain_e2e.py ROOT BUILD WORK CASE    CASE: open memory native file batch ui quiet negotiate
Prints what went wrong and exits 1, or prints "pass".
"""
import os
import re
import struct
import subprocess
import sys

import numpy as np
import tifffile
from PIL import Image

ROOT, BUILD, WORK, CASE = sys.argv[1:5]
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import filmref  # noqa: E402  (found through ROOT)

WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
KIT = os.path.join(WORK, "kit.ini")
failures = []

# What twain_app negotiates (its Negotiate): 75 dpi and this frame, inches on
# the bed. The digitizer centres its film (12 inches wide by default) on the
# 14-inch bed; the frame's top counts from the film's leading edge, so the
# frame holds the bar code on the film's left border.
DPI = 75
FRAME = (1.0, 0.0, 11.0, 12.0)
BED, FILM_WIDTH = 14.0, 12.0
ON_FILM = (FRAME[0] - (BED - FILM_WIDTH) / 2, FRAME[1], FRAME[2] - (BED - FILM_WIDTH) / 2, FRAME[3])
COLUMNS, ROWS = round((FRAME[2] - FRAME[0]) * DPI), round((FRAME[3] - FRAME[1]) * DPI)   # 750 x 900
THRESHOLD = 128   # the library's bitThreshold unless the operator moves it


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def install_source():
    """Into the test prefix's twain_32 or twain_64, the folder of the source's
    width, as Wine's manager wants it (see the script); the folder returned."""
    done = subprocess.run([os.path.join(ROOT, "scripts", "twain-install"), BUILD], check=True, capture_output=True,
                          text=True)
    return os.path.join(BUILD, "wine", "prefix", "drive_c", "windows", done.stdout.strip())


def run_app(*args, kit=""):
    os.makedirs(WORK, exist_ok=True)
    truth = os.path.join(WORK, "truth.raw")
    with open(KIT, "w") as f:
        f.write("truthFile = %s\n%s" % (win(truth), kit))
    env = dict(os.environ, SCANKIT_CONFIG=win(KIT), TWAIN_TRUTH=win(truth))
    for name in os.listdir(WORK):
        if name.startswith(("truth", "memory-", "native-", "file-")):
            os.remove(os.path.join(WORK, name))
    result = subprocess.run([WINE_RUN, "--build", BUILD, os.path.join(BUILD, "bin", "twain_app.exe"), *args],
                            env=env, capture_output=True, text=True, timeout=380)
    out = result.stdout.replace("\r", "")
    check(result.returncode == 0 and "closedsm 0" in out, "twain_app %s ended with %d:\n%s" %
          (" ".join(args), result.returncode, out[-3000:]))
    return out


def truth_image(width, dtype=np.uint8, image=1):
    data = np.fromfile(os.path.join(WORK, "truth-%d.raw" % image), dtype=dtype)
    return data.reshape(-1, width)


def field(out, pattern):
    m = re.search(pattern, out)
    check(m is not None, "no line %r in:\n%s" % (pattern, out[-2000:]))
    return [int(g) for g in m.groups()] if m else None


def case_open():
    out = run_app("open")
    ids = re.findall(r"identity 0 FilmCore/Film Digitizer/FilmTwain protocol 2\.4 groups 40000003", out)
    check(len(ids) == 3 and out.count("closeds 0") == 3, "three opens and closes:\n" + out)


def check_film(image, film, depth, what):
    """`image` (film orientation: row 0 the leading edge) is the negotiated frame
    of film `film`: its bar code reads `film`, and it is that region of the
    film's reference, sample for sample, at `depth` bits (1: the reference's
    8-bit samples at or above the threshold white)."""
    number = filmref.film_number(image, DPI, *ON_FILM[:2])
    check(number == film, "%s: the bar code reads film %s, not %d" % (what, number, film))
    if depth == 1:
        reference = filmref.render(KIT, film, DPI, 8, *ON_FILM)
        expected = np.where(reference >= THRESHOLD, 255, 0).astype(np.uint8)
        check(image.shape == expected.shape and np.array_equal(image, expected),
              "%s: %s is not film %d's %s region thresholded at %d" % (what, image.shape, film, ON_FILM, THRESHOLD))
        return
    match = filmref.compare(image, KIT, film, DPI, depth, *ON_FILM)
    check(match.equal, "%s: %s" % (what, match.text))


def read_bmp(path):
    """Film orientation: a bottom-up bitmap (positive height) stores the last row
    first; Pillow hands its rows top-down, so row 0 is the first line delivered."""
    with open(path, "rb") as f:
        head = f.read(26)
    check(head[:2] == b"BM" and struct.unpack("<i", head[22:26])[0] > 0, "%s is not a bottom-up bitmap" % path)
    return np.array(Image.open(path).convert("L"))


def read_tiff(path):
    """Film orientation from the Orientation tag as written (absent: 1, row 0 at the top)."""
    with tifffile.TiffFile(path) as f:
        image, tag = f.asarray(), f.pages[0].tags.get("Orientation")
    orientation = tag.value if tag else 1
    check(orientation in (1, 4), "%s: orientation %d" % (path, orientation))
    return image[::-1] if orientation == 4 else image


def memory_transfer(depth, lines):
    """Memory strips run top-down, YOffset counted from the first line
    delivered. `lines` a strip (0: the source's preferred buffer)."""
    out = run_app("acquire", "memory", str(depth), WORK, str(lines))
    got = field(out, r"memory rc (\d+) cc 0 strips (\d+) columns (\d+) rows (\d+) perrow (\d+)")
    if not got:
        return
    rc, strips, columns, rows, per_row = got
    bytes_per_sample = 1 if depth == 8 else 2
    line = COLUMNS * bytes_per_sample
    per_strip = lines or 32768 // line       # the preferred buffer: whole lines of one digitizer block
    # Every strip full but the last; the last one that carries data says done.
    expected = [per_strip] * (ROWS // per_strip) + ([ROWS % per_strip] if ROWS % per_strip else [])
    check([rc, columns, rows, per_row] == [6, COLUMNS, ROWS, line], "memory %d: rc %d, %dx%d, %d bytes a row" %
          (depth, rc, columns, rows, per_row))
    shown = re.search(r"strip rows ([\d ]+)", out)
    check(strips == len(expected) and shown and [int(v) for v in shown.group(1).split()] == expected,
          "memory %d, %d lines a strip: %d strips %s, not %d %s" %
          (depth, per_strip, strips, shown.group(1) if shown else "?", len(expected), expected))
    before = field(out, r"info before rc 0 width (\d+) length (-?\d+) bits (\d+)")
    check(before == [COLUMNS, -1, 16 if depth > 8 else depth],
          "info before the transfer: width, length unknown, bits a pixel")
    check(field(out, r"info after rc 0 width (\d+) length (\d+)") == [COLUMNS, ROWS], "info after: the real length")
    dtype = np.uint8 if depth == 8 else np.dtype("<u2")
    image = np.fromfile(os.path.join(WORK, "memory-1.raw"), dtype=dtype).reshape(rows, -1)
    # The strips lose no byte of what the digitizer sent...
    truth = truth_image(columns, dtype)
    check(np.array_equal(image, truth << 4 if depth == 12 else truth), "memory %d: the strips are not the bytes"
          " delivered %s %s" % (depth, image.shape, truth.shape))
    # ...which are the frame of the film; 12 bits arrive 4 up ("12 HI").
    if depth == 12:
        check(not np.any(image & 0xF), "memory 12: the low 4 bits are not clear")
    check_film(image >> 4 if depth == 12 else image, 1, depth, "memory %d bits" % depth)


def case_memory():
    # 8 bits in strips of 36 of the 900 lines: exactly 25 strips, the 25th done.
    # 12 and 16 bits in the preferred 21 lines: 42 full strips and one of 18.
    for depth, lines in ((8, 36), (12, 0), (16, 0)):
        memory_transfer(depth, lines)


def case_native():
    for depth in (8, 1):
        out = run_app("acquire", "native", str(depth), WORK)
        if not check("native rc 6" in out and "pending 0 after rc 6" in out, "native %d:\n%s" % (depth, out)):
            continue
        check_film(read_bmp(os.path.join(WORK, "native-1.bmp")), 1, depth, "native %d bits" % depth)
        check(field(out, r"info after rc 0 width (\d+) length (\d+) bits (\d+) pixel (\d+) xres (\d+)") ==
              [COLUMNS, ROWS, depth, 0 if depth == 1 else 1, DPI], "native %d: image info" % depth)


def case_file():
    for depth, fmt in ((16, "tiff"), (8, "bmp"), (8, "tiff")):
        out = run_app("acquire", "file", str(depth), WORK, fmt)
        if not check("file rc 6" in out, "file %s %d:\n%s" % (fmt, depth, out)):
            continue
        path = os.path.join(WORK, "file-1." + ("tif" if fmt == "tiff" else "bmp"))
        image = read_tiff(path) if fmt == "tiff" else read_bmp(path)
        check_film(image, 1, depth, "file %s %d bits" % (fmt, depth))
    out = run_app("acquire", "file", "16", WORK, "bmp")
    check("file rc 1" in out, "a 16-bit bitmap file is refused:\n" + out)


def case_batch():
    """Three films through the feeder: films 1, 2, 3 in feed order, each the frame of its own film."""
    out = run_app("batch", WORK, kit="films = 3\n")
    check(re.findall(r"pending (\d+) after rc 6", out) == ["2", "1", "0"], "pending 2, 1, 0:\n" + out)
    for film in (1, 2, 3):
        path = os.path.join(WORK, "native-%d.bmp" % film)
        if check(os.path.exists(path), "no transfer %d" % film):
            check_film(read_bmp(path), film, 8, "transfer %d of the batch" % film)


def case_shownbatch():
    """The same three films with the dialog shown, the operator scanning in multi-film mode with Save To Disk off:
    films 1, 2, 3 in feed order. The dialog keeps the frame's left edge (the film's left edge) and takes
    the width its fields allow from there to the bed's edge, down the whole 16-inch film."""
    out = run_app("shownbatch", WORK, kit="films = 3\n")
    check(re.findall(r"pending (\d+) after rc 6", out) == ["2", "1", "0"], "pending 2, 1, 0:\n" + out)
    for film in (1, 2, 3):
        path = os.path.join(WORK, "native-%d.bmp" % film)
        if not check(os.path.exists(path), "no transfer %d" % film):
            continue
        image = read_bmp(path)
        region = (ON_FILM[0], 0.0, ON_FILM[0] + image.shape[1] / DPI, image.shape[0] / DPI)
        check(image.shape[0] == 16 * DPI and image.shape[1] >= FILM_WIDTH * DPI,
              "shown batch, transfer %d: %s is not the film's length by at least its width" % (film, image.shape))
        number = filmref.film_number(image, DPI, *region[:2])
        check(number == film, "shown batch, transfer %d: the bar code reads film %s" % (film, number))
        match = filmref.compare(image, KIT, film, DPI, 8, *region)
        check(match.equal, "shown batch, transfer %d: %s" % (film, match.text))


def case_ui():
    out = run_app("ui", WORK)
    expected = ["dialog shown", "xferready", "pending 0 after rc 6", "closedsreq cc 0", "job closed 1",
                "dialog shown", "xferready", "cancelled rc 3", "job cancelled 1"]
    at = 0
    for line in expected:
        found = out.find(line, at)
        if not check(found >= 0, "%r missing in order:\n%s" % (line, out)):
            break
        at = found + len(line)
    # The operator's dialog scans with its own settings: the whole film in the
    # transport (12 x 16 inches), at the negotiated resolution.
    got = field(out, r"memory rc 6 cc 0 strips \d+ columns (\d+) rows (\d+)")
    if got and check(got == [12 * DPI, 16 * DPI], "the dialog's scan is %dx%d, not the whole film" % tuple(got)):
        image = np.fromfile(os.path.join(WORK, "memory-1.raw"), np.uint8).reshape(got[1], got[0])
        check(filmref.film_number(image, DPI) == 1, "the dialog's scan: the bar code reads film %s, not 1" %
              filmref.film_number(image, DPI))
        check(np.array_equal(image, filmref.render(KIT, 1, DPI)), "the dialog's scan is not film 1 whole")


STAGING_NOTE = ("Note:  Saving the image to disk requires unique staging.\\r\\nHold the film in front of you as you "
                "would view it on a\\r\\nlight box.  In batch mode, the first film scanned should\\r\\nbe at the back "
                "of the stack.\\r\\n\\r\\nPlease consult the User Guide for more details.\\r\\n")


def case_notes():
    """A fresh installation: no note in a hidden session, the first-time note in the first dialog shown, never again."""
    settings = os.path.join(SOURCE_FOLDER, "FilmTwain.ini")
    os.remove(settings)
    out = run_app("notes", WORK)
    parts = re.split(r"^-- (hidden session|shown|new session shown)$", out, flags=re.M)
    boxes = {name: re.findall(r"^box (.*)$", text, re.M) for name, text in zip(parts[1::2], parts[2::2])}
    check(boxes == {"hidden session": [], "shown": ["Warning: " + STAGING_NOTE], "new session shown": []},
          "the notes of a fresh installation: %s\n%s" % (boxes, out))
    with open(settings) as f:
        check("FlipWarningFirstTime=OFF" in f.read(), "the note was not stored as shown")


def case_quiet():
    out = run_app("quiet", kit="stage = 18\n")
    check("closedsreq cc 5\n" in out and "job closed 1\n" in out and "xferready" not in out, "a failed hidden scan:\n" + out)


def case_negotiate():
    out = run_app("negotiate")
    expected = {
        "resolution 1234": "2 cc 0", "depth 4": "1 cc 10", "unsupported cap": "1 cc 13",
        "wrong item type": "1 cc 10", "null container": "1 cc 10", "short container": "1 cc 10",
        "null data": "1 cc 10", "unterminated name": "1 cc 10", "info in state 4": "1 cc 11",
        "endxfer in state 4": "1 cc 11", "disable in state 4": "1 cc 11", "unknown triplet": "1 cc 9",
        "set in state 5": "1 cc 11", "buffer short of a line": "1 cc 10", "no buffer": "1 cc 10",
        "native without a handle": "1 cc 10", "enable in state 6": "1 cc 11", "reset": "0 cc 0", "disable": "0 cc 0",
    }
    for what, answer in expected.items():
        check("%s rc %s\n" % (what, answer) in out, "%s: expected rc %s in:\n%s" % (what, answer, out))
    check("resolution now 800\n" in out and "pending after reset 0\n" in out, "nearest resolution, reset:\n" + out)
    check("layout 1 numbers 1 1 1\n" in out and "layout 3 numbers 1 1 1\n" in out, "layout numbers:\n" + out)


SOURCE_FOLDER = install_source()
globals()["case_" + CASE]()
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pass")
