#!/usr/bin/python3
"""Reads what scan_commands_test left in the folder given: the three films
of a feeder batch with pydicom (patient data, and pixels of three different
films). Removes the folder when all is well."""
import os
import shutil
import sys

import numpy as np
import pydicom
from pydicom.uid import ImplicitVRLittleEndian

folder = sys.argv[1]
failures = []

films = []
for number in (1, 2, 3):
    ds = pydicom.dcmread(os.path.join(folder, "batch%d.dcm" % number), force=True)
    ds.file_meta = pydicom.dataset.FileMetaDataset()
    ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
    if str(ds.get("PatientName", "")) != "DOE^JANE" or ds.get("PatientID", "") != "PID-0042":
        failures.append("batch%d.dcm: patient %r" % (number, ds.get("PatientName")))
    films.append(ds.pixel_array.astype(np.int32))

for a, b in ((0, 1), (0, 2), (1, 2)):
    if films[a].shape != films[b].shape or not np.abs(films[a] - films[b]).any():
        failures.append("films %d and %d are not two films of one size" % (a + 1, b + 1))

for f in failures:
    print("FAIL:", f)
if not failures:
    shutil.rmtree(folder)
sys.exit(1 if failures else 0)
