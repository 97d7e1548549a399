#!/usr/bin/python3
"""The installer package as IT would deploy it, in a Windows prefix of its own
(fresh each run: no c:\\nqt, no toolkit):

1. a digitizer's own scankit32.dll is in place; the older package, then the
   newer one, each asked for every feature: one product afterwards, of the
   newer version, which the older package then refuses to replace; every
   file where it belongs and byte for byte the built one;
   the digitizer's toolkit untouched; removal leaves that toolkit too;
2. without a toolkit the simulator feature installs the virtual digitizer; an
   application acquires a film through the installed 32-bit source and the
   image is the film's region by the film reference; an upgrade keeps the
   simulator;
3. removal takes every installed file and keeps the user's settings and images.

installer_e2e.py ROOT WIN64_TREE WIN32_TREE WORK
Prints what went wrong and exits 1, or prints "pass".
"""
import os
import re
import shutil
import subprocess
import sys

import numpy as np
from PIL import Image

ROOT, TREE64, TREE32, WORK = sys.argv[1:5]
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import filmref  # noqa: E402  (found through ROOT)

WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
DRIVE_C = os.path.join(WORK, "wine", "prefix", "drive_c")
TOOLKIT = "windows/twain_32/nqt/scankit32.dll"
SOURCES = {   # installed path under c:\ -> the built file it must be
    "windows/twain_64/FilmCore/FilmTwain.ds": os.path.join(TREE64, "bin", "FilmTwain.ds"),
    "windows/twain_64/FilmCore/FilmCore.dll": os.path.join(TREE64, "bin", "FilmCore.dll"),
    "windows/twain_32/FilmCore/FilmTwain.ds": os.path.join(TREE32, "bin", "FilmTwain.ds"),
    "windows/twain_32/FilmCore/FilmCore.dll": os.path.join(TREE32, "bin", "FilmCore.dll"),
}
SIMULATOR = os.path.join(TREE32, "bin", "scankit32.dll")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def on_c(path):
    return os.path.join(DRIVE_C, *path.split("/"))


def win(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(*args, env=None):
    done = subprocess.run([WINE_RUN, "--build", WORK, "--bare", *args], capture_output=True, text=True,
                          timeout=300, env=env)
    return done.returncode, done.stdout.replace("\r", "")


def same_bytes(a, b):
    with open(a, "rb") as f, open(b, "rb") as g:
        return f.read() == g.read()


def package(*version):
    done = subprocess.run([os.path.join(ROOT, "scripts", "package"), "--no-build", "--win64", TREE64, "--win32",
                           TREE32, "--out", os.path.join(WORK, "dist"), *version], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("scripts/package failed:\n" + done.stderr)
    return done.stdout.strip().splitlines()[-1]


def msiexec(*args, refused=False):
    rc, out = wine("msiexec", *args, "/qn")
    check((rc != 0) == refused, "msiexec %s ended with %d:\n%s" % (" ".join(args), rc, out))


def products():
    """(DisplayVersion, Publisher) of each Add/Remove Programs entry named FilmCore (the x64 package's view)."""
    rc, out = wine("reg", "query", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall", "/s", "/reg:64")
    entries = []
    for block in re.split(r"\n(?=HKEY_)", out):
        values = dict(re.findall(r"^[ \t]+(\w+)[ \t]+REG_\w+[ \t]*(.*)$", block, re.M))
        if values.get("DisplayName") == "FilmCore":
            entries.append((values.get("DisplayVersion"), values.get("Publisher")))
    return entries


def check_installed(what):
    for path, built in SOURCES.items():
        check(os.path.isfile(on_c(path)) and same_bytes(on_c(path), built),
              "%s: c:/%s is missing or not the built file" % (what, path))
    check(os.path.isdir(on_c("nqt/temp")), "%s: no c:\\nqt\\temp" % what)


def check_removed(what):
    for path in list(SOURCES) + ["windows/twain_64/FilmCore", "windows/twain_32/FilmCore"]:
        check(not os.path.exists(on_c(path)), "%s: c:/%s is still there" % (what, path))
    check(products() == [], "%s: still listed: %s" % (what, products()))


def older_toolkit():
    """A digitizer's own scankit32.dll, of a version below the simulator's: a copy of the simulator whose
    version resource says 1.0.0.0, the kind of file Windows Installer replaces by its version rules."""
    data = bytearray(open(SIMULATOR, "rb").read())
    fixed = data.find(bytes.fromhex("bd04effe"))   # VS_FIXEDFILEINFO's signature
    if fixed < 0:
        sys.exit("%s has no version resource" % SIMULATOR)
    data[fixed + 8:fixed + 24] = bytes.fromhex("00000100000000000000010000000000")   # file and product version
    return bytes(data)


REAL_TOOLKIT = older_toolkit()


def check_toolkit_kept(what):
    kept = os.path.isfile(on_c(TOOLKIT)) and open(on_c(TOOLKIT), "rb").read() == REAL_TOOLKIT
    check(kept, "%s: the digitizer's own scankit32.dll was replaced or removed" % what)


def upgrade_beside_a_real_toolkit(version):
    major, minor, patch = (int(v) for v in version.split("."))
    older = "%d.%d.%d" % ((major - 1, minor, patch) if major else (0, minor - 1, patch) if minor else (0, 0, patch - 1))
    old_msi, new_msi = package("--version", older), package()
    check(os.path.basename(new_msi) == "FilmCore-%s.msi" % version, "the package is named %s" % new_msi)
    os.makedirs(os.path.dirname(on_c(TOOLKIT)))
    with open(on_c(TOOLKIT), "wb") as f:
        f.write(REAL_TOOLKIT)
    msiexec("/i", win(old_msi), "ADDLOCAL=ALL")
    check(products() == [(older, "FilmCore")], "after the older package: %s" % products())
    check_toolkit_kept("the older package with the simulator asked for")
    msiexec("/i", win(new_msi), "ADDLOCAL=ALL")
    check(products() == [(version, "FilmCore")], "after the newer package: one product %s, not %s" %
          (version, products()))
    check_installed("the newer package over the older")
    check_toolkit_kept("the newer package with the simulator asked for")
    msiexec("/i", win(old_msi), refused=True)
    check(products() == [(version, "FilmCore")], "the older package over the newer: %s" % products())
    msiexec("/x", win(new_msi))
    check_removed("removed beside a digitizer's toolkit")
    check_toolkit_kept("the package removed")
    if os.path.exists(on_c(TOOLKIT)):
        os.remove(on_c(TOOLKIT))
    return new_msi


# What twain_app negotiates (see tests/twain/twain_e2e.py): 75 dpi, a frame of
# 1..11 by 0..12 inches on the 14-inch bed, the 12-inch film centred on it.
DPI = 75
ON_FILM = (0.0, 0.0, 10.0, 12.0)


def acquire_through_the_installed_source():
    """Wine's 32-bit manager loads no source but c:\\windows\\twain_32\\gphoto2.ds (with a native override
    of Wine's own): that name is linked to the installed FilmTwain.ds, and FilmCore.dll beside it to the
    installed one, since the source loads the library from its own folder. The installed bytes run."""
    folder = on_c("windows/twain_32")
    os.replace(os.path.join(folder, "gphoto2.ds"), os.path.join(WORK, "wine-gphoto2.ds"))
    os.symlink("FilmCore/FilmTwain.ds", os.path.join(folder, "gphoto2.ds"))
    os.symlink("FilmCore/FilmCore.dll", os.path.join(folder, "FilmCore.dll"))
    wine("reg", "add", r"HKCU\Software\Wine\DllOverrides", "/v", "gphoto2.ds", "/t", "REG_SZ", "/d", "native", "/f")
    kit = os.path.join(WORK, "kit.ini")
    open(kit, "w").close()   # the virtual digitizer's defaults
    images = os.path.join(WORK, "images")
    os.makedirs(images, exist_ok=True)
    rc, out = wine(os.path.join(TREE32, "bin", "twain_app.exe"), "acquire", "native", "8", win(images),
                   env=dict(os.environ, SCANKIT_CONFIG=win(kit)))
    if check(rc == 0 and "native rc 6" in out, "acquiring through the installed source:\n" + out[-2000:]):
        image = np.array(Image.open(os.path.join(images, "native-1.bmp")).convert("L"))
        number = filmref.film_number(image, DPI, *ON_FILM[:2])
        check(number == 1, "the acquired image's bar code reads film %s, not 1" % number)
        match = filmref.compare(image, kit, 1, DPI, 8, *ON_FILM)
        check(match.equal, "the acquired image: %s" % match.text)
    for name in ("gphoto2.ds", "FilmCore.dll"):
        os.remove(os.path.join(folder, name))
    os.replace(os.path.join(WORK, "wine-gphoto2.ds"), os.path.join(folder, "gphoto2.ds"))


def settings_file():
    rc, appdata = wine("cmd", "/c", "echo %APPDATA%")
    rc, path = wine("winepath", "-u", appdata.strip() + "\\FilmCore\\FilmTwain.ini")
    return path.strip()


def main():
    for built in list(SOURCES.values()) + [SIMULATOR, os.path.join(TREE32, "bin", "twain_app.exe")]:
        if not os.path.isfile(built):
            sys.exit("%s is missing: the package needs both Windows trees built "
                     "(cmake --build build/win32 --target FilmTwain FilmCore scankit32 twain_app)" % built)
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    with open(os.path.join(ROOT, "src", "res", "version.h")) as f:
        version = ".".join(re.findall(r"#define FILMCORE_VERSION_(?:MAJOR|MINOR|PATCH) (\d+)", f.read()))
    wine()   # the prefix, as Windows comes
    check(not os.path.exists(on_c("nqt")), "the fresh prefix has a c:\\nqt already")

    msi = upgrade_beside_a_real_toolkit(version)

    msiexec("/i", win(msi))
    check(not os.path.exists(on_c(TOOLKIT)), "the simulator was installed though nobody asked for it")
    msiexec("/i", win(msi), "ADDLOCAL=Simulator")
    check_installed("installed with the simulator")
    check(os.path.isfile(on_c(TOOLKIT)) and same_bytes(on_c(TOOLKIT), SIMULATOR),
          "the simulator is not the built i686 scankit32.dll")
    acquire_through_the_installed_source()
    # An upgrade replaces the package's own simulator (the scankit32.dll there now is ours). Wine's
    # installer carries no feature state over (its MigrateFeatureStates does nothing), so the upgrade
    # names the feature, as a deployment that keeps the simulator does anyway.
    newer = "%d.0.0" % (int(version.split(".")[0]) + 1)
    msi = package("--version", newer)
    msiexec("/i", win(msi), "ADDLOCAL=Simulator")
    check(products() == [(newer, "FilmCore")], "after an upgrade with the simulator: %s" % products())
    check_installed("upgraded, naming the simulator alone")
    check(os.path.isfile(on_c(TOOLKIT)) and same_bytes(on_c(TOOLKIT), SIMULATOR),
          "an upgrade lost the simulator it had installed")

    settings = settings_file()
    check(os.path.isfile(settings), "the source kept no settings in %s" % settings)
    operator = b"[SAVE_IMG_TO_DISK]\r\nSet=ON\r\n"
    with open(settings, "wb") as f:
        f.write(operator)
    image = on_c("nqt/temp/chest.dcm")
    with open(image, "wb") as f:
        f.write(b"an operator's image")
    msiexec("/x", win(msi))
    check_removed("removed")
    check(not os.path.exists(on_c(TOOLKIT)), "the simulator is still there after removal")
    check(open(settings, "rb").read() == operator, "removal changed the user's settings")
    check(open(image, "rb").read() == b"an operator's image", "removal took an image in c:\\nqt\\temp")


try:
    main()
finally:
    subprocess.run([os.path.join(ROOT, "scripts", "wine-stop"), WORK])
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pass")
