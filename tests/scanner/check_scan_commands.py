#!/usr/bin/python3
"""Reads what scan_commands_test left in the folder given: the transfer
bitmap with Pillow, and the three films of a feeder batch with pydicom
(names, patient data, pixels of three different films). Removes the
folder afterwards."""
import os
import shutil
import sys

import numpy as np
import pydicom
from PIL import Image
from pydicom.uid import ImplicitVRLittleEndian

folder = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


with Image.open(os.path.join(folder, "nxfer.bmp")) as bmp:
    check(bmp.format == "BMP", "nxfer.bmp is a Windows bitmap")
    grey = np.asarray(bmp.convert("L"))
    check(grey.shape[0] > 100 and grey.std() > 1, "nxfer.bmp holds a film, not a flat field")

films = []
for number in (1, 2, 3):
    path = os.path.join(folder, "batch%d.dcm" % number)
    ds = pydicom.dcmread(path, force=True)
    ds.file_meta = pydicom.dataset.FileMetaDataset()
    ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
    check(str(ds.PatientName) == "DOE^JANE", "%s: patient name %r" % (path, str(ds.PatientName)))
    check(ds.PatientID == "PID-0042", "%s: patient id %r" % (path, ds.PatientID))
    films.append(ds.pixel_array.astype(np.int32))

check(len({f.shape for f in films}) == 1, "the three films have one size")
for a in range(3):
    for b in range(a + 1, 3):
        if films[a].shape == films[b].shape:
            check(np.abs(films[a] - films[b]).sum() > 0, "films %d and %d differ" % (a + 1, b + 1))

for f in failures:
    print("FAIL:", f)
if not failures:
    shutil.rmtree(folder)
sys.exit(1 if failures else 0)
