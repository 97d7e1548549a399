#include "digitizer_fixture.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "vd_digitizer.h"
#endif

static bool OpenOnDigitizer(uint16_t adapters)
{
    const ScanKit* kit = Toolkit();
    for (uint16_t adapter = 0; adapter < adapters; ++adapter) {
        if (kit->setSCSIAdaptorId(adapter) != 0)
            continue;
        for (uint16_t target = 0; target < 8; ++target) {
            uint32_t value = 0;
            if (kit->openToolKit(target, &value) != 0)
                return false;
            uint8_t inquiry[52];
            if (kit->doInquiry(inquiry, sizeof inquiry) == 0)
                return true;
            kit->closeToolKit();
        }
    }
    return false;
}

bool UseDigitizer(const std::string& ini)
{
    std::string path = TestTempPath("digitizer.ini");
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    fwrite(ini.data(), 1, ini.size(), file);
    fclose(file);
#ifdef _WIN32
    SetEnvironmentVariableA("SCANKIT_CONFIG", path.c_str());
    char dll[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, dll, sizeof dll);
    char* slash = length && length < sizeof dll ? strrchr(dll, '\\') : nullptr;
    if (!slash || (size_t)(slash - dll) + 16 >= sizeof dll)
        return false;
    strcpy(slash + 1, "scankit32.dll");
    if (!ToolkitBindFile(dll))
        return false;
#else
    setenv("SCANKIT_CONFIG", path.c_str(), 1);
    ToolkitInstall(VdKit());
#endif
    uint16_t adapters = 0;
    if (Toolkit()->findSCSIAdaptors(&adapters) != 0)
        return false;
    OpenOnDigitizer(adapters);
    return true;
}

void ReleaseDigitizer()
{
#ifdef _WIN32
    ToolkitUnbind();
#else
    ToolkitInstall(nullptr);
#endif
}

void Program(const Window& w)
{
    const ScanKit* kit = Toolkit();
    kit->setAverageCount(1);
    kit->setResolution(w.resolution);
    kit->initScanner();
    kit->setBitOrder(1);
    kit->setOutputMode(w.bits <= 8 ? 4 : 6);
    kit->setScanMode(w.scanMode);
    kit->setPixelSize(w.pixels, w.lines);
    kit->setBitsPerPixel(w.bits);
    kit->setOffset(w.offsetX, w.offsetY);
    kit->initScanner();
    kit->setTranslationTable(0);
}

ScanResult ReadImage(uint32_t request, int maxCalls)
{
    ScanResult result;
    std::vector<uint8_t> buffer(request);
    for (int call = 0; call < maxCalls; ++call) {
        int32_t got = -1;
        TkStatus status = Toolkit()->getImage(buffer.data(), request, &got);
        if (got > 0)
            result.bytes.insert(result.bytes.end(), buffer.begin(), buffer.begin() + got);
        result.reads.push_back(got);
        result.lastStatus = status;
        if (status != 0)
            break;
    }
    Toolkit()->stopScan();
    return result;
}

uint32_t Sample(const std::vector<uint8_t>& bytes, uint32_t pixels, uint32_t bytesPerSample, uint32_t x,
                uint32_t y)
{
    size_t at = ((size_t)y * pixels + x) * bytesPerSample;
    if (at + bytesPerSample > bytes.size())
        return 0xFFFFFFFFu;
    return bytesPerSample == 1 ? bytes[at] : (uint32_t)(bytes[at] | bytes[at + 1] << 8);
}
