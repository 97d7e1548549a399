#!/usr/bin/python3
"""Reads the film the main dialog's Scan button left in the folder given,
with Pillow; removes the folder when it is a bitmap of a film."""
import os
import shutil
import sys

import numpy as np
from PIL import Image

folder = sys.argv[1]
with Image.open(os.path.join(folder, "scan.bmp")) as bmp:
    grey = np.asarray(bmp.convert("L"))
    ok = bmp.format == "BMP" and grey.shape[0] >= 100 and grey.std() >= 1
if not ok:
    print("FAIL: scan.bmp is not a bitmap of a film")
    sys.exit(1)
shutil.rmtree(folder)
