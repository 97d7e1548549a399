#!/usr/bin/python3
"""Operator jobs through filmhost.exe under Wine against the installed virtual
digitizer; the files are read back by pydicom and Pillow and the scans judged
by the film reference (tests/support/filmref.py).

jobs_e2e.py ROOT BUILD WORK dicom      patient data and new UIDs reach the DICOM file
jobs_e2e.py ROOT BUILD WORK calibrate  calibration and system test show the digitizer's answers
jobs_e2e.py ROOT BUILD WORK view       saved DICOM and BMP reopened as window/levelled previews
jobs_e2e.py ROOT BUILD WORK notes      a fresh installation shows each staging and prescan note until declined
Prints what went wrong and exits 1, or prints "pass".
"""
import os
import re
import time

import numpy as np
import pydicom
from PIL import Image
from pydicom.uid import ImplicitVRLittleEndian

from e2e_run import DONE, WORK, boxes, check, check_dciodvfy, check_whole_film, filmhost, run, run_host, unix, win

DPI = 150   # the dialog's resolution

PATIENT = {3003: "Doe^Jane", 3004: "19700412", 3006: "P-2291", 3007: "ST77", 3008: "4", 3009: "12"}


def calls(name):
    with open(os.path.join(WORK, name, "calls.txt")) as f:
        return [line.split()[0] for line in f if line.strip()]


def scan_command_calls(name):
    """For each scan, the calls from its command's first readiness check
    (doTestUnitReady) to its first line."""
    commands, command = [], None
    for call in calls(name):
        if call == "doTestUnitReady" and command is None:
            command = []
        elif call == "getImage" and command is not None:
            commands.append(command)
            command = None
        elif command is not None:
            command.append(call)
    return commands


def logged_texts(log, control):
    return re.findall(r'^text %d(?:\[\d+\])? "(.*)"$' % control, log, re.M)


def saved_images(log):
    return [line.split("session image: ", 1)[1].strip() for line in log.splitlines() if "session image: " in line]


def scan_to_disk(format_name, name, folder, patient=None):
    """Scan, naming dialog, patient dialog before and after a DICOM scan. DICOM is
    the host's choice (pushed, Save To Disk on), the naming dialog does not offer it."""
    pick = ["format DICOM"] if format_name == "DICOM" else ["pick 1018 %s" % format_name]
    steps = pick[:1 if format_name == "DICOM" else 0] + ["click 1003", 'wait-window "File Naming"']
    steps += pick[:0 if format_name == "DICOM" else 1] + ["pause 1", 'type 6065 "%s"' % win(folder),
                                                          "type 6040 %s" % name, "click 1"]
    if patient:
        steps += ['wait-window "Patient Information"'] + ['type %d "%s"' % kv for kv in patient.items()]
        steps += ["pick 3005 F", "click 1"]
    steps += ["wait-status %s 120" % DONE]
    if patient:
        steps += ['wait-window "Patient Information"', "click 1"]
    return steps + ["wait-image 60"]


def read_dicom(path):
    ds = pydicom.dcmread(path, force=True)
    ds.file_meta = pydicom.dataset.FileMetaDataset()
    ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
    return ds


def case_dicom():
    """Generate New UIDs in More DICOM Parameters; the next DICOM carries them and the patient data."""
    folder = os.path.join(WORK, "dicom")
    second = {**PATIENT, 3009: "13"}
    script = (["wait-status Ready 60", "click 6034"] + scan_to_disk("DICOM", "first", folder, PATIENT) +
              ["click 1015", 'wait-window "More DICOM Parameters"', "click 9011", "pause 1",
               "log-text 9001", "log-text 9002", "log-text 9003", "log-text 9007", "click 1"] +
              scan_to_disk("DICOM", "second", folder, {3009: "13"}) + ["exit", ""])
    folder = os.path.join(WORK, "dicom")
    before = time.strftime("%Y%m%d%H%M%S")
    log = run_host(folder, "\n".join(script))
    after = time.strftime("%Y%m%d%H%M%S")
    images = saved_images(log)
    if not check(len(images) == 2 and all(os.path.exists(unix(p)) for p in images), "saved: %s" % images):
        return
    study, series, sop = (logged_texts(log, c) for c in (9001, 9002, 9003))
    check(len(study) == 1 and re.fullmatch(r"1\.2\.840\.999999\.\d{14}\.1", study[0]) and
          series == [study[0] + ".1"] and sop == [study[0] + ".1.1"], "UIDs shown: %s %s %s" % (study, series, sop))
    for path, typed in zip(images, (PATIENT, second)):
        ds = read_dicom(unix(path))
        got = {3003: str(ds.PatientName), 3004: ds.PatientBirthDate, 3006: ds.PatientID, 3007: ds.StudyID,
               3008: str(ds.SeriesNumber), 3009: str(ds.InstanceNumber)}
        check(got == typed and ds.PatientSex == "F", "%s holds %s, sex %s" % (path, got, ds.PatientSex))
        # The study started with the session; no accession number or referring physician was given.
        started = "%s%s" % (ds.get("StudyDate", ""), ds.get("StudyTime", ""))
        check(before <= started <= after, "%s: the study started %r, not between %s and %s" % (path, started, before, after))
        check(ds.get("AccessionNumber", None) == "" and ds.get("ReferringPhysicianName", None) == "",
              "%s: accession %r, referring physician %r" % (path, ds.get("AccessionNumber"), ds.get("ReferringPhysicianName")))
        errors = check_dciodvfy(unix(path))
        check(len(errors) == 2, "%s: dciodvfy's errors are not the two conditional ones: %s" % (path, errors))
    ds = read_dicom(unix(images[1]))
    if study:
        check([ds.StudyInstanceUID, ds.SeriesInstanceUID, ds.SOPInstanceUID] == [study[0], series[0], sop[0]],
              "the second file's UIDs %s %s %s are not the ones shown" %
              (ds.StudyInstanceUID, ds.SeriesInstanceUID, ds.SOPInstanceUID))
    # Saved to disk outside a batch, the film stays in the transport: both files are film 1.
    for path in images:
        check_whole_film(read_dicom(unix(path)).pixel_array, folder, 1, DPI, 8, path)
    # Each scan command programs the digitizer only at the scan start, twice,
    # each time with one line-width query: not at the focus moves of its
    # naming and patient dialogs or of the disabled controls.
    queries = [command.count("diagReportStatus") for command in scan_command_calls("dicom")]
    check(queries == [2, 2], "line-width queries of the scan commands: %s" % queries)


ADVANCED = ['watch-text "Scanner Calibration" 8001', "wait-status Ready 60", "click 4006", 'wait-window "Advanced Options"', 'window "Advanced Options"']
SYSTEM_TEST = ["command 6001", 'window "Scanner System Test Message Dialog"', 'wait-text 2 "&OK"', "log-text 7001",
               "click 2", 'window "Advanced Options"']


def calibration(first_step):
    return [first_step, 'wait-window "Scanner Calibration"', 'window "Scanner Calibration"', "wait-enabled 1",
            "log-text 8001", "click 1"]


def case_calibrate():
    """Calibrate, a failing system test, an exposure change with OK; then a passing test and an OK without change."""
    kit = "fullTest = 1:Lamp intensity low; 2; 1:Film transport slow; 6\n"
    log = run_host(os.path.join(WORK, "failing"), "\n".join(ADVANCED + calibration("click 6016") + ['window "Advanced Options"'] +
                                        SYSTEM_TEST + ["scroll 6006 right 2"] + calibration("click 1") +
                                        ["window", "wait-status \"Calibrating scanner...\" 5", "exit", ""]), kit)
    shown = ["Scanner calibration is in progress.  Please wait.", "Wait...", "White level 238, dark level 3",
             "Calibration is done."]
    check(re.findall(r'^text 8001 set "(.*)"$', log, re.M) == shown * 2,
          "calibration showed %s" % re.findall(r'^text 8001 set "(.*)"$', log, re.M))
    check(logged_texts(log, 8001) == ["Calibration is done."] * 2, "calibration texts: %s" % logged_texts(log, 8001))
    check(logged_texts(log, 7001) == ["Please wait...", " ", "Lamp intensity low", "Send Diagnostic Failure",
                                      "Film transport slow", "Failures detected!"],
          "failing test lists %s" % logged_texts(log, 7001))
    check("notify 2: 14" in log, "the new exposure 14 was not notified")
    if log:
        made = calls("failing")
        check(made.count("diagCalibrate") == 6 and made.count("diagFullTest") == 4 and "resetScanner" not in made,
              "digitizer calls: %d diagCalibrate, %d diagFullTest, reset %s" %
              (made.count("diagCalibrate"), made.count("diagFullTest"), "resetScanner" in made))
    log = run_host(os.path.join(WORK, "passing"), "\n".join(ADVANCED + SYSTEM_TEST + ["click 1", "window", "pause 1", "exit", ""]))
    check(logged_texts(log, 7001) == ["Please wait...", " ", "Reset and Normalize scanner. Please wait ...",
                                      "All tests have successfully completed."],
          "passing test lists %s" % logged_texts(log, 7001))
    if log:
        made = calls("passing")
        check("resetScanner" in made and "diagCalibrate" not in made, "an OK without a change calibrated, or no reset")


def reduction_factor(lines, samples, max_pixels):
    f = 1
    while lines * samples // f // f > max_pixels:
        f += 1
    return f


def window_16(preview, bits):
    """2-byte samples to 8 bits through the window the preview's histogram chooses."""
    s = preview.astype(np.int64) & ((1 << bits) - 1)
    h, w = s.shape
    looked = s if w + h < 1024 else s[::2, ::2]
    bins = np.minimum(looked // 2, 31999)
    low, high = 2 * int(bins.min()), 2 * int(bins.max())
    s = np.minimum(s, high)
    return np.where(s <= low, 0, (s - low) * 256 // (high - low + 1)).astype(np.uint8)


def fitted(top_down, bound_w, bound_h):
    """The bounded bitmap, top row first, from the reduced one (top row first, stored bottom-up)."""
    H, W = top_down.shape
    w = bound_w if bound_h * W >= bound_w * H else bound_h * W // H
    w = (w + 3) // 4 * 4
    h = w * H // W
    cols = np.minimum(W * np.arange(w) // (w - 1), W - 1)
    stored = top_down[::-1]
    rows = np.minimum(H * np.arange(h) // (h - 1), H - 1)
    return stored[rows][:, cols][::-1]


def grey_table(level, width):
    low = level - width // 2
    i = np.arange(256)
    return np.where(i <= low, 0, np.where(i < low + width, (i - low) * 256 // max(width, 1), 255))


def bmp_rows_stored(path):
    """The rows of an 8-bit BMP as stored (bottom first), padding included."""
    data = open(path, "rb").read()
    offset, width, height = (int.from_bytes(data[a:a + 4], "little") for a in (10, 18, 22))
    stride = (width + 3) // 4 * 4
    return np.frombuffer(data[offset:offset + stride * height], np.uint8).reshape(height, stride)


def check_view(source, top_down, level, width):
    out = os.path.join(WORK, "view-" + os.path.basename(source))
    result = filmhost("--view", win(source), "--max-pixels", "60000", "--bound", "128x128", "--level", str(level),
                  "--width", str(width), "--save", win(out + "-reduced.bmp"), "--save-fit", win(out + "-fit.bmp"))
    if not check(result.returncode == 0, "view %s: %d\n%s" % (source, result.returncode, result.stdout[-2000:])):
        return
    table = grey_table(level, width)
    for kind, expected in (("reduced", top_down), ("fit", fitted(top_down, 128, 128))):
        image = Image.open(out + "-%s.bmp" % kind)
        palette = np.array(image.getpalette()[:768]).reshape(256, 3)
        check(image.mode == "P" and np.array_equal(palette, np.repeat(table[:, None], 3, 1)),
              "%s %s: the grey table is not level %d width %d" % (source, kind, level, width))
        got = np.array(image)
        check(got.shape == expected.shape and np.array_equal(got, expected),
              "%s %s: %s pixels differ from the expected %s" % (source, kind, got.shape, expected.shape))


def case_view():
    """A 16-bit DICOM and an 8-bit bitmap of the film, reopened as previews."""
    folder = os.path.join(WORK, "scans")
    script = (["wait-status Ready 60", "pick 1007 16", "pause 1", "click 6034"] +
              scan_to_disk("DICOM", "deep", folder, PATIENT) + ["pick 1007 8", "pause 1"] +
              scan_to_disk("Bitmap", "plain", folder) + ["exit", ""])
    images = saved_images(run_host(folder, "\n".join(script)))
    if not check(len(images) == 2, "saved: %s" % images):
        return
    dcm, bmp = (unix(p) for p in images)
    ds = read_dicom(dcm)
    check(ds.BitsAllocated == 16, "the DICOM scan has %d bits" % ds.BitsAllocated)
    pixels = ds.pixel_array
    # What the views are made from is the film: DICOM rows in delivery order,
    # a bitmap's bottom-up (Pillow's top row is the last delivered line).
    # The film stays in the transport between the two scans.
    check_whole_film(pixels, folder, 1, DPI, 16, dcm)
    check_whole_film(np.array(Image.open(bmp))[::-1], folder, 1, DPI, 8, bmp)
    f = reduction_factor(ds.Rows, ds.Columns, 60000)
    check_view(dcm, window_16(pixels[::f, ::f], ds.BitsStored), 100, 120)
    stored = bmp_rows_stored(bmp)
    f = reduction_factor(*stored.shape, 60000)
    check_view(bmp, stored[::f, ::f][::-1], 60, 90)


def logged(text):
    """A box text as the host's log writes it."""
    return text.replace("\r", "\\r").replace("\n", "\\n")


STAGING = ("Note:  Saving the image to disk requires unique staging.\r\nHold the film in front of you as you would "
           "view it on a\r\nlight box.  In batch mode, the first film scanned should\r\nbe at the back of the "
           "stack.\r\n\r\nPlease consult the User Guide for more details.\r\n")
FUTURE = "\r\nDo you want to see this message in the future?\r\n"
PRESCAN = ("Note:  Prescan is not available in multi-film mode.\r\nThe TWAIN will now be set to single sheet "
           "mode.\r\nTo return to multi-film mode, please check multi-film mode.\r\n" + FUTURE)


def case_notes():
    """The host sets each note from its setting: a fresh installation shows the first-time note once, and
    the staging and prescan notes until the operator declines them; then never again."""
    folder = os.path.join(WORK, "notes")
    steps = ["wait-status Ready 60", "answer yes", "click 6034", "pause 1", "click 6034", "answer no",
             "click 6034", "pause 1", "answer no", "click 1016", "wait-status Scanning... 60",
             "wait-status %s 120" % DONE, "exit"]
    first = boxes(run_host(folder, steps, notes_read=False))
    check(first == [("Warning", logged(STAGING)), ("Warning", logged(STAGING + FUTURE)),
                    ("Warning", logged(STAGING + FUTURE)), ("Warning", logged(PRESCAN))],
          "a fresh installation showed %s" % first)
    with open(os.path.join(folder, "host.ini")) as f:
        settings = f.read()
    for key in ("FlipWarningFirstTime=OFF", "FlipWarning=OFF", "PrescanInfo=OFF"):
        check(key in settings, "%s not stored:\n%s" % (key, settings))
    again = boxes(run_host(folder, ["wait-status Ready 60", "click 6034", "pause 1", "click 6034", "pause 1",
                                    "click 1016",
                                    "wait-status Scanning... 60", "wait-status %s 120" % DONE, "exit"]))
    check(again == [], "declined notes came back: %s" % again)


run({"dicom": case_dicom, "calibrate": case_calibrate, "view": case_view, "notes": case_notes})
