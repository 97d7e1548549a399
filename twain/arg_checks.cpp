#include "arg_checks.h"

#include <string.h>

uint16_t CheckDataGiven(uint16_t dat, const void* data)
{
    return data || dat == DAT_IMAGEFILEXFER ? (uint16_t)TWCC_SUCCESS : (uint16_t)TWCC_BADVALUE;
}

uint16_t CheckEntryPoint(const TW_ENTRYPOINT& entry)
{
    return entry.Size >= sizeof entry ? (uint16_t)TWCC_SUCCESS : (uint16_t)TWCC_BADVALUE;
}

uint16_t CheckMemoryBuffer(const TW_MEMORY& memory, uint32_t lineBytes, size_t handleSize)
{
    if (!memory.TheMem || memory.Length < lineBytes)
        return TWCC_BADVALUE;
    // Exactly one of pointer and handle: either guess could write through
    // the other kind and corrupt the application's memory.
    const uint32_t kind = memory.Flags & (TWMF_POINTER | TWMF_HANDLE);
    if (kind != TWMF_POINTER && kind != TWMF_HANDLE)
        return TWCC_BADVALUE;
    if ((memory.Flags & TWMF_HANDLE) && handleSize < memory.Length)
        return TWCC_BADVALUE;
    // Without a line width there is no image to divide into strips.
    return lineBytes ? (uint16_t)TWCC_SUCCESS : (uint16_t)TWCC_OPERATIONERROR;
}

bool Terminated(const char* text, size_t size)
{
    return memchr(text, 0, size) != nullptr;
}

uint16_t CheckFileSetup(const TW_SETUPFILEXFER& setup)
{
    if (!Terminated(setup.FileName, sizeof setup.FileName) || setup.FileName[0] == 0)
        return TWCC_BADVALUE;
    if (setup.Format != TWFF_BMP && setup.Format != TWFF_TIFF)
        return TWCC_BADVALUE;
    return TWCC_SUCCESS;
}

namespace {

template <size_t N>
void EndWithin(char (&text)[N])
{
    text[N - 1] = 0;
}

}  // namespace

TW_IDENTITY TerminatedIdentity(const TW_IDENTITY& id)
{
    TW_IDENTITY copy = id;
    EndWithin(copy.Version.Info);
    EndWithin(copy.Manufacturer);
    EndWithin(copy.ProductFamily);
    EndWithin(copy.ProductName);
    return copy;
}
