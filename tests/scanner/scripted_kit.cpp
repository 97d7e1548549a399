#include "scripted_kit.h"

#include <cstdio>
#include <cstring>

static KitScript g_script;

KitScript& Script(void)
{
    return g_script;
}

std::vector<std::string> CallsStartingWith(const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& call : g_script.calls)
        if (call.compare(0, prefix.size(), prefix) == 0)
            found.push_back(call);
    return found;
}

static void Record(const char* format, long a = 0, long b = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, format, a, b);
    g_script.calls.push_back(text);
}

namespace kit {

TkStatus findSCSIAdaptors(uint16_t* count) { *count = g_script.adapters; return 0; }

TkStatus setSCSIAdaptorId(uint16_t index)
{
    Record("setSCSIAdaptorId(%ld)", index);
    g_script.currentAdapter = index;
    return 0;
}

static int g_target = -1;

TkStatus openToolKit(uint16_t target, uint32_t* value)
{
    Record("openToolKit(%ld)", target);
    g_target = target;
    *value = 0;
    auto it = g_script.openStatus.find(target);
    return it == g_script.openStatus.end() ? 0 : it->second;
}

TkStatus closeToolKit(void) { Record("closeToolKit"); return 0; }

TkStatus doInquiry(uint8_t* buffer, uint16_t length)
{
    std::memset(buffer, 0, length);
    bool here = g_script.currentAdapter == g_script.digitizerAdapter &&
                g_target == 0;
    const std::string product = here ? g_script.product : std::string("DISK DRIVE");
    for (size_t i = 0; i < product.size() && 16 + i < length; ++i)
        buffer[16 + i] = static_cast<uint8_t>(product[i]);
    return 0;
}

TkStatus findScanner(ScannerInfo* info)
{
    Record("findScanner");
    info->modelCode = g_script.modelCode;
    return 0;
}

uint16_t scannerStatus(void)
{
    size_t n = static_cast<size_t>(g_script.statusPolls++);
    if (g_script.statuses.empty())
        return 0;
    return n < g_script.statuses.size() ? g_script.statuses[n] : g_script.statuses.back();
}

TkStatus getSerialNo(char* text) { std::strcpy(text, "123456"); return 0; }

TkStatus getScannerInfo(uint16_t* ramSize, char* firmware, uint8_t* hardwareVersion)
{
    *ramSize = g_script.ramSize;
    std::strcpy(firmware, "2.10");
    *hardwareVersion = g_script.hardwareVersion;
    return g_script.scannerInfoStatus;
}

TkStatus getScsiInfo(uint8_t* id, uint8_t* version) { *id = 2; *version = 3; return 0; }

TkStatus Diagnostics(const uint8_t* command, uint16_t commandLength, uint8_t* response,
                     uint16_t responseLength)
{
    Record("Diagnostics(%ld)", command[4]);
    bool page2 = command[4] == 2;
    const std::string text = page2 ? "9A " : "OPTIONS ";
    // A real reply fills the whole buffer, terminated or not.
    std::memset(response, 'Z', responseLength);
    for (size_t i = 0; i < text.size() && 5 + i < responseLength; ++i)
        response[5 + i] = text[i];
    return 6;
}

TkStatus stopDiagnostic(void) { Record("stopDiagnostic"); return 0; }

uint16_t IsFDSupported(void) { return 13; }
uint16_t getFDStatus(void) { return 16; }

TkStatus getCapability(uint16_t id, uint16_t* buffer, uint16_t length)
{
    std::memset(buffer, 0, length);
    auto it = g_script.capabilities.find(id);
    if (it == g_script.capabilities.end())
        return 1;
    for (size_t i = 0; i < it->second.size() && (i + 1) * 2 <= length; ++i)
        buffer[i] = it->second[i];
    return 0;
}

// The programming calls only record themselves.
#define RECORDED(name, type)                 \
    TkStatus name(type value)                \
    {                                        \
        Record(#name "(%ld)", (long)value);  \
        return 0;                            \
    }
RECORDED(setAverageCount, uint16_t) RECORDED(setResolution, uint16_t) RECORDED(setBitOrder, uint16_t)
RECORDED(setOutputMode, uint16_t) RECORDED(setScanMode, uint16_t) RECORDED(setBitsPerPixel, uint8_t)
RECORDED(setDarkEnhance, uint16_t) RECORDED(setLineTime, uint16_t) RECORDED(setTranslationTable, int16_t)
#undef RECORDED
TkStatus initScanner(void) { Record("initScanner"); return 0; }
TkStatus setPixelSize(uint32_t p, uint32_t l) { Record("setPixelSize(%ld,%ld)", (long)p, (long)l); return 0; }
TkStatus setOffset(uint32_t x, uint32_t y) { Record("setOffset(%ld,%ld)", (long)x, (long)y); return 0; }

TkStatus diagReportStatus(uint16_t page, uint8_t* buffer, uint16_t length)
{
    std::memset(buffer, 0, length);
    const std::string& text = g_script.lineWidthText;
    for (size_t i = 0; i < text.size() && 5 + i < length; ++i)
        buffer[5 + i] = static_cast<uint8_t>(text[i]);
    return 0;
}

TkStatus doGetWindow(uint8_t* buffer, uint16_t length)
{
    Record("doGetWindow(%ld)", length);
    std::memset(buffer, 0, length);
    return length < 30;
}

}  // namespace kit

KitScript& InstallScriptedKit(void)
{
    g_script = KitScript();
    g_script.capabilities[0] = {3, 5, 0, 0, 75, 150, 200, 300, 400};
    g_script.capabilities[1] = {2, 10, 400, 0, 0, 25};
    g_script.capabilities[2] = {3, 3, 0, 0, 8, 12, 16};
    g_script.capabilities[4] = {3, 1};
    g_script.capabilities[5] = {3, 14};
    g_script.capabilities[24] = {3, 25};
    g_script.capabilities[25] = {3, 1};
    ScanKit table;
    std::memset(&table, 0, sizeof table);
#define TAKE(name) table.name = kit::name;
    TAKE(findSCSIAdaptors) TAKE(setSCSIAdaptorId) TAKE(openToolKit) TAKE(closeToolKit)
    TAKE(doInquiry) TAKE(findScanner) TAKE(scannerStatus) TAKE(getSerialNo)
    TAKE(getScannerInfo) TAKE(getScsiInfo) TAKE(Diagnostics) TAKE(stopDiagnostic)
    TAKE(IsFDSupported) TAKE(getFDStatus) TAKE(getCapability) TAKE(setAverageCount)
    TAKE(setResolution) TAKE(initScanner) TAKE(setBitOrder) TAKE(setOutputMode)
    TAKE(setScanMode) TAKE(setPixelSize) TAKE(setBitsPerPixel) TAKE(setOffset)
    TAKE(setDarkEnhance) TAKE(setLineTime) TAKE(setTranslationTable) TAKE(diagReportStatus) TAKE(doGetWindow)
#undef TAKE
    ToolkitInstall(&table);
    return g_script;
}
