// The naming rules of batch output files: the format's extension replaces
// a three-letter one, and the name is joined to the save folder.
#ifndef FILMCORE_BATCH_NAMES_H
#define FILMCORE_BATCH_NAMES_H

#include <stddef.h>

// ".tif", ".dcm" or ".bmp" for "TIFF", "DICOM" or "Bitmap" in any case;
// null for any other name.
const char* FormatExtension(const char* formatName);

// Cuts the name at a "." that is its fourth character from the end, so
// that "b.bmp" becomes "b" but "x.jpeg" stays as it is.
void CutThreeLetterExtension(char* name);

// out <- folder, "\" unless the folder is empty or already ends in "\" or
// "/", the name cut as above, then the extension. False when the result
// does not fit in `size` bytes (out then holds what fitted, terminated).
bool ComposeBatchName(char* out, size_t size, const char* folder, const char* name,
                      const char* extension);

#endif
