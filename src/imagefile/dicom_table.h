// The module-wide table of DICOM data elements. Tags are one u32:
// element number x 65536 + group number, so that written little-endian
// they give the group followed by the element.
#ifndef FILMCORE_DICOM_TABLE_H
#define FILMCORE_DICOM_TABLE_H

#include <stddef.h>
#include <stdint.h>

#include "FilmCore.h"

#define DCM_TAG(group, element) (((uint32_t)(element) << 16) | (uint32_t)(group))

enum : uint32_t {
    DCM_SOP_CLASS_UID = DCM_TAG(0x0008, 0x0016),
    DCM_SOP_INSTANCE_UID = DCM_TAG(0x0008, 0x0018),
    DCM_STUDY_INSTANCE_UID = DCM_TAG(0x0020, 0x000D),
    DCM_SERIES_INSTANCE_UID = DCM_TAG(0x0020, 0x000E),
    DCM_ROWS = DCM_TAG(0x0028, 0x0010),
    DCM_COLUMNS = DCM_TAG(0x0028, 0x0011),
    DCM_BITS_ALLOCATED = DCM_TAG(0x0028, 0x0100),
    DCM_BITS_STORED = DCM_TAG(0x0028, 0x0101),
    DCM_HIGH_BIT = DCM_TAG(0x0028, 0x0102),
    DCM_PIXEL_DATA = DCM_TAG(0x7FE0, 0x0010)
};

// One entry as the writer walks the table; the last entry is Pixel Data,
// which has no storage and is always written.
struct DcmElementView {
    uint32_t tag;
    const uint8_t* value;
    uint32_t length;
    bool present;
};

size_t DcmElementCount(void);
DcmElementView DcmElementAt(size_t index);

// Stores a 16-bit unsigned value little-endian (Rows, Columns, Bits ...).
uint32_t DcmSetElemU16(uint32_t tag, uint16_t value);

// Empties the table as at library load (a fresh session in tests).
void DcmClearElementTable(void);

#endif
