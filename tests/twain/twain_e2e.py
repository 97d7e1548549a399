#!/usr/bin/python3
"""An application of our own (twain_app.exe) acquires from FilmTwain.ds through
Wine's source manager under Wine, against the virtual digitizer; the images it
received are compared with the digitizer's own record of what it delivered.

twain_e2e.py ROOT BUILD WORK CASE    CASE: open memory native file batch ui quiet negotiate
Prints what went wrong and exits 1, or prints "pass".
"""
import os
import re
import subprocess
import sys

import numpy as np
import tifffile
from PIL import Image

ROOT, BUILD, WORK, CASE = sys.argv[1:5]
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
failures = []


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def install_source():
    """Into the test prefix's twain_64, as Wine's manager wants it (see the script)."""
    subprocess.run([os.path.join(ROOT, "scripts", "twain-install"), BUILD], check=True, capture_output=True)


def run_app(*args, kit=""):
    os.makedirs(WORK, exist_ok=True)
    truth = os.path.join(WORK, "truth.raw")
    with open(os.path.join(WORK, "kit.ini"), "w") as f:
        f.write("truthFile = %s\n%s" % (win(truth), kit))
    env = dict(os.environ, SCANKIT_CONFIG=win(os.path.join(WORK, "kit.ini")), TWAIN_TRUTH=win(truth))
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


def memory_transfer(depth):
    out = run_app("acquire", "memory", str(depth), WORK)
    got = field(out, r"memory rc 6 cc 0 strips (\d+) columns (\d+) rows (\d+) perrow (\d+)")
    if not got:
        return
    strips, columns, rows, per_row = got
    before = field(out, r"info before rc 0 width (\d+) length (-?\d+) bits (\d+)")
    check(before == [columns, -1, 16 if depth > 8 else depth],
          "info before the transfer: width, length unknown, bits a pixel")
    check(field(out, r"info after rc 0 width (\d+) length (\d+)") == [columns, rows], "info after: the real length")
    dtype = np.uint8 if depth == 8 else np.dtype("<u2")
    truth = truth_image(columns, dtype)
    if depth == 12:
        truth = truth << 4  # delivered in the high bits ("12 HI" is on by default)
    image = np.fromfile(os.path.join(WORK, "memory-1.raw"), dtype=dtype).reshape(rows, -1)
    check(strips > 1 and per_row == columns * (1 if depth == 8 else 2), "%d strips of %d bytes a row" % (strips, per_row))
    check(image.shape == truth.shape and np.array_equal(image, truth), "memory %d bits differ from the truth %s %s" %
          (depth, image.shape, truth.shape))
    check(columns == 750 and rows == 900, "the 10 x 12 inch frame at 75 dpi: %dx%d" % (columns, rows))


def case_memory():
    for depth in (8, 12, 16):
        memory_transfer(depth)


def case_native():
    for depth in (8, 1):
        out = run_app("acquire", "native", str(depth), WORK)
        if not check("native rc 6" in out and "pending 0 after rc 6" in out, "native %d:\n%s" % (depth, out)):
            continue
        image = np.array(Image.open(os.path.join(WORK, "native-1.bmp")).convert("L"))
        truth = truth_image(image.shape[1])
        expected = truth if depth == 8 else np.where(truth >= 128, 255, 0).astype(np.uint8)
        check(np.array_equal(image, expected), "native %d bits: DIB pixels differ from the truth" % depth)
        check(field(out, r"info after rc 0 width (\d+) length (\d+) bits (\d+) pixel (\d+) xres (\d+)") ==
              [image.shape[1], image.shape[0], depth, 0 if depth == 1 else 1, 75], "native %d: image info" % depth)


def case_file():
    for depth, fmt in ((16, "tiff"), (8, "bmp"), (8, "tiff")):
        out = run_app("acquire", "file", str(depth), WORK, fmt)
        if not check("file rc 6" in out, "file %s %d:\n%s" % (fmt, depth, out)):
            continue
        path = os.path.join(WORK, "file-1." + ("tif" if fmt == "tiff" else "bmp"))
        image = tifffile.imread(path) if fmt == "tiff" else np.array(Image.open(path))
        truth = truth_image(image.shape[1], np.uint8 if depth == 8 else np.dtype("<u2"))
        check(np.array_equal(image, truth), "file %s %d bits differs from the truth" % (fmt, depth))
    out = run_app("acquire", "file", "16", WORK, "bmp")
    check("file rc 1" in out, "a 16-bit bitmap file is refused:\n" + out)


def case_batch():
    out = run_app("batch", WORK, kit="films = 3\n")
    check(re.findall(r"pending (\d+) after rc 6", out) == ["2", "1", "0"], "pending 2, 1, 0:\n" + out)
    images = [np.array(Image.open(os.path.join(WORK, "native-%d.bmp" % i))) for i in (1, 2, 3)]
    for i, image in enumerate(images):
        check(np.array_equal(image, truth_image(image.shape[1], image=i + 1)), "film %d differs from the truth" % (i + 1))
    # Each transfer is the next film of the stack, not the first one again.
    check(len({image.tobytes() for image in images}) == 3, "the three transfers are not three films")


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


install_source()
globals()["case_" + CASE]()
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pass")
