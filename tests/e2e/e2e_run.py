"""What every acceptance run shares: the command line, the scripted filmhost
run in its own folder, and the failure list.

SCRIPT ROOT BUILD WORK JOB: runs JOB's case, prints what went wrong and exits 1
(leaving WORK for a look), or removes WORK and prints "pass".
"""
import os
import re
import shutil
import subprocess
import sys

import numpy as np

ROOT, BUILD, WORK, JOB = sys.argv[1:5]
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import filmref  # noqa: E402  (found through ROOT)
DONE = '"Scan Completed Successfully."'
failures = []


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def unix(path):
    return path[2:].replace("\\", "/") if path.startswith("Z:") else path


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def filmhost(*args, env=None):
    command = [os.path.join(ROOT, "scripts", "wine-run"), "--build", BUILD, os.path.join(BUILD, "bin", "filmhost.exe")]
    return subprocess.run(command + list(args), env=env, capture_output=True, text=True, timeout=300)


NOTES_READ = ("[SAVE_IMG_TO_DISK]\nFlipWarning=OFF\nFlipWarningFirstTime=OFF\n"
              "[PRESCAN_INFO]\nPrescanInfo=OFF\n")


def run_host(folder, steps, kit="", options=(), notes_read=True):
    """One scripted run in its own folder, its log returned; the digitizer keeps
    one truth file per film and its call log there. Unless told otherwise the
    host's settings are those of an operator who has read the staging and
    prescan notes, so no note box comes between the steps."""
    os.makedirs(folder, exist_ok=True)
    settings = os.path.join(folder, "host.ini")
    if notes_read and not os.path.exists(settings):
        with open(settings, "w") as f:
            f.write(NOTES_READ)
    kit += "\ntruthFile = %s\ncallLog = %s\n" % (win(os.path.join(folder, "truth-%d.raw")),
                                               win(os.path.join(folder, "calls.txt")))
    script = steps if isinstance(steps, str) else "\n".join(steps + [""])
    for name, text in (("script.txt", script), ("kit.ini", kit)):
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)
    env = dict(os.environ, SCANKIT_CONFIG=win(os.path.join(folder, "kit.ini")))
    result = filmhost("--script", win(os.path.join(folder, "script.txt")), "--log", win(os.path.join(folder, "host.log")),
                      "--ini", win(os.path.join(folder, "host.ini")), "--list", win(os.path.join(folder, "list.bin")),
                      "--names", win(os.path.join(folder, "names.lst")), "--out", win(folder), "--timeout", "240",
                      *options, env=env)
    with open(os.path.join(folder, "host.log"), errors="replace") as f:
        log = f.read()
    check(result.returncode == 0, "%s: filmhost ended with %d:\n%s" % (folder, result.returncode, log[-3000:]))
    return log


BED, FILM_WIDTH, FILM_LENGTH = 14.0, 12.0, 16.0   # the digitizer's defaults: the film centred on the bed


def check_whole_film(image, folder, film, dpi, depth, what, bed=False):
    """`image` (film orientation: row 0 the leading edge) is film `film` of the
    run's digitizer, whole: its bar code reads `film` and it equals that film's
    reference sample for sample. With `bed`, a scan of the whole bed's width
    (multi-film mode), the film centred in it."""
    left = -(BED - FILM_WIDTH) / 2 if bed else 0.0
    number = filmref.film_number(image, dpi, left)
    check(number == film, "%s: the bar code reads film %s, not %d" % (what, number, film))
    kit = os.path.join(folder, "kit.ini")
    reference = (filmref.render(kit, film, dpi, depth, left, 0, left + BED, FILM_LENGTH) if bed
                 else filmref.render(kit, film, dpi, depth))
    check(image.shape == reference.shape and np.array_equal(image, reference),
          "%s: %s is not film %d %s at %d dpi, %d bits%s" %
          (what, image.shape, film, reference.shape, dpi, depth, which_film(image, folder, dpi, depth)))


def which_film(image, folder, dpi, depth):
    """For the failure text: which film of the stack the image is, if any."""
    for film in range(1, 6):
        if np.array_equal(image, filmref.render(os.path.join(folder, "kit.ini"), film, dpi, depth)):
            return " (it is film %d)" % film
    return ""


def boxes(log):
    """(caption, text) of every message box, line ends written as \\r and \\n."""
    return re.findall(r'^box "(.*)" "(.*)" -> \w+', log, re.M)


def naming_steps(folder, names, format_name=None):
    """Scan, then the batch dialog: format, folder, one name per film, OK."""
    steps = ["click 1003", 'wait-window "File Naming"']
    if format_name:
        steps += ["pick 1018 %s" % format_name, "pause 1"]
    steps.append('type 6065 "%s"' % win(folder))
    steps += ["type %d %s" % (6040 + k, name) for k, name in enumerate(names)]
    return steps + ["click 1"]


def run(cases):
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    cases[JOB]()
    if failures:
        print("\n".join(failures))
        sys.exit(1)
    shutil.rmtree(WORK)
    print("pass")


# Laterality and Patient Orientation are conditional on what the film shows:
# the operator's data, which no default can know.
DCIODVFY_ALLOWED = ("Type 2C Conditional Element=<Laterality>", "Type 2C Conditional Element=<PatientOrientation>")


def check_dciodvfy(path):
    """dciodvfy's report on a DICOM file, printed; any error but the two conditional ones fails."""
    report = subprocess.run(["dciodvfy", path], capture_output=True, text=True)
    text = report.stdout + report.stderr
    print("dciodvfy %s:\n%s" % (path, text))
    errors = [line for line in text.splitlines() if line.startswith("Error")]
    unexpected = [line for line in errors if not any(allowed in line for allowed in DCIODVFY_ALLOWED)]
    check(not unexpected, "dciodvfy %s: %s" % (path, unexpected))
    return errors

