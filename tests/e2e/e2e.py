#!/usr/bin/python3
"""Acceptance runs: filmhost.exe plays an operator script against the main
dialog under Wine, over the installed virtual digitizer; the files it leaves
are read by tifffile, pydicom, DCMTK and Pillow and compared with the film
reference (tests/support/filmref.py): which film, which region of it, which
way round. The truth files (the bytes the digitizer delivered) only check
that a memory transfer in blocks keeps every byte.

e2e.py ROOT BUILD WORK JOB    JOB: memory, dicom-batch, region or faults
Prints what went wrong and exits 1 (leaving WORK), or removes WORK and prints "pass".
"""
import contextlib
import os
import re
import subprocess

import numpy as np
import pydicom
import tifffile
from PIL import Image

from e2e_run import DONE, WORK, boxes, check, check_dciodvfy, check_whole_film, filmref, naming_steps, run, run_host, win

RECORD_BYTES = 732
DPI, PREVIEW_DPI = 150, 75   # the dialog's resolution and the prescan's


def truth(folder, film, dtype=np.uint8):
    return np.fromfile(os.path.join(folder, "truth-%d.raw" % film), dtype=dtype)


def read_tiff(path):
    """Film orientation (row 0 = the leading edge): the file stores the rows from
    the last delivered one on under Orientation 4 (row 0 is the visual bottom)."""
    with tifffile.TiffFile(path) as f:
        image, orientation = f.asarray(), f.pages[0].tags["Orientation"].value
    check(orientation == 4, "%s: orientation %d" % (path, orientation))
    return image[::-1]


def read_bmp(path):
    """Film orientation: a bitmap's rows run bottom-up, so Pillow's top row is the last delivered line."""
    return np.array(Image.open(path))[::-1]


def lines_of(data, width):
    check(data.size % width == 0, "%d samples are not lines of %d" % (data.size, width))
    return data[:data.size - data.size % width].reshape(-1, width)


def check_lists(folder, names):
    """Exit wrote both lists: the names one a line, the records with the name at byte 8."""
    with open(os.path.join(folder, "names.lst"), "rb") as f:  # a Windows text file
        check(f.read() == b"".join(n.encode() + b"\r\n" for n in names), "names.lst does not list %s" % names)
    with open(os.path.join(folder, "list.bin"), "rb") as f:
        data = f.read()
    got = [data[i + 8:i + RECORD_BYTES].split(b"\0")[0].decode() for i in range(0, len(data), RECORD_BYTES)]
    check(len(data) == RECORD_BYTES * len(names) and got == names, "list.bin holds %s" % got)


def case_memory():
    """The host pulls the film in blocks of its own size, which split lines."""
    for depth, shift in ((8, 0), (12, 4)):
        folder = os.path.join(WORK, "depth%d" % depth)
        steps = ["wait-status Ready 60"] + (["pick 1007 12", "pause 1"] if depth == 12 else [])
        log = run_host(folder, steps + ["click 1003", "wait-image 120", "exit"], "",
                       ["--transfer-mode", "1", "--block-bytes", "10007"])
        check("imageReady: memory transfer" in log, "no memory transfer at %d bits" % depth)
        pgm = os.path.join(folder, "transfer-1.pgm")
        if not check(os.path.exists(pgm), "no %s" % pgm):
            continue
        pulled = np.array(Image.open(pgm)).astype(np.uint16)
        # Blocks that split lines lose no byte of what the digitizer sent...
        sent = lines_of(truth(folder, 1, np.uint8 if depth == 8 else "<u2"), pulled.shape[1])
        check(np.array_equal(pulled, sent << shift),
              "%d bits: the pulled %s is not the delivered %s" % (depth, pulled.shape, sent.shape))
        # ...and what was pulled is the first film, whole, the leading edge first;
        # 12-bit samples arrive in the low bits and "12 HI" moves them up.
        check_whole_film(pulled >> shift, folder, 1, DPI, depth, "memory transfer at %d bits" % depth)


PATIENT = ((3003, "PatientName", "DOE^JANE"), (3004, "PatientBirthDate", "19600102"), (3005, "PatientSex", "F"),
           (3006, "PatientID", "PID-0042"), (3007, "StudyID", "STUDY7"), (3008, "SeriesNumber", "3"),
           (3009, "InstanceNumber", "11"))


def case_dicom_batch():
    """Patient data typed first, then three films of the feeder to DICOM in multi-film mode."""
    folder = os.path.join(WORK, "batch")
    steps = ["wait-status Ready 60", "format DICOM", "click 1014", 'wait-window "Patient Information"']
    steps += ['type %d "%s"' % (control, value) for control, _, value in PATIENT]
    steps += ["click 1", "click 6038", "pick 1040 3", "pause 1"]
    steps += naming_steps(folder, ["front", "side", "back"])
    steps += ["wait-image 180"] * 3 + ["exit"]
    run_host(folder, steps, "", ["--transfer-mode", "2"])
    names = [os.path.join(folder, n + ".dcm") for n in ("front", "side", "back")]
    uids = set()
    for film, name in enumerate(names, 1):
        if not check(os.path.exists(name), "no %s" % name):
            continue
        dump = subprocess.run(["dcmdump", "-f", "-ti", name], capture_output=True, text=True)
        check(dump.returncode == 0 and "PixelData" in dump.stdout, "dcmdump %s: %s" % (name, dump.stderr))
        check_dciodvfy(name)
        ds = pydicom.dcmread(name, force=True)
        ds.file_meta = pydicom.dataset.FileMetaDataset()
        ds.file_meta.TransferSyntaxUID = pydicom.uid.ImplicitVRLittleEndian
        for _, keyword, value in PATIENT:
            check(str(ds.get(keyword, "")) == value, "%s: %s is %r" % (name, keyword, ds.get(keyword)))
        uids.add(str(ds.get("SOPInstanceUID", "")))
        # DICOM rows run in delivery order: the leading edge first. Multi-film
        # mode scans the bed's whole width.
        check_whole_film(ds.pixel_array, folder, film, DPI, 8, name, bed=True)
    check(len(uids) == 3 and "" not in uids, "SOP Instance UIDs %s are not three" % sorted(uids))
    check_lists(folder, [win(n) for n in names])


# Regions dragged on the preview, one per unit: film points in inches from the
# image's top left (the far end of the film; the leading edge is at the
# bottom), the unit the Advanced Options offer, the file format.
REGIONS = (
    ("leading", (1.5, 15.4, 5.5, 12.9), "Inches", "TIFF"),        # near the leading edge, left of centre
    ("far", (7.0, 0.5, 11.2, 3.0), "Centimeters", "Bitmap"),      # near the far end, right of centre
    ("band", (8.5, 6.0, 3.0, 9.0), "Pixels", "TIFF"),             # dragged from its bottom right
)
SELECTION = (5002, 5003, 5004, 5005)   # X1, Y1, X2, Y2
SELECTION_TEXT = {"Inches": r"([XY][12]): +(-?[\d.]+) in", "Centimeters": r"([XY][12]): +(-?[\d.]+) cm",
                  "Pixels": r"([XY][12]): (-?\d+)"}
PER_INCH = {"Inches": 1.0, "Centimeters": 2.54, "Pixels": float(DPI)}


def region_steps(name, drag, units, format_name, first):
    """Units, prescan, drag, the selection's texts logged, scan to a file."""
    steps = ["click 4006", 'wait-window "Advanced Options"', 'window "Advanced Options"', "pick 6028 %s" % units,
             "click 1", "window", "pause 1", "click 1016",
             # The status still tells of the last scan until the prescan starts.
             "wait-status Scanning... 60", "wait-status %s 120" % DONE, "wait-enabled 1003",
             "drag %g %g %g %g" % drag, "pause 1"] + ["log-text %d" % c for c in SELECTION]
    if first:   # Save To Disk on, and the progress bar caught half-way once
        steps += ["click 6034", "screenshot-at 30 %s" % win(os.path.join(WORK, "scanning.png"))]
    return steps + naming_steps(WORK, [name], format_name) + ["wait-image 120"]


def selection_shown(log, units):
    """The region the Selection panel showed, in film inches (left, top, right, bottom):
    X from the image's left edge, Y up from its bottom row, the film's leading edge."""
    texts = {}
    for control in SELECTION:
        shown = re.findall(r'^text %d "(.*)"$' % control, log, re.M)
        texts.update(re.findall(SELECTION_TEXT[units], shown[-1] if shown else ""))
    if not check(sorted(texts) == ["X1", "X2", "Y1", "Y2"], "%s: the selection texts %s" % (units, texts)):
        return None
    v = {k: float(texts[k]) / PER_INCH[units] for k in texts}
    return min(v["X1"], v["X2"]), min(v["Y1"], v["Y2"]), max(v["X1"], v["X2"]), max(v["Y1"], v["Y2"])


def case_region():
    """Prescan, drag a region on the preview, scan it: the file holds that region
    of the film, as the Selection panel showed it, the right way round."""
    steps = ["wait-status Ready 60"]
    for k, (name, drag, units, format_name) in enumerate(REGIONS):
        steps += region_steps(name, drag, units, format_name, k == 0)
    log = run_host(WORK, steps + ["exit"], "lineMicros = 1000\n")
    check('notify 1: "TIFF"' in log, "no format notification of TIFF")
    check(progress_part_filled(os.path.join(WORK, "scanning.png")), "no part-filled progress bar in scanning.png")
    # Each film's text blocks: split the log at the prescans' drags.
    parts = log.split("drag: client")[1:]
    shift = filmref.preview_shift(DPI, PREVIEW_DPI)
    for k, (name, drag, units, format_name) in enumerate(REGIONS):
        path = os.path.join(WORK, name + (".tif" if format_name == "TIFF" else ".bmp"))
        if not check(len(parts) > k and os.path.exists(path), "%s: no %s" % (name, path)):
            continue
        region = selection_shown(parts[k], units)
        if region is None:
            continue
        # The texts are the dragged film points (X from the left, Y up from the
        # leading edge) within the rounding to client pixels of the preview.
        words = parts[k].split()
        l, t, r, b = (int(v) for v in words[7].replace("-", ",").split(","))
        columns, lines = (int(v) for v in words[10].split("x"))
        width, length = columns / PREVIEW_DPI, lines / PREVIEW_DPI
        slack = 1.5 * max(width / (r - l), length / (b - t)) + 0.01
        dragged = (min(drag[0], drag[2]), length - max(drag[1], drag[3]), max(drag[0], drag[2]),
                   length - min(drag[1], drag[3]))
        check(all(abs(a - b) <= slack for a, b in zip(region, dragged)),
              "%s: the selection shows %s, the drag was %s (inches, +-%.2f)" % (name, region, dragged, slack))
        image = read_tiff(path) if format_name == "TIFF" else read_bmp(path)
        # Saved to disk outside a batch, the film stays in the transport: every scan is of film 1.
        match = filmref.compare(image, os.path.join(WORK, "kit.ini"), 1, DPI, 8, *region, shift=shift)
        check(match.equal, "%s (%s, %s): %s" % (name, units, format_name, match.text))


def progress_part_filled(png):
    """Some rows of the picture hold both the done and the open colour of the progress bar."""
    if not os.path.exists(png):
        return False
    pixels = np.array(Image.open(png).convert("RGB")).astype(np.int32)
    done = np.all(pixels == (0x00, 0x4B, 0x96), axis=2)
    rest = np.all(pixels == (0x96, 0xB4, 0xD2), axis=2)
    return sum(1 for y in range(pixels.shape[0]) if done[y].sum() > 20 and rest[y].sum() > 20) >= 10


SCAN_FAILED = ("ERROR", "StartScan\\r\\n\\nError during scan.")
NO_LOAD = ("Failed to load a film", "Check film(s) in film feeder. Click Retry button when ready")
OVERWRITE = "%s is already existing.\\nSelect OK to overwrite.\\nSelect CANCEL to return."
EARLIER = b"an earlier image of this name\n"
FAILED = "Error Encountered During a Scan."
CANNOT = "Output file %s can not be generated.  Make sure path is correct."

# name, digitizer, the films of the batch, the one whose name is on disk
# already, answers after the overwrite question, steps after the naming,
# the boxes that follow the question, the status the command ends with, the
# films written.
FAULTS = (
    ("no-film", "noFilm = 1\nfeederPresent = 0\n", ["chest"], "chest", [], [],
     [("WARNING", "Please Load a Film in the Digitizer."), SCAN_FAILED], FAILED, []),
    ("feeder", "stage = 5\n", ["chest"], "chest", ["retry", "cancel"], [], [NO_LOAD, NO_LOAD], "Ready", []),
    # The naming dialog refuses the name and stays open until cancelled.
    ("read-only", "", ["chest"], "chest", [], ["pause 1", "click 2"], [("Error", CANNOT)], "Ready", []),
    # Cancel while the second film is read.
    ("cancel", "lineMicros = 2000\n", ["first", "second", "third"], "second", [],
     ["wait-image 120", "wait-status Scanning... 60", "click 2"], [], "Scan Cancelled.", ["first"]),
)


@contextlib.contextmanager
def read_only(folder):
    """Mode 0555 (its files 0444), and for root, whom modes do not stop, a read-only bind mount."""
    for name in os.listdir(folder):
        os.chmod(os.path.join(folder, name), 0o444)
    os.chmod(folder, 0o555)
    mounted = os.geteuid() == 0 and subprocess.run(["mount", "--bind", folder, folder]).returncode == 0
    try:
        if mounted:
            subprocess.run(["mount", "-o", "remount,bind,ro", folder], check=True)
        probe = os.path.join(folder, "probe")
        try:
            open(probe, "wb").close()
        except OSError:
            yield True
        else:
            os.remove(probe)
            if os.geteuid() == 0 and not mounted:
                # A root without the right to mount cannot make a folder refuse it.
                print("read-only case skipped: no read-only bind mount here")
                yield None
            else:
                yield check(False, "%s could not be made read-only" % folder)
    finally:
        if mounted:
            subprocess.run(["umount", folder], check=True)
        os.chmod(folder, 0o755)
        for name in os.listdir(folder):
            os.chmod(os.path.join(folder, name), 0o644)


def case_faults():
    for name, kit, films, earlier, answers, after, shown, status, written in FAULTS:
        folder = os.path.join(WORK, name)
        os.makedirs(folder)
        kept = os.path.join(folder, earlier + ".tif")
        with open(kept, "wb") as f:
            f.write(EARLIER)
        batch = ["click 6038", "pick 1040 %d" % len(films)] if len(films) > 1 else ["click 6034"]
        steps = ["wait-status Ready 60"] + batch + ["pause 1"] + ["answer %s" % a for a in ["ok"] + answers]
        steps += naming_steps(folder, films, "TIFF") + after
        steps += ["pause 2", 'wait-status "%s" 60' % status, "wait-enabled 1003"]
        run = os.path.join(WORK, name + "-run")
        if name == "read-only":
            with read_only(folder) as ready:
                if ready is None:
                    continue
                log = run_host(run, steps, kit) if ready else ""
        else:
            log = run_host(run, steps, kit)
        expected = [(caption, text.replace("%s", win(kept))) for caption, text in [("Warning", OVERWRITE)] + shown]
        check(boxes(log) == expected, "%s: the boxes\n%s\nnot\n%s" % (name, boxes(log), expected))
        with open(kept, "rb") as f:
            check(f.read() == EARLIER, "%s: the earlier %s was not kept" % (name, kept))
        left = sorted(os.listdir(folder))
        files = sorted({earlier + ".tif"} | {film + ".tif" for film in written})
        check(left == files, "%s: the folder holds %s, not %s" % (name, left, files))
        for film in written:
            check_whole_film(read_tiff(os.path.join(folder, film + ".tif")), run, films.index(film) + 1, DPI, 8,
                             "%s: %s" % (name, film), bed=len(films) > 1)


run({"memory": case_memory, "dicom-batch": case_dicom_batch, "region": case_region, "faults": case_faults})
