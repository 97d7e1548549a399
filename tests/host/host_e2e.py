#!/usr/bin/python3
"""Scripted runs of filmhost.exe under Wine against the installed virtual
digitizer; the files it leaves are read by libtiff and Pillow.

host_e2e.py ROOT BUILD WORK tiff    prescan, drag a region, scan it to TIFF, Exit
host_e2e.py ROOT BUILD WORK memory  a memory transfer against a plain scan handed over as a file
Prints what went wrong and exits 1, or prints "pass".
"""
import os
import shutil
import subprocess
import sys

import numpy as np
from PIL import Image

ROOT, BUILD, WORK, CASE = sys.argv[1:5]
RECORD_BYTES = 732
DONE = '"Scan Completed Successfully."'
failures = []


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def run_host(script, kit, *options, folder=WORK):
    os.makedirs(folder, exist_ok=True)
    for name, text in (("script.txt", script), ("kit.ini", kit)):
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)
    env = dict(os.environ, SCANKIT_CONFIG=win(os.path.join(folder, "kit.ini")))
    command = [os.path.join(ROOT, "scripts", "wine-run"), "--build", BUILD, os.path.join(BUILD, "bin", "filmhost.exe"),
               "--script", win(os.path.join(folder, "script.txt")), "--log", win(os.path.join(folder, "host.log")),
               "--ini", win(os.path.join(folder, "host.ini")), "--list", win(os.path.join(folder, "list.bin")),
               "--names", win(os.path.join(folder, "names.lst")), "--out", win(folder), "--timeout", "240", *options]
    result = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
    with open(os.path.join(folder, "host.log"), errors="replace") as f:
        log = f.read()
    check(result.returncode == 0, "filmhost ended with %d:\n%s" % (result.returncode, log[-3000:]))
    return log


def check_lists(names, folder=WORK):
    """Exit wrote both lists: the names one a line, the records with the name at byte 8."""
    if not check(all(os.path.exists(os.path.join(folder, n)) for n in ("names.lst", "list.bin")), "no list files"):
        return
    with open(os.path.join(folder, "names.lst"), "rb") as f:  # a Windows text file
        check(f.read() == b"".join(n.encode() + b"\r\n" for n in names), "names.lst does not list %s" % names)
    with open(os.path.join(folder, "list.bin"), "rb") as f:
        data = f.read()
    records = [data[i:i + RECORD_BYTES] for i in range(0, len(data), RECORD_BYTES)]
    got = [r[8:].split(b"\0")[0].decode() for r in records]
    check(len(data) == RECORD_BYTES * len(names) and got == names, "list.bin holds %s" % got)


def progress_part_filled(png):
    """Some row of the picture holds both the done and the open colour of the progress bar."""
    pixels = np.array(Image.open(png).convert("RGB")).astype(np.int32)
    done = np.all(pixels == (0x00, 0x4B, 0x96), axis=2)
    rest = np.all(pixels == (0x96, 0xB4, 0xD2), axis=2)
    rows = [y for y in range(pixels.shape[0]) if done[y].sum() > 20 and rest[y].sum() > 20]
    return len(rows) >= 10


def case_tiff():
    tif = os.path.join(WORK, "chest.tif")
    script = "\n".join([
        "wait-status Ready 60",
        "click 1016",
        "wait-status %s 120" % DONE,
        "wait-enabled 1003",
        "drag 2 3 9 12",
        "click 6034",
        "screenshot-at 30 %s" % win(os.path.join(WORK, "scanning.png")),
        "click 1003",
        'wait-window "File Naming"',
        "pick 1018 TIFF",
        "pause 1",
        'type 6065 "%s"' % win(WORK),
        "type 6040 chest",
        "click 1",
        "wait-image 120",
        "exit", ""])
    log = run_host(script, "lineMicros = 300\n")
    check('notify 1: "TIFF"' in log, "no format notification of TIFF")
    check("session image: %s" % win(tif) in log, "the TIFF did not join the session list")
    check(os.path.exists(os.path.join(WORK, "scanning.png")) and progress_part_filled(os.path.join(WORK, "scanning.png")),
          "no part-filled progress bar in scanning.png")
    if not check(os.path.exists(tif), "no %s" % tif):
        return
    info = subprocess.run(["tiffinfo", tif], capture_output=True, text=True)
    check(info.returncode == 0 and "Image Width" in info.stdout, "tiffinfo: %s" % info.stderr)
    # The selection, 7 x 9 inches at the scan's resolution, within what one
    # pixel of the preview is worth.
    drag = [line for line in log.splitlines() if line.startswith("drag: client")][0].split()
    left, _, right, _ = (int(v) for v in drag[9].replace("-", ",").split(","))
    prescan_width, dpi = int(drag[12].split("x")[0]), int(drag[15])
    resolution = 150
    slack = 2 * resolution * prescan_width / dpi / (right - left) + 2
    width, height = Image.open(tif).size
    check(abs(width - 7 * resolution) <= slack and abs(height - 9 * resolution) <= slack,
          "TIFF is %dx%d, the selection %dx%d (+-%.0f)" % (width, height, 7 * resolution, 9 * resolution, slack))
    check_lists([win(tif)])


def case_memory():
    """The same film pulled block by block and scanned to the handed-over bitmap."""
    memory, plain = os.path.join(WORK, "memory"), os.path.join(WORK, "file")
    log = run_host("wait-status Ready 60\nclick 1003\nwait-image 120\nexit\n", "", "--transfer-mode", "1",
                   "--block-bytes", "10007", folder=memory)
    check("imageReady: memory transfer" in log, "no imageReady for the memory transfer")
    log = run_host("wait-status Ready 60\nclick 1003\nwait-image 120\nexit\n", "", folder=plain)
    check("imageReady: file c:\\nqt\\temp\\nXfer.bmp" in log, "the file scan was not handed over")
    pgm, bmp = os.path.join(memory, "transfer-1.pgm"), os.path.join(plain, "transfer-1.bmp")
    if not check(os.path.exists(pgm) and os.path.exists(bmp), "no transfer-1.pgm or transfer-1.bmp"):
        return
    pulled = np.array(Image.open(pgm))
    # A bitmap shows the first delivered line at the bottom.
    scanned = np.array(Image.open(bmp).convert("L"))[::-1]
    check(pulled.dtype == np.uint8 and pulled.shape == scanned.shape and np.array_equal(pulled, scanned),
          "transfer-1.pgm %s is not the scanned film %s" % (pulled.shape, scanned.shape))
    check_lists([win(pgm)], memory)
    check_lists([win(bmp)], plain)


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
{"tiff": case_tiff, "memory": case_memory}[CASE]()
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pass")
