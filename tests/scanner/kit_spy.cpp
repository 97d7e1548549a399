#include "kit_spy.h"

#include <windows.h>

#include <cstdio>
#include <fstream>

#include "digitizer/toolkit.h"
#include "test_files.h"

namespace {

ScanKit g_real;
std::vector<std::string> g_calls;

void Record(const char* format, long a = 0, long b = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, format, a, b);
    g_calls.push_back(text);
}

#define SPY_ONE(name, type)                     \
    TkStatus Spy_##name(type value)             \
    {                                           \
        Record(#name "(%ld)", long(value));     \
        return g_real.name(value);              \
    }
SPY_ONE(setSCSIAdaptorId, uint16_t) SPY_ONE(setScanMode, uint16_t) SPY_ONE(setOutputMode, uint16_t)
SPY_ONE(setBitsPerPixel, uint8_t) SPY_ONE(setTranslationTable, int16_t) SPY_ONE(setFDStageMode, uint16_t)
#undef SPY_ONE
TkStatus Spy_closeToolKit(void) { Record("closeToolKit"); return g_real.closeToolKit(); }
TkStatus Spy_initScanner(void) { Record("initScanner"); return g_real.initScanner(); }
TkStatus Spy_stageFilmInFD(void) { Record("stageFilmInFD"); return g_real.stageFilmInFD(); }
TkStatus Spy_unloadMedium(void) { Record("unloadMedium"); return g_real.unloadMedium(); }
TkStatus Spy_doRequestSense(uint8_t* b, uint16_t n, uint16_t f) { Record("doRequestSense"); return g_real.doRequestSense(b, n, f); }
uint16_t Spy_scannerStatus(void) { Record("scannerStatus"); return g_real.scannerStatus(); }
TkStatus Spy_setPixelSize(uint32_t p, uint32_t l) { Record("setPixelSize(%ld,%ld)", long(p), long(l)); return g_real.setPixelSize(p, l); }
TkStatus Spy_setOffset(uint32_t x, uint32_t y) { Record("setOffset(%ld,%ld)", long(x), long(y)); return g_real.setOffset(x, y); }

}  // namespace

std::string UseDigitizerConfig(const std::string& config)
{
    const std::string path = TestTempPath("digitizer.ini");
    std::ofstream(path) << config << "\n";
    SetEnvironmentVariableA("SCANKIT_CONFIG", path.c_str());
    ClearCalls();
    return path;
}

int SpyLoader(void)
{
    if (!ToolkitBind())
        return 0;
    PutSpyInFront();
    return 1;
}

void PutSpyInFront(void)
{
    g_real = *Toolkit();
    ScanKit spy = g_real;
#define SPY(name) spy.name = Spy_##name;
    SPY(setSCSIAdaptorId) SPY(closeToolKit) SPY(scannerStatus) SPY(initScanner) SPY(setScanMode)
    SPY(setOutputMode) SPY(setPixelSize) SPY(setBitsPerPixel) SPY(setOffset) SPY(setTranslationTable)
    SPY(setFDStageMode) SPY(stageFilmInFD) SPY(unloadMedium) SPY(doRequestSense)
#undef SPY
    ToolkitInstall(&spy);
}

std::vector<std::string> CallsStartingWith(const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& call : g_calls)
        if (call.compare(0, prefix.size(), prefix) == 0)
            found.push_back(call);
    return found;
}

int CallCount(const std::string& prefix) { return int(CallsStartingWith(prefix).size()); }

void ClearCalls(void) { g_calls.clear(); }
