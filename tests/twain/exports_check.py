#!/usr/bin/python3
"""The names a loader finds, read from the built DLLs by binutils' objdump:
FilmTwain.ds exports DS_Entry and nothing else (the name Wine's source
manager hands GetProcAddress), and FilmCore.dll exports exactly the names of
its .def file. In the i686 tree a stdcall export keeps its "@N" suffix unless
the link drops it; a host or manager asking for the plain name then fails.

exports_check.py OBJDUMP ROOT BUILD    Prints what went wrong and exits 1, or prints "pass".
"""
import os
import re
import subprocess
import sys

OBJDUMP, ROOT, BUILD = sys.argv[1:4]


def exported_names(path):
    text = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True).stdout
    table = text.split("[Ordinal/Name Pointer] Table", 1)
    if len(table) < 2:
        return []
    return re.findall(r"^\s+\[\s*\d+\] (\S+)$", table[1].split("\n\n", 1)[0], re.M)


def def_names(path):
    with open(path) as f:
        lines = f.read().split("EXPORTS", 1)[1].splitlines()
    return sorted(line.split()[0] for line in lines if line.strip() and not line.strip().startswith(";"))


failures = []
source = exported_names(os.path.join(BUILD, "bin", "FilmTwain.ds"))
if source != ["DS_Entry"]:
    failures.append("FilmTwain.ds exports %s, not DS_Entry alone" % source)
library = sorted(exported_names(os.path.join(BUILD, "bin", "FilmCore.dll")))
expected = def_names(os.path.join(ROOT, "src", "FilmCore.def"))
if library != expected:
    failures.append("FilmCore.dll exports differ from FilmCore.def: extra %s, missing %s" %
                    (sorted(set(library) - set(expected)), sorted(set(expected) - set(library))))
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("pass")
