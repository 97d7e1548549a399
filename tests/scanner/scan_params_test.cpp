// Programming a final scan against the installed digitizer: the calls it
// receives, the region rules, the log line and what the host is told.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "frame/scan_controls.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"
#include "scanner/scanner_init.h"
#include "kit_spy.h"
#include "digitizer/toolkit.h"
#include "test_files.h"
#include "res/resource.h"

namespace {

// The programming calls of one kind, joined: "setOffset(0,0) ...".
std::string Calls(const std::string& prefix)
{
    std::string all;
    for (const std::string& call : CallsStartingWith(prefix))
        all += (all.empty() ? "" : " ") + call;
    return all;
}

class ScanProgramming : public DigitizerSessionTest {
protected:
    void SetUp() override { Start(""); }
    // A 14-inch bed; whole-width mode delivers the width of the film in the
    // transport, or of the bed when there is none.
    void Start(const std::string& film)
    {
        configPath = UseDigitizerConfig("resolutions = 75,150,200,300,400\ndepths = 8,12,16\nlineAveraging = 1\n" + film);
        Open(SpyLoader);
        if (HasFatalFailure())
            return;
        ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
        FillResolutionList(main, &s.ds);
        FillDepthList(main, &s.ds, 0);
        FillFilmCountList(main, &s.ds);
        s.image.guiControlMask = 0xFFFFFFFFu;
        ClearCalls();
        s.notifications.clear();
        BoxResponderClear();
    }
    void Manual(const char* width, const char* length, const char* top, const char* left)
    {
        s.settings.autoSize = 0;
        SetDlgItemTextA(main, IDC_WIDTH, width);
        SetDlgItemTextA(main, IDC_LENGTH, length);
        SetDlgItemTextA(main, IDC_TOP, top);
        SetDlgItemTextA(main, IDC_LEFT, left);
    }
    void Program()
    {
        ClearCalls();
        s.notifications.clear();
        SetScanParams(main, &s.ds);
    }
    std::string Text(int id) { return DialogText(main, id); }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(main, id)) != 0; }
};

// The window the digitizer is given for an auto-size selection (a new
// digitizer programs it twice, the second time cut to the strip) and for
// sizes typed in inches.
TEST_F(ScanProgramming, WindowFollowsTheSelectionOrTheTypedSize)
{
    // manual: width, length, top, left (none: auto size); film: 12 inches,
    // 1800 pixels a line, else the bed's 2100.
    const struct { const char* name; float left, right, top, bottom; const char* manual[4]; uint32_t topCenter;
                   uint8_t hardware; bool film; const char *pixelSizes, *offset; uint32_t scanPixels; } cases[] = {
        {"region, new digitizer", 2, 6, 1, 11, {}, 0, 7, false, "setPixelSize(600,1500) setPixelSize(600,1500)",
         "setOffset(301,150)", 600},
        {"full width loses a pixel", 0, 14, 0, 17, {}, 0, 7, false,
         "setPixelSize(2100,2550) setPixelSize(2098,2550)", "setOffset(1,0)", 2098},
        {"older digitizer centres the strip", 2, 6, 1, 11, {}, 0, 6, true, "setPixelSize(600,1500)",
         "setOffset(450,150)", 600},
        {"manual inches", 0, 0, 0, 0, {"8.5", "10", "1", "2"}, 0, 7, false, "setPixelSize(1274,1500)",
         "setOffset(300,150)", 1274},
        {"manual past the bed", 0, 0, 0, 0, {"2", "10", "30", "13.5"}, 0, 7, false, "setPixelSize(74,1500)",
         "setOffset(2025,2550)", 74},
        {"negative manual values", 0, 0, 0, 0, {"-1.0", "-3", "-2", "-1"}, 0, 7, false, "setPixelSize(0,0)",
         "setOffset(0,0)", 0},
        {"top center ignores top and left", 1, 11, 0, 0, {"10", "12", "5", "3"}, 1, 7, false,
         "setPixelSize(1500,1800) setPixelSize(1500,1800)", "setOffset(151,0)", 1500},
    };
    const ScanArea area = s.area;
    const ScanSettings settings = s.settings;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s.area = area;
        s.settings = settings;
        s.area.left = c.left;
        s.area.right = c.right;
        s.area.top = c.top;
        s.area.bottom = c.bottom;
        s.area.prescanMode = c.hardware == 6 ? 0 : 1;
        s.scanner.hardwareVersion = c.hardware;
        if (c.film) {
            ASSERT_EQ(Toolkit()->stageFilmInFD(), 0);
        }
        s.settings.autoSize = 1;
        s.settings.topCenter = c.topCenter;
        if (c.manual[0])
            Manual(c.manual[0], c.manual[1], c.manual[2], c.manual[3]);
        Program();
        EXPECT_EQ(Calls("setPixelSize"), c.pixelSizes);
        EXPECT_EQ(Calls("setOffset"), c.offset);
        EXPECT_EQ(s.settings.scanPixels, c.scanPixels);
        EXPECT_EQ(Calls("setScanMode"), c.manual[0] ? "setScanMode(0)" : "setScanMode(1)");
        if (c.film)
            Toolkit()->unloadMedium();
    }
    EXPECT_EQ(s.settings.offsetX, 0u) << "not (u32)-150";
}

TEST_F(ScanProgramming, WholeFrameIsLoggedToldAndShown)
{
    TearDown();
    Start("filmWidth = 14.007\n");  // 2101 pixels a line
    ASSERT_EQ(Toolkit()->stageFilmInFD(), 0);
    s.settings.selectionFlags = 1;
    CreateDirectoryA("c:\\nqt", nullptr);
    DeleteFileA("c:\\nqt\\twnqt32.log");
    Program();
    EXPECT_EQ(Calls("setPixelSize"), "setPixelSize(2100,2550)");
    EXPECT_EQ(Calls("setOutputMode") + " " + Calls("setBitsPerPixel") + " " + Calls("setTranslationTable"),
              "setOutputMode(4) setBitsPerPixel(8) setTranslationTable(0)");
    EXPECT_EQ(CallsStartingWith("initScanner").size(), 2u);
    EXPECT_EQ(Text(IDC_WIDTH), "14.0");
    EXPECT_EQ(Text(IDC_LENGTH), "17.0");
    EXPECT_EQ(Text(IDC_IMAGE_SIZE), "5355K");
    EXPECT_EQ(s.settings.progressTotal, 2100u * 2550);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{14, 19, 3, 4}));
    EXPECT_EQ(ReadFileText("c:\\nqt\\twnqt32.log"), "SetScanParams : bitdepths = 8, width = 2100, height = 2550\n");
    for (int id : {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT, IDC_SCAN_SIZE})
        EXPECT_FALSE(Enabled(id)) << id;
}

// Sizes typed in pixels come back as the same pixels; only depth 8 evens
// the width.
TEST_F(ScanProgramming, PixelSizesRoundTripExactly)
{
    const struct {
        const char *dpi, *depth, *width, *length, *top, *left, *pixelSize, *offset;
    } cases[] = {
        {"300", "12", "1001", "1001", "0", "0", "setPixelSize(1001,1001)", "setOffset(0,0)"},
        {"150", "12", "55", "1001", "55", "55", "setPixelSize(55,1001)", "setOffset(55,55)"},
        {"300", "8", "1001", "301", "301", "1001", "setPixelSize(1000,301)", "setOffset(1001,301)"},
    };
    s.settings.units = 3;
    for (const auto& c : cases) {
        Manual(c.width, c.length, c.top, c.left);
        ASSERT_TRUE(SelectListText(main, IDC_RESOLUTION, c.dpi));
        ASSERT_TRUE(SelectListText(main, IDC_DEPTH, c.depth));
        Program();
        EXPECT_EQ(Calls("setPixelSize"), c.pixelSize) << c.dpi;
        EXPECT_EQ(Calls("setOffset"), c.offset) << c.dpi;
        EXPECT_EQ(Text(IDC_WIDTH), c.width);
        EXPECT_EQ(Text(IDC_LEFT), c.left);
        EXPECT_EQ(Text(IDC_TOP), c.top);
    }
}

// Hardware before version 7 takes 12-bit samples as 16.
TEST_F(ScanProgramming, TwelveBitsGoAsSixteenBeforeVersionSeven)
{
    const struct { uint8_t hardware; const char *depth, *bits; } cases[] = {
        {6, "12", "setBitsPerPixel(16)"}, {7, "12", "setBitsPerPixel(12)"}, {6, "16", "setBitsPerPixel(16)"},
        {6, "8", "setBitsPerPixel(8)"}};
    for (const auto& c : cases) {
        s.scanner.hardwareVersion = c.hardware;
        ASSERT_TRUE(SelectListText(main, IDC_DEPTH, c.depth));
        Program();
        EXPECT_EQ(Calls("setBitsPerPixel"), c.bits) << int(c.hardware) << " " << c.depth;
    }
}

// Disabling twice restores the first state. The saved states belong to one
// main dialog: the next one starts enabled with nothing saved, whatever the
// last one was left in.
TEST_F(ScanProgramming, ANewMainDialogHasItsOwnScanControlStates)
{
    EnableWindow(GetDlgItem(main, IDC_EJECT), FALSE);
    DisableScanControls(main);
    EXPECT_FALSE(Enabled(IDC_SCAN));
    EXPECT_TRUE(Enabled(IDCANCEL)) << "Cancel stops a scan";
    DisableScanControls(main);
    RestoreScanControls(main);
    EXPECT_TRUE(Enabled(IDC_SCAN));
    EXPECT_FALSE(Enabled(IDC_EJECT));
    DisableScanControls(main);
    DestroyWindow(main);
    main = CreateScanDialogStub(&s.ds);
    ASSERT_NE(main, nullptr);
    s.host.mainDialog = main;
    EXPECT_TRUE(Enabled(IDC_SCAN));
    RestoreScanControls(main);
    EXPECT_TRUE(Enabled(IDC_EJECT)) << "nothing was saved for this dialog";
    DisableScanControls(main);
    EXPECT_FALSE(Enabled(IDC_SCAN)) << "this dialog's controls were enabled, so they are disabled";
    RestoreScanControls(main);
    EXPECT_TRUE(Enabled(IDC_SCAN));
    EXPECT_TRUE(Enabled(IDC_EJECT));
}

}  // namespace
