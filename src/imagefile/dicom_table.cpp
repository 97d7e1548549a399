#include "dicom_table.h"

#include <string.h>

#include "file_io.h"

namespace {

enum PadKind { PAD_SPACE, PAD_NUL };

struct DcmElement {
    uint32_t tag;
    uint32_t length;
    uint32_t capacity;
    PadKind pad;
    uint8_t value[64];
};

const uint32_t kNoStorage = 0;

DcmElement g_elements[] = {
    {DCM_SOP_CLASS_UID, 0, 64, PAD_NUL, {0}},
    {DCM_SOP_INSTANCE_UID, 0, 64, PAD_NUL, {0}},
    {DCM_TAG(0x0008, 0x0020), 0, 16, PAD_SPACE, {0}},  // Study Date
    {DCM_TAG(0x0008, 0x0030), 0, 16, PAD_SPACE, {0}},  // Study Time
    {DCM_TAG(0x0008, 0x0050), 0, 16, PAD_SPACE, {0}},  // Accession Number
    {DCM_TAG(0x0008, 0x0060), 0, 4, PAD_SPACE, {0}},   // Modality
    {DCM_TAG(0x0008, 0x0064), 0, 4, PAD_SPACE, {0}},   // Conversion Type
    {DCM_TAG(0x0008, 0x0090), 0, 64, PAD_SPACE, {0}},  // Referring Physician's Name
    {DCM_TAG(0x0010, 0x0010), 0, 64, PAD_SPACE, {0}},  // Patient's Name
    {DCM_TAG(0x0010, 0x0020), 0, 64, PAD_SPACE, {0}},  // Patient ID
    {DCM_TAG(0x0010, 0x0030), 0, 16, PAD_SPACE, {0}},  // Patient's Birth Date
    {DCM_TAG(0x0010, 0x0040), 0, 16, PAD_SPACE, {0}},  // Patient's Sex
    {DCM_TAG(0x0018, 0x1016), 0, 64, PAD_SPACE, {0}},  // Secondary Capture Device Manufacturer
    {DCM_TAG(0x0018, 0x1023), 0, 32, PAD_SPACE, {0}},  // Digital Image Format Acquired
    {DCM_STUDY_INSTANCE_UID, 0, 64, PAD_NUL, {0}},
    {DCM_SERIES_INSTANCE_UID, 0, 64, PAD_NUL, {0}},
    {DCM_TAG(0x0020, 0x0010), 0, 64, PAD_SPACE, {0}},  // Study ID
    {DCM_TAG(0x0020, 0x0011), 0, 32, PAD_SPACE, {0}},  // Series Number
    {DCM_TAG(0x0020, 0x0013), 0, 32, PAD_SPACE, {0}},  // Instance Number
    {DCM_TAG(0x0028, 0x0002), 0, 2, PAD_SPACE, {0}},   // Samples per Pixel
    {DCM_TAG(0x0028, 0x0004), 0, 32, PAD_SPACE, {0}},  // Photometric Interpretation
    {DCM_ROWS, 0, 2, PAD_SPACE, {0}},
    {DCM_COLUMNS, 0, 2, PAD_SPACE, {0}},
    {DCM_BITS_ALLOCATED, 0, 2, PAD_SPACE, {0}},
    {DCM_BITS_STORED, 0, 2, PAD_SPACE, {0}},
    {DCM_HIGH_BIT, 0, 2, PAD_SPACE, {0}},
    {DCM_TAG(0x0028, 0x0103), 0, 2, PAD_SPACE, {0}},   // Pixel Representation
    {DCM_TAG(0x0028, 0x0106), 0, 2, PAD_SPACE, {0}},   // Smallest Image Pixel Value
    {DCM_TAG(0x0028, 0x0107), 0, 2, PAD_SPACE, {0}},   // Largest Image Pixel Value
    {DCM_PIXEL_DATA, 0, kNoStorage, PAD_SPACE, {0}},
};

const size_t kElementCount = sizeof g_elements / sizeof g_elements[0];
uint32_t g_presenceMask = 0;

// Pixel Data closes the table and can be neither set nor read.
DcmElement* FindStoredElement(uint32_t tag)
{
    for (size_t i = 0; i + 1 < kElementCount; ++i) {
        if (g_elements[i].tag == tag)
            return &g_elements[i];
    }
    return nullptr;
}

// Presence bit of an entry: 1 for the first, doubling down the table.
uint32_t PresenceBit(const DcmElement& element)
{
    return 1u << (uint32_t)(&element - g_elements);
}

bool IsPresent(const DcmElement& element)
{
    return (g_presenceMask & PresenceBit(element)) != 0;
}

}  // namespace

extern "C" uint32_t DcmSetElemValue(uint32_t tag, const void* value, int32_t length)
{
    DcmElement* element = FindStoredElement(tag);
    if (!element || length < 0 || (uint32_t)length > element->capacity)
        return 0;
    if (length > 0 && !value)
        return 0;
    if (length > 0)
        memcpy(element->value, value, (size_t)length);
    uint32_t stored = (uint32_t)length;
    if (stored % 2 != 0)
        element->value[stored++] = element->pad == PAD_NUL ? '\0' : ' ';
    element->length = stored;
    g_presenceMask |= PresenceBit(*element);
    return 1;
}

extern "C" uint32_t DcmGetElemValue(uint32_t tag, void* buffer, uint32_t* size)
{
    uint8_t* out = (uint8_t*)buffer;
    if (out)
        out[0] = 0;
    const DcmElement* element = FindStoredElement(tag);
    if (!element || !IsPresent(*element) || !size)
        return 0;
    if (*size == 0) {
        *size = element->length;
        return 1;
    }
    if (!out || *size < element->length)
        return 0;
    memcpy(out, element->value, element->length);
    if (*size > element->length)
        out[element->length] = 0;
    *size = element->length;
    return 1;
}

uint32_t DcmSetElemU16(uint32_t tag, uint16_t value)
{
    uint8_t bytes[2];
    PutU16(bytes, value);
    return DcmSetElemValue(tag, bytes, 2);
}

size_t DcmElementCount(void)
{
    return kElementCount;
}

DcmElementView DcmElementAt(size_t index)
{
    DcmElementView view = {0, nullptr, 0, false};
    if (index >= kElementCount)
        return view;
    const DcmElement& element = g_elements[index];
    view.tag = element.tag;
    view.value = element.value;
    view.length = element.length;
    view.present = element.tag == DCM_PIXEL_DATA || IsPresent(element);
    return view;
}

void DcmClearElementTable(void)
{
    g_presenceMask = 0;
    for (size_t i = 0; i < kElementCount; ++i) {
        g_elements[i].length = 0;
        memset(g_elements[i].value, 0, sizeof g_elements[i].value);
    }
}
