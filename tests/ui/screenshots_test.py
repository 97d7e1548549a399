#!/usr/bin/python3
"""Runs scripts/screenshots for every template and checks the pictures.

usage: screenshots_test.py SOURCE_DIR BUILD_DIR OUT_DIR
Each PNG must hold one dialog window (not the screen): a caption bar with
text, a body in the dialog colour with dark text on it; the main dialog also
shows its preview frame where the code paints it.
"""
import os
import subprocess
import sys
from collections import Counter

from PIL import Image

TEMPLATES = range(101, 118)
STATES = ("system-test-failures", "scan-size-centimetres", "options-opened")
SCREEN = (1280, 1024)
PREVIEW_BACKGROUND = (150, 180, 210)  # 0xD2B496 as red, green, blue


def dominant(pixels):
    return Counter(pixels).most_common(1)[0][0]


def luminance(p):
    return (299 * p[0] + 587 * p[1] + 114 * p[2]) // 1000


def check_window(path, failures):
    name = os.path.basename(path)
    img = Image.open(path).convert("RGB")
    w, h = img.size
    if not (120 <= w < SCREEN[0] and 60 <= h < SCREEN[1]):
        failures.append(f"{name}: {w}x{h} is not one dialog window")
        return None
    caption_row = [img.getpixel((x, 8)) for x in range(w)]
    body = list(img.crop((4, 30, w - 4, h - 4)).getdata())
    caption_colour = dominant(caption_row)
    face = dominant(body)
    if abs(luminance(caption_colour) - luminance(face)) < 40:
        failures.append(f"{name}: no caption bar distinct from the dialog body")
    # The title is drawn in a colour that stands out from the caption bar.
    title_pixels = sum(1 for p in caption_row[: w // 2] if abs(luminance(p) - luminance(caption_colour)) > 50)
    if title_pixels < 5:
        failures.append(f"{name}: no title text in the caption bar")
    dark = sum(1 for p in body if luminance(p) < 80)
    if dark < 20:
        failures.append(f"{name}: no readable text in the dialog body")
    return img


def check_main_dialog(img, failures):
    w, h = img.size
    # Sample the middle of the preview frame (31 % to 85 % of the width).
    points = [(int(w * fx), int(h * fy)) for fx in (0.45, 0.55, 0.65) for fy in (0.3, 0.5, 0.7)]
    if any(img.getpixel(p) != PREVIEW_BACKGROUND for p in points):
        failures.append("101.png: the preview frame is not where the main dialog paints it")


def main():
    source, build, out = sys.argv[1:4]
    os.makedirs(out, exist_ok=True)
    names = [str(t) for t in TEMPLATES] + list(STATES)
    for t in names:
        path = os.path.join(out, f"{t}.png")
        if os.path.exists(path):
            os.remove(path)
    run = subprocess.run([os.path.join(source, "scripts", "screenshots"), "--build", build, "--out", out],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=540)
    print(run.stdout)
    failures = []
    marlett = os.path.join(build, "wine", "prefix", "drive_c", "windows", "Fonts", "marlett.ttf")
    if not os.path.exists(marlett):
        failures.append("Marlett font missing from the Wine prefix: install fonts-wine (scripts/bootstrap)")
    if run.returncode != 0:
        failures.append(f"scripts/screenshots exited with {run.returncode}")
    for t in names:
        path = os.path.join(out, f"{t}.png")
        if not os.path.exists(path):
            failures.append(f"{t}.png missing")
            continue
        img = check_window(path, failures)
        if img is not None and t == "101":
            check_main_dialog(img, failures)
    for f in failures:
        print("FAIL", f)
    passed = len(names) - len({f.split(".png")[0] for f in failures if ".png" in f})
    print(f"{passed} passed, {len(names) - passed} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
