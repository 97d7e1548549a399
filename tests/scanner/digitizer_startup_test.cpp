// Start-up against the virtual digitizer installed under the Windows folder,
// as the product loads it: ScannerInfo holds what the digitizer's
// configuration says.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "scanner/scanner_init.h"
#include "digitizer/toolkit.h"
#include "res/resource.h"

namespace {

const char kConfig[] =
    "[identity]\nproduct = NQT-8\nmodelCode = 9\nserialNumber = VX1234\nfirmware = 3.07\n"
    "hardwareVersion = 6\nramSize = 256\nmodelVariant = 9E\noptionString = DEMOSET\n"
    "adapters = 2\nadapter = 1\ntarget = 4\n"
    "[capabilities]\nresolutions = 60,71,75,100,142,150,200,285,300,400,570,800\ndepths = 1,8,12\n"
    "exposureKind = 2\nexposureMin = 5\nexposureMax = 300\nexposureDefault = 14\nlineAveraging = 2\n"
    "feederCapacity = 10\n[answers]\nstatus = 0x0401,0x0401,0\n";

class InstalledDigitizer : public DigitizerSessionTest {};

TEST_F(InstalledDigitizer, StartUpFillsScannerInfo)
{
    StartDigitizer(kConfig, false);
    ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
    PumpPending();
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(ToolkitPath()), std::string(windows) + "\\twain_32\\nqt\\scankit32.dll");
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(StubCloseRequests(), 0);
    // The identity and the largest depth: the Digitizer Information test.
    const ScannerInfo& info = s.scanner;
    EXPECT_EQ(info.resolutionCount, 9) << "twelve offered, nine kept";
    EXPECT_EQ(info.maxResolution, 300);
    EXPECT_EQ(info.feederCapacity, 10);
    EXPECT_EQ(s.settings.exposureMax, 30);
    EXPECT_EQ(s.settings.exposure, 14);
    HBITMAP shown = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(main, IDC_DIGITIZER_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP nineE = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_DIGITIZER_9E));
    EXPECT_FALSE(BitmapBits(shown).empty());
    EXPECT_EQ(BitmapBits(shown), BitmapBits(nineE)) << "the picture of a 9E digitizer";
    DeleteObject(nineE);
}

}  // namespace
