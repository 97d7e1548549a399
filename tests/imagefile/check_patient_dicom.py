#!/usr/bin/python3
"""Reads the DICOM file the patient dialog test wrote after OK with pydicom
and checks that the operator's entries are in it.

usage: check_patient_dicom.py FILE
"""
import sys

import pydicom
from pydicom.uid import ImplicitVRLittleEndian

ds = pydicom.dcmread(sys.argv[1], force=True)
ds.file_meta = pydicom.dataset.FileMetaDataset()
ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian
expected = {"PatientName": "DOE^JANE", "PatientID": "P1", "PatientBirthDate": "2004.1.4",
            "PatientSex": "O", "StudyID": "S1", "SeriesNumber": "7", "InstanceNumber": "3"}
found = {key: str(ds.get(key, "<absent>")).strip() for key in expected}
if found != expected:
    sys.exit(f"found {found}, expected {expected}")
if (ds.Rows, ds.Columns, len(ds.PixelData)) != (4, 16, 64):
    sys.exit(f"image {ds.Rows} x {ds.Columns}, {len(ds.PixelData)} pixel bytes")
print("patient values read back")
