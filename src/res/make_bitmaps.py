#!/usr/bin/python3
"""Draws the digitizer pictures of the resources (bitmaps 126, 131, 132, 133).

Run once by hand when a picture changes; the generated .bmp files are kept in
the repository so the build needs no Python:
    /usr/bin/python3 src/res/make_bitmaps.py src/res
"""
import os
import sys

from PIL import Image, ImageDraw

WIDTH, HEIGHT = 100, 48
SCALE = 4  # drawn large, then reduced for smooth edges

# Picture by model variant: file name, film feeder, wide bed, badge colour.
PICTURES = [
    ("digitizer_na.bmp", False, False, (128, 128, 128)),  # 126: variant unknown
    ("digitizer_a2.bmp", True, True, (46, 125, 50)),      # 131: A2
    ("digitizer_9a.bmp", False, True, (21, 101, 192)),    # 132: 9A (default)
    ("digitizer_9e.bmp", True, False, (198, 40, 40)),     # 133: 9E
]


def s(v):
    return int(round(v * SCALE))


def box(d, x0, y0, x1, y1, **kw):
    d.rectangle([s(x0), s(y0), s(x1) - 1, s(y1) - 1], **kw)


def draw(feeder, wide, badge):
    img = Image.new("RGB", (s(WIDTH), s(HEIGHT)), (240, 240, 240))
    d = ImageDraw.Draw(img)

    # Panel with a soft vertical gradient and a thin border.
    for y in range(s(HEIGHT)):
        t = y / s(HEIGHT)
        c = int(250 - 22 * t)
        d.line([(0, y), (s(WIDTH), y)], fill=(c - 6, c - 2, c))
    d.rectangle([0, 0, s(WIDTH) - 1, s(HEIGHT) - 1], outline=(150, 160, 170), width=SCALE)

    left = 14 if wide else 22
    right = WIDTH - left
    top, bottom = 18, 40

    # Film standing in the feed slot: a grey radiograph with a lighter body.
    fl, fr = left + 10, right - 10
    film_top = 3 if feeder else 5
    if feeder:  # a stack of films behind the first one
        for k in (2, 1):
            box(d, fl + 2 * k, film_top + k, fr + 2 * k, top + 1, fill=(70 + 20 * k, 80 + 20 * k, 95 + 20 * k))
    box(d, fl, film_top + 3, fr, top + 1, fill=(40, 48, 58), outline=(20, 24, 30))
    cx = (fl + fr) / 2
    d.ellipse([s(cx - 9), s(film_top + 5), s(cx + 9), s(top + 6)], fill=(150, 160, 172))
    d.ellipse([s(cx - 5), s(film_top + 6), s(cx - 1), s(top - 1)], fill=(95, 104, 116))
    d.ellipse([s(cx + 1), s(film_top + 6), s(cx + 5), s(top - 1)], fill=(95, 104, 116))

    # Cabinet: light body, darker base, feed slot on top.
    box(d, left, top, right, bottom, fill=(214, 219, 224), outline=(96, 104, 112), width=SCALE)
    box(d, left, bottom - 5, right, bottom, fill=(150, 157, 165), outline=(96, 104, 112), width=SCALE)
    box(d, fl - 2, top, fr + 2, top + 3, fill=(50, 54, 60))
    # Front panel: model badge, ready lamp and two keys.
    box(d, left + 4, top + 7, left + 18, top + 13, fill=badge, outline=(60, 60, 60))
    d.ellipse([s(right - 10), s(top + 8), s(right - 6), s(top + 12)], fill=(60, 200, 80), outline=(30, 90, 40))
    box(d, right - 22, top + 8, right - 17, top + 12, fill=(120, 126, 134))
    box(d, right - 30, top + 8, right - 25, top + 12, fill=(120, 126, 134))
    # Feet.
    box(d, left + 3, bottom, left + 9, bottom + 2, fill=(80, 84, 90))
    box(d, right - 9, bottom, right - 3, bottom + 2, fill=(80, 84, 90))

    small = img.resize((WIDTH, HEIGHT), Image.LANCZOS)
    return small.convert("P", palette=Image.ADAPTIVE, colors=256)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, feeder, wide, badge in PICTURES:
        draw(feeder, wide, badge).save(os.path.join(out, name), format="BMP")


if __name__ == "__main__":
    main()
