#include "host_dicom.h"

#include <stdint.h>

#include "FilmCore.h"
#include "host_log.h"

namespace {

// Tags as the element table takes them: element × 65536 + group.
const uint32_t kSamplesPerPixel = 0x00020028;
const uint32_t kPhotometricInterpretation = 0x00040028;
const uint32_t kPixelRepresentation = 0x01030028;

void SetNumber(uint32_t tag, uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    if (!DcmSetElemValue(tag, bytes, 2))
        HostLog("DcmSetElemValue %08x refused", tag);
}

} // namespace

void SetDicomImageDescription(void)
{
    SetNumber(kSamplesPerPixel, 1);
    static const char grey[] = "MONOCHROME2";
    if (!DcmSetElemValue(kPhotometricInterpretation, grey, sizeof grey - 1))
        HostLog("DcmSetElemValue %08x refused", kPhotometricInterpretation);
    SetNumber(kPixelRepresentation, 0);
}
