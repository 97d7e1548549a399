// Arbitrary structures an application hands the TWAIN source: the first
// byte picks the check, the rest fills the structure. Whatever a check
// lets through must be safe for the source to use as it does.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "arg_checks.h"
#include "fix32.h"

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Fills `out` from the input, zeroes past its end.
static void Take(const uint8_t* data, size_t size, void* out, size_t outSize)
{
    memset(out, 0, outSize);
    memcpy(out, data, size < outSize ? size : outSize);
}

static uint32_t Word(const uint8_t* data, size_t size, size_t at)
{
    uint32_t w = 0;
    for (size_t i = 0; i < 4 && at + i < size; ++i)
        w |= (uint32_t)data[at + i] << (8 * i);
    return w;
}

static void MemoryBuffer(const uint8_t* data, size_t size)
{
    uint8_t buffer[16];
    TW_MEMORY memory;
    memory.Flags = Word(data, size, 0);
    memory.Length = Word(data, size, 4);
    memory.TheMem = size > 8 && (data[8] & 1) ? buffer : nullptr;
    const uint32_t lineBytes = Word(data, size, 9) >> (size > 13 ? data[13] % 32 : 0);
    const size_t handleSize = Word(data, size, 14);
    if (CheckMemoryBuffer(memory, lineBytes, handleSize) != TWCC_SUCCESS)
        return;
    Check(memory.TheMem != nullptr);
    Check(lineBytes > 0 && memory.Length / lineBytes >= 1);
    Check(!(memory.Flags & TWMF_HANDLE) || handleSize >= memory.Length);
    Check(((memory.Flags & TWMF_POINTER) != 0) != ((memory.Flags & TWMF_HANDLE) != 0));
}

static void FileSetup(const uint8_t* data, size_t size)
{
    TW_SETUPFILEXFER setup;
    Take(data, size, &setup, sizeof setup);
    // Unterminated names come from inputs that fill the whole field.
    const uint16_t cc = CheckFileSetup(setup);
    if (cc != TWCC_SUCCESS) {
        Check(cc == TWCC_BADVALUE);
        return;
    }
    const size_t length = strnlen(setup.FileName, sizeof setup.FileName);
    Check(length > 0 && length < sizeof setup.FileName);
    Check(setup.Format == TWFF_BMP || setup.Format == TWFF_TIFF);
}

static void Identity(const uint8_t* data, size_t size)
{
    TW_IDENTITY id;
    Take(data, size, &id, sizeof id);
    const TW_IDENTITY copy = TerminatedIdentity(id);
    Check(Terminated(copy.Version.Info, sizeof copy.Version.Info));
    Check(Terminated(copy.Manufacturer, sizeof copy.Manufacturer));
    Check(Terminated(copy.ProductFamily, sizeof copy.ProductFamily));
    Check(Terminated(copy.ProductName, sizeof copy.ProductName));
    Check(copy.Id == id.Id && copy.SupportedGroups == id.SupportedGroups);
}

static void Layout(const uint8_t* data, size_t size)
{
    TW_FRAME frame;
    Take(data, size, &frame, sizeof frame);
    const uint16_t units = size > 16 ? data[16] % 8 : TWUN_INCHES;
    // The digitizer's resolutions keep a 17-inch bed within a TW_FIX32 of pixels.
    const uint32_t dpi = Word(data, size, 17) % 1200;
    FrameInches f;
    const uint16_t rc = FrameOntoBed(frame, units, dpi, 14.0, 17.0, &f);
    Check(rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS || rc == TWRC_FAILURE);
    if (rc == TWRC_FAILURE)
        return;
    // What is kept is a region of the bed with some area.
    Check(0 <= f.left && f.left < f.right && f.right <= 14.0);
    Check(0 <= f.top && f.top < f.bottom && f.bottom <= 17.0);
    // Answered back in the application's units, to within a TW_FIX32 step.
    const TW_FRAME back = FrameInUnits(f, units, dpi);
    const double scale = InchesPerUnit(units, dpi);
    Check(fabs(Fix32ToFloat(back.Left) * scale - f.left) < 1e-4);
    Check(fabs(Fix32ToFloat(back.Bottom) * scale - f.bottom) < 1e-4);
}

static void DataGiven(const uint8_t* data, size_t size)
{
    const uint16_t dat = (uint16_t)Word(data, size, 0);
    const uint16_t cc = CheckDataGiven(dat, nullptr);
    Check(cc == (dat == DAT_IMAGEFILEXFER ? TWCC_SUCCESS : TWCC_BADVALUE));
    Check(CheckDataGiven(dat, data) == TWCC_SUCCESS);
    TW_ENTRYPOINT entry;
    Take(data, size, &entry, sizeof entry);
    Check((CheckEntryPoint(entry) == TWCC_SUCCESS) == (entry.Size >= sizeof entry));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static void (*const checks[])(const uint8_t*, size_t) = {MemoryBuffer, FileSetup, Identity, Layout, DataGiven};
    checks[data[0] % (sizeof checks / sizeof checks[0])](data + 1, size - 1);
    return 0;
}
