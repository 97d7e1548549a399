// What the outer module puts into the DICOM element table itself: the
// library writes an image's size and depth, the host says what kind of
// image it is, so that readers (and LoadDICOMImageFile) can decode it.
#ifndef FILMHOST_DICOM_H
#define FILMHOST_DICOM_H

// One grey sample a pixel, dark at 0, unsigned.
void SetDicomImageDescription(void);

#endif
