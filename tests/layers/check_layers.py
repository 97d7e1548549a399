#!/usr/bin/env python3
"""Fails on any include of the library that points up or sideways.

The folders of src/ are floors, from the top down:
    ui > scanner > pipeline > {imagefile, digitizer} > frame > res
A file may include its own folder and any floor below its own; imagefile
and digitizer share a floor and never include each other. Includes that
name no folder of src/ (the public header, the same folder) pass.
"""
import pathlib
import re
import sys

# Height of each floor; equal heights are the same floor.
FLOORS = {
    "ui": 5,
    "scanner": 4,
    "pipeline": 3,
    "imagefile": 2,
    "digitizer": 2,
    "frame": 1,
    "res": 0,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCES = {".h", ".hpp", ".c", ".cpp", ".rc"}


def target_folder(including: pathlib.Path, name: str, src: pathlib.Path):
    """The floor folder an include reaches, or None for one outside src/."""
    for base in (including.parent, src):
        path = (base / name).resolve()
        if path.is_file() and src in path.parents:
            return path.relative_to(src).parts[0]
    return None


def offences(src: pathlib.Path):
    src = src.resolve()
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCES or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in FLOORS:
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            reached = target_folder(path, match.group(1), src)
            if reached is None or reached == folder:
                continue
            if reached not in FLOORS:
                why = "a folder that is no floor"
            elif FLOORS[reached] > FLOORS[folder]:
                why = "points up"
            elif FLOORS[reached] == FLOORS[folder]:
                why = "points sideways"
            else:
                continue
            yield f"{path.relative_to(src.parent)}:{number}: {line.strip()}  ({folder} -> {reached}: {why})"


def main(argv):
    src = pathlib.Path(argv[1]) if len(argv) > 1 else pathlib.Path(__file__).resolve().parents[2] / "src"
    found = list(offences(src))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the floors ui > scanner > pipeline > "
              "{imagefile, digitizer} > frame > res")
        return 1
    print("every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
