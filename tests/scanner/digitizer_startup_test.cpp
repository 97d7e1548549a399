// Start-up and scan programming against the virtual digitizer installed
// under the Windows folder, as the product loads it: ScannerInfo holds what
// the digitizer's configuration says, and the digitizer holds the window
// that was programmed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_stub.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "ui/resource.h"

namespace {

const char kConfig[] =
    "[identity]\nproduct = NQT-8\nmodelCode = 9\nserialNumber = VX1234\nfirmware = 3.07\n"
    "hardwareVersion = 6\nramSize = 256\nmodelVariant = 9E\noptionString = DEMOSET\n"
    "adapters = 2\nadapter = 1\ntarget = 4\n"
    "[capabilities]\nresolutions = 60,71,75,100,142,150,200,285,300,400,570,800\ndepths = 1,8,12\n"
    "exposureKind = 2\nexposureMin = 5\nexposureMax = 300\nexposureDefault = 14\nlineAveraging = 2\n"
    "feederCapacity = 10\n[answers]\nstatus = 0x0401,0x0401,0\n";

// The window as the digitizer holds it: resolution, offsets, size, depth.
std::vector<uint32_t> WindowRead()
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

class InstalledDigitizer : public DigitizerSessionTest {};

TEST_F(InstalledDigitizer, StartUpFillsScannerInfoAndProgramsTheWindow)
{
    StartDigitizer(kConfig, false);
    ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
    PumpPending();
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(ToolkitPath()), std::string(windows) + "\\twain_32\\nqt\\scankit32.dll");
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(StubCloseRequests(), 0);
    const ScannerInfo& info = s.scanner;
    EXPECT_EQ(std::string(info.toolkitVersion) + " " + info.modelName + " " + info.serialNumber + " " +
                  info.firmwareVersion + " " + info.modelVariant + " " + info.optionString,
              "3.2.0.17 NQT-8 VX1234 3.07 9E DEMOSET");
    EXPECT_EQ(info.ramSize, 256);
    EXPECT_EQ(info.resolutionCount, 9) << "twelve offered, nine kept";
    EXPECT_EQ(info.maxResolution, 300);
    EXPECT_EQ(info.maxDepth, 12);
    EXPECT_EQ(info.feederCapacity, 10);
    EXPECT_EQ(s.settings.exposureMax, 30);
    EXPECT_EQ(s.settings.exposure, 14);
    EXPECT_EQ(ClockSleptTotal(), 2u * 500) << "two warm-up polls";
    HBITMAP shown = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(main, IDC_DIGITIZER_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP nineE = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_DIGITIZER_9E));
    EXPECT_FALSE(BitmapBits(shown).empty());
    EXPECT_EQ(BitmapBits(shown), BitmapBits(nineE)) << "the picture of a 9E digitizer";
    DeleteObject(nineE);

    s.image.guiControlMask = 0xFFFFFFFFu;
    s.settings.resolution = 300;
    FillResolutionList(main, &s.ds);
    FillDepthList(main, &s.ds, 8);
    s.settings.autoSize = 0;  // 8 x 10 inches, 1 inch down and 2 across
    SetDlgItemTextA(main, IDC_WIDTH, "8");
    SetDlgItemTextA(main, IDC_LENGTH, "10");
    SetDlgItemTextA(main, IDC_TOP, "1");
    SetDlgItemTextA(main, IDC_LEFT, "2");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(WindowRead(), (std::vector<uint32_t>{300, 600, 300, 2400, 3000, 8}));
    SelectListText(main, IDC_DEPTH, "12");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(WindowRead().back(), 16u) << "hardware version 6 takes 12-bit samples as 16";
}

}  // namespace
