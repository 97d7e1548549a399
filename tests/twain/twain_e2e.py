#!/usr/bin/python3
"""An application of our own (twain_app.exe) acquires from FilmTwain.ds through
Wine's source manager under Wine, against the virtual digitizer; each image it
received is judged by the film reference (tests/support/filmref.py): which
film (its bar code), which region (the frame twain_app negotiates, on the
film), which way round (each transfer's row order undone). The digitizer's
record of what it delivered only checks that strips keep every byte.

twain_e2e.py ROOT BUILD WORK CASE    CASE: open memory native file vanilla batch ui quiet negotiate conformance
                                     notes carryover
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
    width, as Wine's manager wants it (see the script); that folder and the
    user's settings file returned."""
    done = subprocess.run([os.path.join(ROOT, "scripts", "twain-install"), BUILD], check=True, capture_output=True,
                          text=True)
    folder, settings = done.stdout.split("\n")[:2]
    return os.path.join(BUILD, "wine", "prefix", "drive_c", "windows", folder), settings


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


def memory_transfer(depth, lines, *flags):
    """Memory strips run top-down, YOffset counted from the first line
    delivered. `lines` a strip (0: the source's preferred buffer); `flags`
    "vanilla" (0 white) and "undefined" (the length may be -1 before)."""
    out = run_app("acquire", "memory", str(depth), WORK, str(lines), *flags)
    got = field(out, r"memory rc (\d+) cc 0 strips (\d+) columns (\d+) rows (\d+) perrow (\d+)")
    if not got:
        return
    rc, strips, columns, rows, per_row = got
    line = (COLUMNS + 7) // 8 if depth == 1 else COLUMNS * (1 if depth == 8 else 2)
    per_strip = lines or 32768 // line       # the preferred buffer: whole lines of one digitizer block
    # Every strip full but the last; the last one that carries data says done.
    expected = [per_strip] * (ROWS // per_strip) + ([ROWS % per_strip] if ROWS % per_strip else [])
    check([rc, columns, rows, per_row] == [6, COLUMNS, ROWS, line], "memory %d: rc %d, %dx%d, %d bytes a row" %
          (depth, rc, columns, rows, per_row))
    shown = re.search(r"strip rows ([\d ]+)", out)
    check(strips == len(expected) and shown and [int(v) for v in shown.group(1).split()] == expected,
          "memory %d, %d lines a strip: %d strips %s, not %d %s" %
          (depth, per_strip, strips, shown.group(1) if shown else "?", len(expected), expected))
    # The length is known before the transfer (the frame's 12 inches at 75 dpi) unless the
    # application said it copes with -1.
    before = field(out, r"info before rc 0 width (\d+) length (-?\d+) bits (\d+)")
    check(before == [COLUMNS, -1 if "undefined" in flags else ROWS, 16 if depth > 8 else depth],
          "info before the transfer %s: width, length, bits a pixel" % before)
    check(field(out, r"info after rc 0 width (\d+) length (\d+)") == [COLUMNS, ROWS], "info after: the real length")
    raw = os.path.join(WORK, "memory-1.raw")
    if depth == 1:
        packed = np.fromfile(raw, np.uint8).reshape(rows, line)
        image = np.unpackbits(packed, axis=1)[:, :COLUMNS] * 255
    else:
        image = np.fromfile(raw, dtype=np.uint8 if depth == 8 else np.dtype("<u2")).reshape(rows, -1)
    if "vanilla" in flags:
        # 0 white: the film's samples turned round within their depth.
        image = 255 - image if depth in (1, 8) else (0xFFF0 - image if depth == 12 else 0xFFFF - image)
    elif depth != 1:
        # The strips lose no byte of what the digitizer sent...
        truth = truth_image(columns, image.dtype)
        check(np.array_equal(image, truth << 4 if depth == 12 else truth), "memory %d: the strips are not the bytes"
              " delivered %s %s" % (depth, image.shape, truth.shape))
    # ...which are the frame of the film; 12 bits arrive 4 up ("12 HI").
    if depth == 12:
        check(not np.any(image & 0xF), "memory 12: the low 4 bits are not clear")
    check_film(image >> 4 if depth == 12 else image, 1, depth, "memory %d bits %s" % (depth, " ".join(flags)))


def case_vanilla():
    """0 white: strips of grey, 12-bit and black-and-white data inverted against the film reference."""
    memory_transfer(8, 36, "vanilla", "undefined")
    memory_transfer(12, 0, "vanilla")
    memory_transfer(1, 0, "vanilla")


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
        image = read_bmp(os.path.join(WORK, "native-1.bmp"))
        check_film(image, 1, depth, "native %d bits" % depth)
        for when in ("before", "after"):
            info = field(out, r"info %s rc 0 width (\d+) length (-?\d+) bits (\d+) pixel (\d+) xres (\d+)" % when)
            check(info == [COLUMNS, ROWS, depth, 0 if depth == 1 else 1, DPI] and info[1] == image.shape[0],
                  "native %d: image info %s the transfer %s" % (depth, when, info))


def case_file():
    for depth, fmt in ((16, "tiff"), (8, "bmp"), (8, "tiff")):
        out = run_app("acquire", "file", str(depth), WORK, fmt)
        if not check("file rc 6" in out, "file %s %d:\n%s" % (fmt, depth, out)):
            continue
        path = os.path.join(WORK, "file-1." + ("tif" if fmt == "tiff" else "bmp"))
        image = read_tiff(path) if fmt == "tiff" else read_bmp(path)
        check_film(image, 1, depth, "file %s %d bits" % (fmt, depth))
        before = field(out, r"info before rc 0 width (\d+) length (-?\d+)")
        check(before == [COLUMNS, ROWS] and before[1] == image.shape[0],
              "file %s %d: the length before the transfer %s" % (fmt, depth, before))
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
    # With the dialog shown too the length is known before the first strip
    # (the film read ahead), and the Cancel above still reached the transfer.
    lengths = [int(n) for n in re.findall(r"info before rc 0 width \d+ length (-?\d+)", out)]
    check(lengths == [16 * DPI, 16 * DPI], "the lengths before the shown transfers: %s" % lengths)
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
    os.remove(SETTINGS)
    boxes = note_boxes()
    check(boxes == {"hidden session": [], "shown": ["Warning: " + STAGING_NOTE], "new session shown": []},
          "the notes of a fresh installation: %s" % boxes)
    with open(SETTINGS) as f:
        check("FlipWarningFirstTime=OFF" in f.read(), "the note was not stored as shown")


def note_boxes():
    """The message boxes of twain_app's notes run, by the session it shows them in."""
    out = run_app("notes", WORK)
    parts = re.split(r"^-- (hidden session|shown|new session shown)$", out, flags=re.M)
    return {name: re.findall(r"^box (.*)$", text, re.M) for name, text in zip(parts[1::2], parts[2::2])}


def case_carryover():
    """Settings of an older installation, beside the source, become the user's once and stay where they were;
    after that the user's own settings are the ones read."""
    old = os.path.join(SOURCE_FOLDER, "FilmTwain.ini")
    read = b"[SAVE_IMG_TO_DISK]\r\nFlipWarning=OFF\r\nFlipWarningFirstTime=OFF\r\n[PRESCAN_INFO]\r\nPrescanInfo=OFF\r\n"
    os.remove(SETTINGS)
    with open(old, "wb") as f:
        f.write(read)
    boxes = note_boxes()
    check(boxes == {"hidden session": [], "shown": [], "new session shown": []},
          "the old installation's operator had read the notes, yet: %s" % boxes)
    check(os.path.exists(SETTINGS) and open(SETTINGS, "rb").read().startswith(read),
          "the old settings were not carried over to %s" % SETTINGS)
    check(open(old, "rb").read() == read, "the old settings file beside the source was changed")
    # The old file now says the notes are unread: the user's settings decide.
    with open(old, "wb") as f:
        f.write(b"[SAVE_IMG_TO_DISK]\r\nFlipWarning=ON\r\nFlipWarningFirstTime=ON\r\n")
    boxes = note_boxes()
    check(boxes == {"hidden session": [], "shown": [], "new session shown": []},
          "the old settings were read again over the user's: %s" % boxes)
    os.remove(old)


def case_quiet():
    out = run_app("quiet", kit="stage = 18\n")
    check("closedsreq cc 5\n" in out and "job closed 1\n" in out and "xferready" not in out, "a failed hidden scan:\n" + out)


def case_negotiate():
    out = run_app("negotiate")
    expected = {
        "resolution 1234": "2 cc 0", "depth 4": "1 cc 10", "unsupported cap": "1 cc 13",
        "wrong item type": "1 cc 10", "null container": "1 cc 10", "short container": "1 cc 10",
        "null data": "1 cc 10", "unterminated name": "1 cc 10", "buffer short of a line": "1 cc 10",
        "no buffer": "1 cc 10", "native without a handle": "1 cc 10", "reset": "0 cc 0", "disable": "0 cc 0",
    }
    for what, answer in expected.items():
        check("%s rc %s\n" % (what, answer) in out, "%s: expected rc %s in:\n%s" % (what, answer, out))
    check("resolution now 800\n" in out and "pending after reset 0\n" in out, "nearest resolution, reset:\n" + out)
    check("layout 1 numbers 1 1 1\n" in out and "layout 3 numbers 1 1 1\n" in out, "layout numbers:\n" + out)


# ---- Conformance: every capability and every triplet, against the values TWAIN sets ---

# The digitizer's configuration (toolkit/README.md defaults) and the library's
# 17-inch longest film: what the values below are made of.
RESOLUTIONS = "75,100,150,200,285,300,400,570,800"
QS_GET = 0x1 | 0x8 | 0x4            # TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT
QS_ALL = QS_GET | 0x2 | 0x10        # and TWQC_SET | TWQC_RESET
UINT16, INT16, BOOL, FIX32, FRAME = 4, 1, 6, 7, 8

# name, number, item type, MSG_GET answer, current (= default), set to, current after the set
# (None: read-only, the set is refused with TWCC_CAPBADOPERATION and nothing changes).
CAPS = [
    ("CAP_XFERCOUNT", 0x0001, INT16, "one 1 -1", "-1", "3", "3"),
    ("CAP_SUPPORTEDCAPS", 0x1005, UINT16, None, None, "0", None),
    ("CAP_UICONTROLLABLE", 0x100e, BOOL, "one 6 1", "1", "0", None),
    ("CAP_INDICATORS", 0x100b, BOOL, "one 6 1", "1", "0", "0"),
    ("CAP_DEVICEONLINE", 0x100f, BOOL, "one 6 1", "1", "0", None),
    ("CAP_FEEDERENABLED", 0x1002, BOOL, "one 6 0", "0", "1", "1"),
    ("CAP_FEEDERLOADED", 0x1003, BOOL, "one 6 1", "1", "0", None),
    ("CAP_ENABLEDSUIONLY", 0x1014, BOOL, "one 6 0", "0", "1", None),
    ("CAP_DEVICEEVENT", 0x1022, UINT16, "array 4 -", "array 4 -", "0", None),
    ("ICAP_XFERMECH", 0x0103, UINT16, "enum 4 0 0 0,1,2", "0", "2", "2"),
    ("ICAP_PIXELTYPE", 0x0101, UINT16, "enum 4 1 1 0,1", "1", "0", "0"),
    ("ICAP_BITDEPTH", 0x112b, UINT16, "enum 4 0 0 8,12,16", "8", "16", "16"),
    ("ICAP_UNITS", 0x0102, UINT16, "enum 4 0 0 0,1,5", "0", "5", "5"),
    ("ICAP_XRESOLUTION", 0x1118, FIX32, "enum 7 2 2 " + RESOLUTIONS, "150", "300", "300"),
    ("ICAP_YRESOLUTION", 0x1119, FIX32, "enum 7 2 2 " + RESOLUTIONS, "150", "300", "300"),
    ("ICAP_XNATIVERESOLUTION", 0x1116, FIX32, "one 7 800", "800", "75", None),
    ("ICAP_YNATIVERESOLUTION", 0x1117, FIX32, "one 7 800", "800", "75", None),
    ("ICAP_PHYSICALWIDTH", 0x1111, FIX32, "one 7 14", "14", "10", None),
    ("ICAP_PHYSICALHEIGHT", 0x1112, FIX32, "one 7 17", "17", "10", None),
    ("ICAP_IMAGEFILEFORMAT", 0x110c, UINT16, "enum 4 0 0 2,0", "2", "0", "0"),
    ("ICAP_COMPRESSION", 0x0100, UINT16, "enum 4 0 0 0", "0", "0", "0"),
    ("ICAP_PLANARCHUNKY", 0x1120, UINT16, "enum 4 0 0 0", "0", "0", None),
    ("ICAP_PIXELFLAVOR", 0x111f, UINT16, "enum 4 0 0 0,1", "0", "1", "1"),
    ("ICAP_BITORDER", 0x111c, UINT16, "enum 4 0 0 1", "1", "1", "1"),
    ("ICAP_FRAMES", 0x1114, FRAME, "one 8 0:0:14:17", "0:0:14:17", "1 0 11 12", "1:0:11:12"),
    ("ICAP_UNDEFINEDIMAGESIZE", 0x112d, BOOL, "one 6 0", "0", "1", "1"),
]

# The TWAIN state table for a source: the states each triplet is allowed in.
# A second MSG_OPENDS reaches an open source only to be refused.
CONTROL, IMAGE = 0x1, 0x2
TRIPLETS = {
    (CONTROL, 0x0003, 0x0001): (3, 7),   # DAT_IDENTITY MSG_GET
    (CONTROL, 0x0003, 0x0402): (4, 4),   # DAT_IDENTITY MSG_CLOSEDS
    (CONTROL, 0x0010, 0x0902): (4, 4),   # DAT_CALLBACK MSG_REGISTER_CALLBACK
    (CONTROL, 0x0008, 0x0001): (3, 7),   # DAT_STATUS MSG_GET
    (CONTROL, 0x0001, 0x0001): (4, 7),   # DAT_CAPABILITY MSG_GET
    (CONTROL, 0x0001, 0x0002): (4, 7),   # MSG_GETCURRENT
    (CONTROL, 0x0001, 0x0003): (4, 7),   # MSG_GETDEFAULT
    (CONTROL, 0x0001, 0x0008): (4, 7),   # MSG_QUERYSUPPORT
    (CONTROL, 0x0001, 0x0006): (4, 4),   # MSG_SET
    (CONTROL, 0x0001, 0x0007): (4, 4),   # MSG_RESET
    (CONTROL, 0x0009, 0x0502): (4, 4),   # DAT_USERINTERFACE MSG_ENABLEDS
    (CONTROL, 0x0009, 0x0501): (5, 5),   # MSG_DISABLEDS
    (CONTROL, 0x0002, 0x0601): (5, 7),   # DAT_EVENT MSG_PROCESSEVENT
    (CONTROL, 0x0006, 0x0001): (4, 6),   # DAT_SETUPMEMXFER MSG_GET
    (CONTROL, 0x0007, 0x0001): (4, 6),   # DAT_SETUPFILEXFER MSG_GET
    (CONTROL, 0x0007, 0x0003): (4, 6),   # MSG_GETDEFAULT
    (CONTROL, 0x0007, 0x0006): (4, 6),   # MSG_SET
    (CONTROL, 0x0007, 0x0007): (4, 4),   # MSG_RESET
    (CONTROL, 0x0005, 0x0001): (4, 7),   # DAT_PENDINGXFERS MSG_GET
    (CONTROL, 0x0005, 0x0701): (6, 7),   # MSG_ENDXFER
    (CONTROL, 0x0005, 0x0007): (6, 6),   # MSG_RESET
    (CONTROL, 0x000a, 0x0001): (4, 7),   # DAT_XFERGROUP MSG_GET
    (IMAGE, 0x0102, 0x0001): (4, 6),     # DAT_IMAGELAYOUT MSG_GET
    (IMAGE, 0x0102, 0x0003): (4, 6),     # MSG_GETDEFAULT
    (IMAGE, 0x0102, 0x0006): (4, 4),     # MSG_SET
    (IMAGE, 0x0102, 0x0007): (4, 4),     # MSG_RESET
    (IMAGE, 0x0101, 0x0001): (6, 7),     # DAT_IMAGEINFO MSG_GET
    (IMAGE, 0x0103, 0x0001): (6, 7),     # DAT_IMAGEMEMXFER MSG_GET
    (IMAGE, 0x0104, 0x0001): (6, 6),     # DAT_IMAGENATIVEXFER MSG_GET
    (IMAGE, 0x0105, 0x0001): (6, 6),     # DAT_IMAGEFILEXFER MSG_GET
}
# Allowed and harmless with zeroed data: sent where allowed too, to succeed.
READ_ONLY = {(CONTROL, 0x0003, 0x0001), (CONTROL, 0x0008, 0x0001), (CONTROL, 0x0006, 0x0001),
             (CONTROL, 0x0007, 0x0001), (CONTROL, 0x0007, 0x0003), (CONTROL, 0x0005, 0x0001),
             (CONTROL, 0x000a, 0x0001), (IMAGE, 0x0102, 0x0001), (IMAGE, 0x0102, 0x0003), (IMAGE, 0x0101, 0x0001)}
# Triplets a source does not handle: optional ones this source lacks, and impossible ones.
UNKNOWN = [(CONTROL, 0x000a, 0x0006), (CONTROL, 0x0009, 0x0503), (CONTROL, 0x0005, 0x0702),
           (IMAGE, 0x0101, 0x0006), (IMAGE, 0x0001, 0x0001), (CONTROL, 0x00ff, 0x0001), (IMAGE, 0x0106, 0x0001)]


def conformance_script():
    lines = ["supported"]
    for name, cap, item, get, current, set_to, after in CAPS:
        lines.append("probe %04x %d %s" % (cap, item, set_to))
    lines += [
        "get 1030 1", "get 1030 8",                          # not supported
        "set 111c 4 0",                                      # least significant bit first: refused
        "set 112b 4 16", "set 0101 4 0", "get 112b 2",       # black and white takes the depth to 1
        "get 112b 1", "set 112b 4 8",                        # ...the only depth offered
        "set 0101 4 1", "get 112b 2", "get 112b 1",          # grey again: the default grey depth
        "openagain",
    ]
    for state in (4, 5, 6, 7):
        lines.append("state %d" % state)
        for (dg, dat, msg), (low, high) in sorted(TRIPLETS.items()):
            if not low <= state <= high or (dg, dat, msg) in READ_ONLY:
                lines.append("triplet %x %x %x" % (dg, dat, msg))
        lines += ["triplet %x %x %x" % t for t in UNKNOWN]
        lines.append("triplet 1 3 401")   # MSG_OPENDS straight to the open source
        if state == 7:
            lines.append("buffers")
    lines.append("leave")
    return "\n".join(lines) + "\n"


def case_conformance():
    os.makedirs(WORK, exist_ok=True)
    script = os.path.join(WORK, "conformance.txt")
    with open(script, "w") as f:
        f.write(conformance_script())
    out = run_app("conformance", win(script))
    rows = []   # (what, expected, got)

    def row(what, expected, pattern):
        m = re.search(pattern, out, re.M)
        rows.append((what, expected, m.group(1) if m else "(no answer)"))

    listed = re.search(r"^cap 1005 get rc 0 cc 0 array 4 ([\d,]+)$", out, re.M)
    listed_text = listed.group(1) if listed else ""
    listed = sorted(int(v) for v in listed_text.split(",")) if listed else []
    rows.append(("CAP_SUPPORTEDCAPS lists", " ".join("%04x" % c for c in sorted(c[1] for c in CAPS)),
                 " ".join("%04x" % c for c in listed)))
    for name, cap, item, get, current, set_to, after in CAPS:
        settable = after is not None
        if cap == 0x1005:
            get = current = "array 4 " + listed_text   # the set is judged above, its order is the source's
        elif not current.startswith("array"):
            current = "one %d %s" % (item, current)
        answer = r"^cap %04x %s rc (\d+ cc \d+ .*)$"
        row(name + " QUERYSUPPORT", "0 cc 0 one 2 %d" % (QS_ALL if settable else QS_GET), answer % (cap, "querysupport"))
        row(name + " GET", "0 cc 0 " + get, answer % (cap, "get"))
        row(name + " GETCURRENT", "0 cc 0 " + current, answer % (cap, "getcurrent"))
        row(name + " GETDEFAULT", "0 cc 0 " + current, answer % (cap, "getdefault"))
        row(name + " SET " + set_to, "0 cc 0" if settable else "1 cc 14", r"^cap %04x set rc (\d+ cc \d+)$" % cap)
        row(name + " after SET", "0 cc 0 " + ("one %d %s" % (item, after) if settable else current),
            answer % (cap, "afterset"))
        row(name + " RESET", "0 cc 0 " + current if settable else "1 cc 14 none", answer % (cap, "reset"))
        row(name + " after RESET", "0 cc 0 " + current, answer % (cap, "afterreset"))

    def ordered(what, expected, text):
        rows.append((what, expected, " | ".join(l for l in text if l)))

    sets = re.findall(r"^(cap (?:1030|111c|112b|0101) (?:msg\d+|set) rc .*)$", out, re.M)
    ordered("unsupported, bit order, depth with pixel type", " | ".join([
        "cap 1030 msg1 rc 1 cc 13 none", "cap 1030 msg8 rc 1 cc 13 none", "cap 111c set rc 1 cc 10",
        "cap 112b set rc 0 cc 0", "cap 0101 set rc 0 cc 0", "cap 112b msg2 rc 0 cc 0 one 4 1",
        "cap 112b msg1 rc 0 cc 0 enum 4 0 0 1", "cap 112b set rc 1 cc 10", "cap 0101 set rc 0 cc 0",
        "cap 112b msg2 rc 0 cc 0 one 4 8", "cap 112b msg1 rc 0 cc 0 enum 4 0 0 8,12,16"]), sets[-11:])
    # Wine's manager answers a second open itself, with its own condition: only its failure is the source's.
    row("MSG_OPENDS through the manager while open", "1", r"^openagain rc (\d+) cc \d+$")
    for state in (4, 5, 6, 7):
        part = out.split("-- state %d\n" % state)
        text = part[1].split("-- state")[0] if len(part) > 1 else ""
        for (dg, dat, msg), (low, high) in sorted(TRIPLETS.items()):
            allowed = low <= state <= high
            if allowed and (dg, dat, msg) not in READ_ONLY:
                continue
            expected = ("0 cc 0" if allowed else "1 cc 11")
            if (dg, dat, msg) == (CONTROL, 0x000a, 0x0001) and allowed:
                expected += " data 00000002"   # DG_IMAGE
            pattern = r"^triplet %d %x %04x %04x rc (\d+ cc \d+%s)" % (
                state, dg, dat, msg, " data [0-9a-f]+" if expected.endswith("2") else "")
            m = re.search(pattern, text, re.M)
            rows.append(("state %d %x/%04x/%04x" % (state, dg, dat, msg), expected, m.group(1) if m else "(no answer)"))
        for dg, dat, msg in UNKNOWN + [(CONTROL, 0x0003, 0x0401)]:
            expected = "1 cc 4" if dat == 0x0003 else "1 cc 9"
            m = re.search(r"^triplet %d %x %04x %04x rc (\d+ cc \d+)" % (state, dg, dat, msg), text, re.M)
            rows.append(("state %d %x/%04x/%04x" % (state, dg, dat, msg), expected, m.group(1) if m else "(no answer)"))
    row("memory buffer flagged neither pointer nor handle", "1 cc 10", r"^buffer unflagged rc (\d+ cc \d+)$")
    row("the same buffer flagged a handle", "0 cc 0 rows 1", r"^buffer handle rc (\d+ cc \d+ rows \d+)$")
    for what, expected, got in rows:
        print("%-58s %-8s %s" % (what, "ok" if expected == got else "WRONG", got))
        check(expected == got, "%s: expected %r, got %r" % (what, expected, got))


SOURCE_FOLDER, SETTINGS = install_source()
globals()["case_" + CASE]()
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pass")
