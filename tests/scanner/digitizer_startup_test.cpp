// Start-up and scan programming against the virtual digitizer installed
// under the Windows folder, as the product loads it: ScannerInfo must hold
// what the digitizer's configuration says, and the window the digitizer
// reports back must be the one programmed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_fixture.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "session_fixture.h"
#include "ui/resource.h"

namespace {

const char kConfig[] =
    "[identity]\n"
    "product = NQT-8\n"
    "modelCode = 9\n"
    "serialNumber = VX1234\n"
    "firmware = 3.07\n"
    "hardwareVersion = 6\n"
    "ramSize = 256\n"
    "scsiId = 5\n"
    "scsiVersion = 2\n"
    "modelVariant = 9E\n"
    "optionString = DEMOSET\n"
    "adapters = 2\n"
    "adapter = 1\n"
    "target = 4\n"
    "[capabilities]\n"
    "resolutions = 60,71,75,100,142,150,200,285,300,400,570,800\n"
    "depths = 1,8,12\n"
    "exposureKind = 2\n"
    "exposureMin = 5\n"
    "exposureMax = 300\n"
    "exposureDefault = 14\n"
    "lineAveraging = 2\n"
    "bedWidth = 14\n"
    "feederCapacity = 10\n"
    "prescan = 0\n"
    "[answers]\n"
    "status = 0x0401,0x0401,0\n";

struct BitmapBits {
    BITMAP header;
    std::vector<uint8_t> bits;
};

BitmapBits BitsOf(HBITMAP bitmap)
{
    BitmapBits b = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof b.header, &b.header))
        return b;
    b.bits.resize(static_cast<size_t>(b.header.bmWidthBytes) * b.header.bmHeight);
    GetBitmapBits(bitmap, static_cast<LONG>(b.bits.size()), b.bits.data());
    return b;
}

class InstalledDigitizer : public ::testing::Test {
protected:
    TestSession s;
    HWND main = nullptr;
    std::string configPath;

    void SetUp() override
    {
        char folder[MAX_PATH];
        GetCurrentDirectoryA(sizeof folder, folder);
        configPath = std::string(folder) + "\\startup_digitizer.ini";
        FILE* file = std::fopen(configPath.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(kConfig, file);
        std::fclose(file);
        SetEnvironmentVariableA("SCANKIT_CONFIG", configPath.c_str());

        StartTestSession(&s);
        BoxResponderStart();
        SetToolkitLoader(nullptr);  // the DLL under the Windows folder
        ClockUseVirtual(0);
        main = CreateTestMainDialog();
        ASSERT_NE(main, nullptr);
        s.host.mainDialog = main;
    }
    void TearDown() override
    {
        DestroyWindow(main);
        PumpPending();
        BoxResponderStop();
        ToolkitUnbind();
        SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
        ClockUseReal();
        DeInitDSData();
    }
};

TEST_F(InstalledDigitizer, StartUpFillsScannerInfoFromTheDigitizer)
{
    ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
    PumpPending();

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(ToolkitPath()), std::string(windows) + "\\twain_32\\nqt\\scankit32.dll");
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 0);

    const ScannerInfo& info = s.scanner;
    EXPECT_STREQ(info.toolkitVersion, "3.2.0.17");
    EXPECT_EQ(info.toolkitOpen, 1u);
    EXPECT_EQ(info.modelCode, 9);
    EXPECT_STREQ(info.modelName, "NQT-8");
    EXPECT_EQ(info.windowDescriptorLength, 56);
    EXPECT_STREQ(info.serialNumber, "VX1234");
    EXPECT_STREQ(info.firmwareVersion, "3.07");
    EXPECT_EQ(info.hardwareVersion, 6);
    EXPECT_EQ(info.ramSize, 256);
    EXPECT_EQ(info.scsiId, 5);
    EXPECT_EQ(info.scsiVersion, 2);
    EXPECT_STREQ(info.modelVariant, "9E");
    EXPECT_STREQ(info.optionString, "DEMOSET");
    EXPECT_EQ(info.feederSupport, 13);
    EXPECT_EQ(info.feederStatus, 16);
    EXPECT_EQ(info.resolutionCount, 9) << "twelve offered, nine kept";
    const uint16_t resolutions[9] = {60, 71, 75, 100, 142, 150, 200, 285, 300};
    EXPECT_EQ(std::memcmp(info.resolutions, resolutions, sizeof resolutions), 0);
    EXPECT_EQ(info.minResolution, 60);
    EXPECT_EQ(info.maxResolution, 300);
    EXPECT_EQ(info.depthCount, 3);
    EXPECT_EQ(info.minDepth, 1);
    EXPECT_EQ(info.maxDepth, 12);
    EXPECT_EQ(info.lineAveragingCapability, 2);
    EXPECT_EQ(info.maxWidth, 14);
    EXPECT_EQ(info.feederCapacity, 10);
    EXPECT_EQ(info.prescanCapability, 0);
    EXPECT_EQ(s.image.averageCountSupported, 0u);
    EXPECT_EQ(s.settings.exposureMin, 5);
    EXPECT_EQ(s.settings.exposureMax, 30);
    EXPECT_EQ(s.settings.exposure, 14);
    EXPECT_EQ(ClockSleptTotal(), 2u * 500) << "two warm-up polls";

    // The picture of a 9E digitizer.
    HBITMAP shown = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(main, IDC_DIGITIZER_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP expected = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_DIGITIZER_9E));
    HBITMAP other = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_DIGITIZER_9A));
    BitmapBits got = BitsOf(shown);
    ASSERT_FALSE(got.bits.empty());
    EXPECT_EQ(got.bits, BitsOf(expected).bits);
    EXPECT_NE(got.bits, BitsOf(other).bits);
    DeleteObject(expected);
    DeleteObject(other);
}

// The window as the digitizer holds it after programming.
struct ReadBack {
    uint32_t resolution, offsetX, offsetY, pixels, lines, bits;
};

ReadBack ReadWindow(void)
{
    uint8_t d[56] = {0};
    EXPECT_EQ(Toolkit()->doGetWindow(d, sizeof d), 0);
    auto be = [&d](int at, int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | d[at + i];
        return v;
    };
    return {be(12, 2), be(14, 4), be(18, 4), be(22, 4), be(26, 4), d[34]};
}

TEST_F(InstalledDigitizer, ProgrammedWindowReadsBack)
{
    ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
    s.image.guiControlMask = 0xFFFFFFFFu;
    s.settings.resolution = 300;
    FillResolutionList(main, &s.ds);
    FillDepthList(main, &s.ds, 8);
    FillFilmCountList(main, &s.ds);

    // Manual size: 8 x 10 inches, 1 inch down and 2 across.
    s.settings.autoSize = 0;
    SetControlText(main, IDC_WIDTH, "8");
    SetControlText(main, IDC_LENGTH, "10");
    SetControlText(main, IDC_TOP, "1");
    SetControlText(main, IDC_LEFT, "2");
    SetScanParams(main, &s.ds);
    ReadBack w = ReadWindow();
    EXPECT_EQ(w.resolution, 300u);
    EXPECT_EQ(w.pixels, 2400u);
    EXPECT_EQ(w.lines, 3000u);
    EXPECT_EQ(w.offsetX, 600u);
    EXPECT_EQ(w.offsetY, 300u);
    EXPECT_EQ(w.bits, 8u);
    EXPECT_EQ(s.settings.scanPixels, 2400u);

    // Auto size over the whole bed at 150 dpi, 12 bits on an old digitizer.
    s.settings.autoSize = 1;
    s.settings.selectionFlags = 1;
    SelectListText(main, IDC_RESOLUTION, "150");
    SelectListText(main, IDC_DEPTH, "12");
    SetScanParams(main, &s.ds);
    w = ReadWindow();
    EXPECT_EQ(w.resolution, 150u);
    EXPECT_EQ(w.pixels, 14u * 150);
    EXPECT_EQ(w.lines, 17u * 150);
    EXPECT_EQ(w.offsetX, 0u);
    EXPECT_EQ(w.bits, 16u) << "hardware version 6 takes 12-bit samples as 16";
    EXPECT_EQ(ControlText(main, IDC_IMAGE_SIZE), "10710K");
}

}  // namespace
