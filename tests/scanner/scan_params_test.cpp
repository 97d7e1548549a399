// Programming a final scan and a prescan against a scripted digitizer: the
// calls it receives, the region rules, the size fields in each unit, the
// lists, the log line and what the host is told.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <cstring>
#include <string>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_fixture.h"
#include "scanner/scan_controls.h"
#include "scanner/scan_lists.h"
#include "scanner/scan_params.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "scripted_kit.h"
#include "session_fixture.h"
#include "ui/resource.h"

namespace {

std::string ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ScanProgramming : public ScriptedMainDialogTest {
protected:
    void SetUp() override
    {
        ScriptedMainDialogTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(InitializeScanner(main, &s.ds, 0), 0);
        FillResolutionList(main, &s.ds);
        FillDepthList(main, &s.ds, 0);
        FillFilmCountList(main, &s.ds);
        s.image.guiControlMask = 0xFFFFFFFFu;
        Script().calls.clear();
        s.notifications.clear();
        BoxResponderClear();
    }
    void Manual(const char* width, const char* length, const char* top, const char* left)
    {
        s.settings.autoSize = 0;
        SetControlText(main, IDC_WIDTH, width);
        SetControlText(main, IDC_LENGTH, length);
        SetControlText(main, IDC_TOP, top);
        SetControlText(main, IDC_LEFT, left);
    }
    std::string Text(int id) { return ControlText(main, id); }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(main, id)) != 0; }
};

TEST_F(ScanProgramming, WholeFrameAutoSize)
{
    s.settings.selectionFlags = 1;
    Script().lineWidthText = "2101";
    CreateDirectoryA("c:\\nqt", nullptr);
    DeleteFileA("c:\\nqt\\twnqt32.log");
    SetScanParams(main, &s.ds);

    EXPECT_EQ(CallsStartingWith("setScanMode"), std::vector<std::string>{"setScanMode(1)"});
    EXPECT_EQ(CallsStartingWith("setPixelSize"), std::vector<std::string>{"setPixelSize(2100,2550)"});
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(0,0)"});
    EXPECT_EQ(CallsStartingWith("setResolution"), std::vector<std::string>{"setResolution(150)"});
    EXPECT_EQ(CallsStartingWith("setOutputMode"), std::vector<std::string>{"setOutputMode(4)"});
    EXPECT_EQ(CallsStartingWith("setBitsPerPixel"), std::vector<std::string>{"setBitsPerPixel(8)"});
    EXPECT_EQ(CallsStartingWith("setAverageCount"), std::vector<std::string>{"setAverageCount(1)"});
    EXPECT_EQ(CallsStartingWith("setTranslationTable"),
              std::vector<std::string>{"setTranslationTable(0)"});
    EXPECT_EQ(CallsStartingWith("initScanner").size(), 2u);
    EXPECT_EQ(s.settings.scanPixels, 2100u);
    EXPECT_EQ(s.settings.scanLines, 2550u);
    EXPECT_EQ(Text(IDC_WIDTH), "14.0");
    EXPECT_EQ(Text(IDC_LENGTH), "17.0");
    EXPECT_EQ(Text(IDC_IMAGE_SIZE), "5355K");
    EXPECT_EQ(s.settings.progressTotal, 2100u * 2550);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{14, 19, 3, 4}));
    EXPECT_EQ(NotificationsOf(&s, 14)[0].AsU32(), 1u);
    EXPECT_EQ(NotificationsOf(&s, 3)[0].AsU32(), 150u);
    EXPECT_EQ(NotificationsOf(&s, 4)[0].size, 4u);
    EXPECT_EQ(ReadAll("c:\\nqt\\twnqt32.log"),
              "SetScanParams : bitdepths = 8, width = 2100, height = 2550\n");
    for (int id : {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT, IDC_SCAN_SIZE})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(IsDlgButtonChecked(main, IDC_AUTO_SIZE), BST_CHECKED);
}

TEST_F(ScanProgramming, SelectedRegionOnANewDigitizer)
{
    s.area.left = 2.0f;
    s.area.right = 6.0f;
    s.area.top = 1.0f;
    s.area.bottom = 11.0f;
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setPixelSize"),
              (std::vector<std::string>{"setPixelSize(600,1500)", "setPixelSize(600,1500)"}));
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(301,150)"});
    EXPECT_EQ(s.area.cropLeft, 0.0f);
    EXPECT_EQ(s.area.cropRight, 4.0f);
}

TEST_F(ScanProgramming, FullWidthSelectionLosesAPixelOnANewDigitizer)
{
    s.area.left = 0.0f;
    s.area.right = 14.0f;
    s.area.bottom = 17.0f;
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setPixelSize"),
              (std::vector<std::string>{"setPixelSize(2100,2550)", "setPixelSize(2098,2550)"}));
    EXPECT_EQ(s.settings.scanPixels, 2098u);
}

TEST_F(ScanProgramming, OlderDigitizerCentresTheStrip)
{
    s.scanner.hardwareVersion = 6;
    s.area.prescanMode = 0;
    s.area.left = 2.0f;
    s.area.right = 6.0f;
    s.area.top = 1.0f;
    s.area.bottom = 11.0f;
    Script().lineWidthText = "1800";  // a 12-inch strip on the 14-inch bed
    SelectListText(main, IDC_DEPTH, "12");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(450,150)"});
    EXPECT_EQ(CallsStartingWith("setBitsPerPixel"), std::vector<std::string>{"setBitsPerPixel(16)"});
    EXPECT_EQ(CallsStartingWith("setOutputMode"), std::vector<std::string>{"setOutputMode(6)"});
    EXPECT_EQ(Text(IDC_IMAGE_SIZE), "1800K") << "600 x 1500 at two bytes a sample";

    Script().calls.clear();
    s.area.prescanMode = 1;
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(0,0)"});
}

TEST_F(ScanProgramming, DigitizerWithoutLineWidth)
{
    Script().lineWidthText = "none";
    s.settings.selectionFlags = 1;
    SetScanParams(main, &s.ds);
    auto boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].text, "Error in scan width.");
    EXPECT_EQ(boxes[0].icon, BOX_ICON_STOP);
    EXPECT_EQ(Script().diagReportCalls, 20);
    EXPECT_EQ(ClockSleptTotal(), 20u * 50);
    EXPECT_EQ(s.settings.scanPixels, 2100u) << "the full bed";
}

TEST_F(ScanProgramming, ManualSizeInInches)
{
    Manual("8.5", "10", "1", "2");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setScanMode"), std::vector<std::string>{"setScanMode(0)"});
    EXPECT_EQ(CallsStartingWith("setPixelSize"), std::vector<std::string>{"setPixelSize(1274,1500)"});
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(300,150)"});
    EXPECT_EQ(s.settings.offsetX, 300u);
    EXPECT_EQ(s.settings.offsetY, 150u);
    EXPECT_EQ(s.settings.scanPixels, 1274u);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{14, 19, 20, 21, 9, 10, 3, 4}));
    EXPECT_FLOAT_EQ(NotificationsOf(&s, 20)[0].AsFloat(), 1.0f);
    EXPECT_FLOAT_EQ(NotificationsOf(&s, 21)[0].AsFloat(), 2.0f);
    EXPECT_FLOAT_EQ(NotificationsOf(&s, 9)[0].AsFloat(), 8.5f) << "W before evening";
    EXPECT_FLOAT_EQ(NotificationsOf(&s, 10)[0].AsFloat(), 10.0f);
    EXPECT_EQ(Text(IDC_WIDTH), "8.5");
    EXPECT_EQ(Text(IDC_TOP), "1.0");
    EXPECT_EQ(Text(IDC_LEFT), "2.0");
    for (int id : {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT, IDC_SCAN_SIZE, IDC_TOP_LABEL})
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(ScanProgramming, ManualWindowIsKeptOnTheBed)
{
    Manual("2", "10", "30", "13.5");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(Text(IDC_WIDTH), "0.5");
    EXPECT_EQ(Text(IDC_TOP), "17.0");
    EXPECT_EQ(s.settings.scanPixels, 74u);

    Manual("2", "10", "0", "15");
    s.notifications.clear();
    SetScanParams(main, &s.ds);
    EXPECT_EQ(Text(IDC_LEFT), "13.0");
    EXPECT_EQ(Text(IDC_WIDTH), "1.0");
    EXPECT_FLOAT_EQ(NotificationsOf(&s, 21)[0].AsFloat(), 13.0f);
}

TEST_F(ScanProgramming, NegativeManualValuesBecomeZero)
{
    Manual("-1.0", "-3", "-2", "-1");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(s.settings.scanPixels, 0u) << "not 4294967146";
    EXPECT_EQ(s.settings.scanLines, 0u);
    EXPECT_EQ(s.settings.offsetX, 0u) << "not (u32)-150";
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(0,0)"});
    EXPECT_FLOAT_EQ(NotificationsOf(&s, 21)[0].AsFloat(), 0.0f);
}

TEST_F(ScanProgramming, TopCenterIgnoresTopAndLeft)
{
    Manual("10", "12", "5", "3");
    s.settings.topCenter = 1;
    s.area.left = 1.0f;
    s.area.right = 11.0f;
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{"setOffset(151,0)"});
    EXPECT_EQ(Text(IDC_TOP), "5") << "not rewritten";
    EXPECT_TRUE(NotificationsOf(&s, 20).empty());
    EXPECT_FALSE(Enabled(IDC_TOP));
    EXPECT_TRUE(Enabled(IDC_WIDTH));
    EXPECT_EQ(IsDlgButtonChecked(main, IDC_TOP_CENTER), BST_CHECKED);
}

TEST_F(ScanProgramming, LockedRegionControlsStayDisabled)
{
    Manual("10", "12", "0", "0");
    s.image.guiControlMask = ~(1u << (14006 - 14002));
    SetScanParams(main, &s.ds);
    for (int id : {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT, IDC_SCAN_SIZE})
        EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(ScanProgramming, SizeFieldsInEachUnit)
{
    s.settings.units = 2;
    Manual("25.5", "30", "0", "0");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(s.settings.scanPixels, 1504u);
    EXPECT_EQ(Text(IDC_WIDTH), "25.5");

    s.settings.units = 3;
    Manual("1500", "1500", "150", "150");
    SelectListText(main, IDC_RESOLUTION, "300");
    s.settings.resolutionBeforeChange = 150;
    SetScanParams(main, &s.ds);
    EXPECT_EQ(s.settings.resolution, 300u);
    EXPECT_EQ(s.settings.resolutionBeforeChange, 0u);
    EXPECT_EQ(Text(IDC_WIDTH), "3000");
    EXPECT_EQ(Text(IDC_LENGTH), "3000");
    EXPECT_EQ(Text(IDC_TOP), "300");
    EXPECT_EQ(Text(IDC_LEFT), "300");
    EXPECT_EQ(s.settings.offsetX, 300u);
}

TEST_F(ScanProgramming, ExposureTableAndDepthFollowUps)
{
    s.settings.exposure = 55;
    strcpy(s.image.tableName, "od");
    s.output.transferMode = 1;
    strcpy(s.output.formatName, "TIFF");
    SelectListText(main, IDC_DEPTH, "16");
    SetScanParams(main, &s.ds);
    EXPECT_EQ(CallsStartingWith("setLineTime"), std::vector<std::string>{"setLineTime(40)"});
    EXPECT_EQ(s.settings.exposure, 40);
    EXPECT_EQ(CallsStartingWith("setTranslationTable"),
              std::vector<std::string>{"setTranslationTable(2)"});
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{14, 19, 3, 4, 1}));
    EXPECT_EQ(NotificationsOf(&s, 4)[0].AsU32(), 16u);
    EXPECT_EQ(NotificationsOf(&s, 1)[0].AsText(), "TIFF");
    EXPECT_EQ(NotificationsOf(&s, 1)[0].size, 8u);

    Script().calls.clear();
    strcpy(s.image.tableName, "Bogus");
    SetScanParams(main, &s.ds);
    EXPECT_TRUE(CallsStartingWith("setTranslationTable").empty());
}

TEST_F(ScanProgramming, BilevelDepthNeedsTheOption)
{
    Script().capabilities[2] = {3, 4, 0, 0, 1, 8, 12, 16};
    s.scanner.depthCount = 4;
    s.scanner.depths[0] = 1;
    s.scanner.depths[1] = 8;
    s.scanner.depths[2] = 12;
    s.scanner.depths[3] = 16;
    FillDepthList(main, &s.ds, 1);
    SetScanParams(main, &s.ds);
    EXPECT_EQ(s.settings.bitDepth, 8u);
    EXPECT_EQ(Text(IDC_DEPTH), "8");
}

TEST_F(ScanProgramming, PrescanProgramsTheWholeBed)
{
    Script().lineWidthText = "0";
    Script().windowResolution = 75;
    Script().windowPixels = 1050;
    Script().windowLines = 1275;
    s.settings.filmCount = 3;
    SetPrescanParams(main, &s.ds);
    auto boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error in diagReportStatus(), Width = 0");
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, BOX_ICON_EXCLAMATION);
    EXPECT_EQ(s.area.previewDpi, 75u);
    EXPECT_EQ(s.settings.filmCount, 1);
    EXPECT_EQ(s.settings.bitDepth, 8u);
    EXPECT_FLOAT_EQ(s.area.right, 14.0f);
    EXPECT_FLOAT_EQ(s.area.bottom, 17.0f);
    EXPECT_EQ(Script().calls,
              (std::vector<std::string>{"setAverageCount(1)", "setOutputMode(4)", "setResolution(75)",
                                        "initScanner", "setScanMode(1)", "setPixelSize(1050,1275)",
                                        "setBitsPerPixel(8)", "initScanner", "doGetWindow(56)",
                                        "setTranslationTable(0)", "setOffset(0,0)"}));
    EXPECT_EQ(s.settings.scanPixels, 1050u);
    EXPECT_EQ(s.settings.scanLines, 1275u);
    EXPECT_EQ(s.settings.progressTotal, 1050u * 1275);
    EXPECT_EQ(s.area.prescanMode, 1u);

    Script().calls.clear();
    s.settings.autoSize = 0;
    SetPrescanParams(main, &s.ds);
    EXPECT_TRUE(Script().calls.empty()) << "only with Auto Size";
}

TEST_F(ScanProgramming, ListsFollowTheDigitizer)
{
    EXPECT_EQ(ListEntries(main, IDC_RESOLUTION), "75,150,200,300,400");
    EXPECT_EQ(Text(IDC_RESOLUTION), "150");
    s.scanner.modelCode = 0;
    s.settings.resolution = 400;
    FillResolutionList(main, &s.ds);
    EXPECT_EQ(ListEntries(main, IDC_RESOLUTION), "75,150,300");
    EXPECT_EQ(Text(IDC_RESOLUTION), "75") << "the first when the resolution is not offered";

    EXPECT_EQ(FillDepthList(main, &s.ds, 12), 1);
    EXPECT_EQ(s.settings.sampleBits, 16u);
    EXPECT_EQ(Text(IDC_DEPTH), "12");
    FillDepthList(main, &s.ds, 10);
    EXPECT_EQ(Text(IDC_DEPTH), "16");
    EXPECT_EQ(s.settings.bitDepth, 16u);
    EXPECT_EQ(FillDepthList(nullptr, &s.ds, 8), 0);
}

TEST_F(ScanProgramming, FilmCountIsBoundByTheBatch)
{
    s.scanner.feederCapacity = 40;  // more than the 25 batch names
    s.image.multiFilmMode = 1;
    s.settings.filmCount = 30;
    FillFilmCountList(main, &s.ds);
    EXPECT_EQ(SendDlgItemMessageA(main, IDC_FILM_COUNT, CB_GETCOUNT, 0, 0), 25);
    EXPECT_EQ(s.settings.filmCount, 25);
    SetFilmCount(main, &s.ds, 26);
    EXPECT_EQ(s.settings.filmCount, 25) << "unchanged";
    EXPECT_EQ(Text(IDC_FILM_COUNT), "1");
    SetFilmCount(main, &s.ds, 7);
    EXPECT_EQ(s.settings.filmCount, 7);
    EXPECT_EQ(Text(IDC_FILM_COUNT), "7");

    s.scanner.feederStatus = 15;  // no usable feeder
    FillFilmCountList(main, &s.ds);
    EXPECT_EQ(ListEntries(main, IDC_FILM_COUNT), "1");
    EXPECT_EQ(s.settings.filmCount, 1);
}

TEST_F(ScanProgramming, ImageSizeText)
{
    s.settings.bitDepth = 8;
    EXPECT_EQ(ShowImageSize(main, &s.ds, 100, 100), 10000u);
    EXPECT_EQ(Text(IDC_IMAGE_SIZE), "10000");
    ShowImageSize(main, &s.ds, 101, 100);
    EXPECT_EQ(Text(IDC_IMAGE_SIZE), "10K");
    s.settings.bitDepth = 12;
    ShowImageSize(main, &s.ds, 100, 100);
    EXPECT_EQ(Text(IDC_IMAGE_SIZE), "20K");
    s.settings.bitDepth = 5;
    EXPECT_EQ(ShowImageSize(main, &s.ds, 100, 100), 10000u);
    EXPECT_EQ(s.settings.bitDepth, 8u);
    EXPECT_EQ(ShowImageSize(main, &s.ds, 0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST_F(ScanProgramming, DisablingTwiceRestoresTheFirstState)
{
    EnableWindow(GetDlgItem(main, IDC_EJECT), FALSE);
    DisableScanControls(main);
    EXPECT_FALSE(Enabled(IDC_SCAN));
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_TRUE(Enabled(IDCANCEL)) << "Cancel stops a scan";
    DisableScanControls(main);
    RestoreScanControls(main);
    EXPECT_TRUE(Enabled(IDC_SCAN));
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_FALSE(Enabled(IDC_EJECT));
    RestoreScanControls(main);
    EXPECT_FALSE(Enabled(IDC_EJECT));
}

}  // namespace

namespace {

// Sizes typed in pixels come back as the same pixels; only depth 8 evens
// the width.
TEST_F(ScanProgramming, PixelSizesRoundTripExactly)
{
    struct Case {
        const char* dpi;
        const char* depth;
        const char* width;
        const char* length;
        const char* top;
        const char* left;
        const char* pixelSize;
        const char* offset;
    } cases[] = {
        {"300", "12", "1001", "1001", "0", "0", "setPixelSize(1001,1001)", "setOffset(0,0)"},
        {"150", "12", "55", "1001", "55", "55", "setPixelSize(55,1001)", "setOffset(55,55)"},
        {"300", "8", "1001", "301", "301", "1001", "setPixelSize(1000,301)", "setOffset(1001,301)"},
    };
    s.settings.units = 3;
    for (const Case& c : cases) {
        Manual(c.width, c.length, c.top, c.left);
        ASSERT_TRUE(SelectListText(main, IDC_RESOLUTION, c.dpi));
        ASSERT_TRUE(SelectListText(main, IDC_DEPTH, c.depth));
        Script().calls.clear();
        SetScanParams(main, &s.ds);
        EXPECT_EQ(CallsStartingWith("setPixelSize"), std::vector<std::string>{c.pixelSize}) << c.dpi;
        EXPECT_EQ(CallsStartingWith("setOffset"), std::vector<std::string>{c.offset}) << c.dpi;
        EXPECT_EQ(Text(IDC_WIDTH), c.width);
        EXPECT_EQ(Text(IDC_LEFT), c.left);
        EXPECT_EQ(Text(IDC_TOP), c.top);
    }
}

// The saved states belong to one main dialog: the next one starts enabled
// with nothing saved, whatever the last one was left in.
TEST_F(ScanProgramming, ANewMainDialogHasItsOwnScanControlStates)
{
    EnableWindow(GetDlgItem(main, IDC_EJECT), FALSE);
    DisableScanControls(main);
    DestroyWindow(main);
    main = CreateTestMainDialog();
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
