// The toolkit table in force and the stand-ins that answer when the DLL, or
// one of its functions, is missing: every stand-in fails without touching
// anything but its own out-values, so start-up reports "no adapter" instead
// of crashing.
#include "digitizer/toolkit.h"

#include <string.h>

#include "digitizer/toolkit_functions.h"

namespace {

#define COUNT_ONE(name) +1
static_assert(sizeof(ScanKit) == (0 SCANKIT_FUNCTIONS(COUNT_ONE)) * sizeof(void (*)(void)),
              "every slot of ScanKit is listed in SCANKIT_FUNCTIONS");
#undef COUNT_ONE

TkStatus StandInFindAdaptors(uint16_t* count)
{
    if (count) *count = 0;
    return TK_FAILED;
}
TkStatus StandInIndex(uint16_t) { return TK_FAILED; }
TkStatus StandInOpen(uint16_t, uint32_t* value)
{
    if (value) *value = 0;
    return TK_FAILED;
}
TkStatus StandInNone(void) { return TK_FAILED; }
TkStatus StandInBuffer(uint8_t*, uint16_t) { return TK_FAILED; }
TkStatus StandInFindScanner(ScannerInfo*) { return TK_FAILED; }
uint16_t StandInScannerStatus(void) { return TK_NO_COMMUNICATION; }
TkStatus StandInText(char* text)
{
    if (text) text[0] = '\0';
    return TK_FAILED;
}
TkStatus StandInScannerInfo(uint16_t* ramSize, char* firmware, uint8_t* hardwareVersion)
{
    if (ramSize) *ramSize = 0;
    if (firmware) firmware[0] = '\0';
    if (hardwareVersion) *hardwareVersion = 0;
    return TK_FAILED;
}
TkStatus StandInScsiInfo(uint8_t* id, uint8_t* version)
{
    if (id) *id = 0;
    if (version) *version = 0;
    return TK_FAILED;
}
TkStatus StandInDiagnostics(const uint8_t*, uint16_t, uint8_t*, uint16_t) { return TK_FAILED; }
uint16_t StandInNoFeeder(void) { return 0; }
TkStatus StandInCapability(uint16_t, uint16_t* buffer, uint16_t length)
{
    if (buffer) memset(buffer, 0, length);
    return TK_FAILED;
}
TkStatus StandInSetU16(uint16_t) { return TK_FAILED; }
TkStatus StandInSetPair(uint32_t, uint32_t) { return TK_FAILED; }
TkStatus StandInSetU8(uint8_t) { return TK_FAILED; }
TkStatus StandInSetI16(int16_t) { return TK_FAILED; }
TkStatus StandInPage(uint16_t, uint8_t*, uint16_t) { return TK_FAILED; }
TkStatus StandInGetAverage(uint16_t* count)
{
    if (count) *count = 0;
    return TK_FAILED;
}
TkStatus StandInGetImage(uint8_t*, uint32_t, int32_t* bytesGot)
{
    if (bytesGot) *bytesGot = 0;
    return TK_FAILED;
}
TkStatus StandInPaperStatus(uint8_t* buffer)
{
    if (buffer) buffer[0] = 0;
    return TK_FAILED;
}
TkStatus StandInSense(uint8_t*, uint16_t, uint16_t) { return TK_FAILED; }
TkStatus StandInReset(uint16_t, uint16_t) { return TK_FAILED; }

const ScanKit kStandIns = {
    StandInFindAdaptors, StandInIndex, StandInOpen, StandInNone, StandInBuffer,
    StandInFindScanner, StandInScannerStatus, StandInText, StandInScannerInfo,
    StandInScsiInfo, StandInDiagnostics, StandInNone, StandInNoFeeder, StandInNoFeeder,
    StandInCapability,
    StandInSetU16, StandInSetU16, StandInNone, StandInSetU16, StandInSetU16, StandInSetU16,
    StandInSetPair, StandInSetU8, StandInSetPair, StandInSetU16, StandInSetU16, StandInSetI16,
    StandInPage, StandInBuffer,
    StandInGetAverage, StandInGetImage, StandInNone, StandInNone, StandInNone,
    StandInPaperStatus, StandInSetU16, StandInNone, StandInNone, StandInSense, StandInReset,
    StandInBuffer, StandInPage,
};

ScanKit g_kit = kStandIns;

}  // namespace

extern "C" const ScanKit* Toolkit(void) { return &g_kit; }

extern "C" const ScanKit* ToolkitStandIns(void) { return &kStandIns; }

extern "C" void ToolkitInstall(const ScanKit* kit)
{
    g_kit = kStandIns;
    if (!kit) return;
#define TAKE_SLOT(name) \
    if (kit->name) g_kit.name = kit->name;
    SCANKIT_FUNCTIONS(TAKE_SLOT)
#undef TAKE_SLOT
}
