// Values pushed by the host: stored in range, notified back in order and
// size, shown in whichever dialog is open; bad calls change nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "box_responder.h"
#include "scanner/scan_lists.h"
#include "session_fixture.h"
#include "ui/resource.h"

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

HWND OpenTemplate(int id)
{
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
                              QuietDialogProc, 0);
}

std::string Text(HWND dialog, int id)
{
    char text[512] = {0};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Visible(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

class ParamSync : public ::testing::Test {
protected:
    TestSession s;
    HWND main = nullptr;

    void SetUp() override
    {
        StartTestSession(&s);
        BoxResponderStart();
        // A 14-inch digitizer with its lists, as start-up leaves it.
        s.scanner.modelCode = 8;
        s.scanner.resolutionCount = 4;
        const uint16_t resolutions[] = {75, 150, 300, 400};
        std::memcpy(s.scanner.resolutions, resolutions, sizeof resolutions);
        s.scanner.depthCount = 3;
        s.scanner.depths[0] = 8;
        s.scanner.depths[1] = 12;
        s.scanner.depths[2] = 16;
        s.scanner.maxDepth = 16;
        s.scanner.maxWidth = 14;
    }
    void TearDown() override
    {
        if (main)
            DestroyWindow(main);
        BoxResponderStop();
        DeInitDSData();
    }
    void OpenMain()
    {
        main = OpenTemplate(IDD_MAIN);
        ASSERT_NE(main, nullptr);
        s.host.mainDialog = main;
    }
    int SyncU32(int id, uint32_t value) { return SyncScannerParams(id, &value, 4, &s.ds); }
    int SyncFloat(int id, float value) { return SyncScannerParams(id, &value, 4, &s.ds); }
    int SyncText(int id, const char* text)
    {
        return SyncScannerParams(id, const_cast<char*>(text), 4, &s.ds);
    }
    uint32_t LastU32(int id) { return NotificationsOf(&s, id).back().AsU32(); }
    float LastFloat(int id) { return NotificationsOf(&s, id).back().AsFloat(); }
};

TEST_F(ParamSync, BadCallsAreRefusedAndChangeNothing)
{
    uint32_t value = 300;
    EXPECT_EQ(SyncScannerParams(3, nullptr, 4, &s.ds), 0);
    EXPECT_EQ(SyncScannerParams(3, &value, 3, &s.ds), 0);
    EXPECT_EQ(SyncScannerParams(1, const_cast<char*>("DICOM"), 3, &s.ds), 0);
    EXPECT_EQ(SyncScannerParams(3, &value, 4, nullptr), 0);
    for (int id : {0, -1, 22, 23, 12, 13, 14, 15, 16, 18, 19})
        EXPECT_EQ(SyncScannerParams(id, &value, 8, &s.ds), 0) << id;
    EXPECT_EQ(s.settings.resolution, 150u);
    EXPECT_TRUE(s.notifications.empty());
    for (int id : {6, 7, 11})
        EXPECT_EQ(SyncScannerParams(id, &value, 4, &s.ds), 1) << id;
    EXPECT_TRUE(s.notifications.empty());
}

TEST_F(ParamSync, ResolutionIsSnapped)
{
    OpenMain();
    EXPECT_EQ(SyncU32(3, 140), 1);
    EXPECT_EQ(s.settings.resolution, 142u);
    EXPECT_EQ(LastU32(3), 142u);
    EXPECT_EQ(NotificationsOf(&s, 3).back().size, 4u);
    EXPECT_EQ(SyncU32(3, 1200), 1);
    EXPECT_EQ(s.settings.resolution, 75u);
    EXPECT_EQ(Text(main, IDC_RESOLUTION), "75") << "the list is refilled and shows it";
    SyncU32(3, 400);
    EXPECT_EQ(Text(main, IDC_RESOLUTION), "400");
}

TEST_F(ParamSync, DepthIsNormalised)
{
    const uint32_t cases[][2] = {{10, 8}, {14, 12}, {24, 16}, {0, 1}, {16, 16}};
    for (const auto& c : cases) {
        s.notifications.clear();
        EXPECT_EQ(SyncU32(4, c[0]), 1);
        EXPECT_EQ(s.settings.bitDepth, c[1]) << c[0];
        EXPECT_EQ(NotifiedIds(&s), std::vector<int32_t>{4}) << "file transfer: no format";
        EXPECT_EQ(LastU32(4), c[1]);
    }
}

TEST_F(ParamSync, DepthTellsTheFormatOutsideFileTransfer)
{
    OpenMain();
    s.output.transferMode = 1;
    std::strcpy(s.output.formatName, "TIFF");
    ShowWindow(GetDlgItem(main, IDC_PATIENT_INFO), SW_SHOW);
    SyncU32(4, 12);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{4, 1}));
    EXPECT_EQ(NotificationsOf(&s, 1)[0].AsText(), "TIFF");
    EXPECT_EQ(NotificationsOf(&s, 1)[0].size, 8u);
    EXPECT_FALSE(Visible(main, IDC_PATIENT_INFO));
    EXPECT_EQ(Text(main, IDC_DEPTH), "12");
    EXPECT_EQ(s.settings.sampleBits, 16u);

    s.notifications.clear();
    std::strcpy(s.output.formatName, "bitmap");
    SyncU32(4, 8);
    EXPECT_EQ(NotifiedIds(&s), std::vector<int32_t>{4}) << "Bitmap in any case";
}

TEST_F(ParamSync, BitmapLowersTheDepthBeforeTheFormatIsTold)
{
    OpenMain();
    s.settings.bitDepth = 12;
    EXPECT_EQ(SyncText(1, "Bitmap"), 1);
    EXPECT_STREQ(s.output.formatName, "Bitmap");
    EXPECT_EQ(s.settings.bitDepth, 8u);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{4, 1}));
    EXPECT_EQ(LastU32(4), 8u);
    EXPECT_EQ(NotificationsOf(&s, 1)[0].AsText(), "Bitmap");
    EXPECT_EQ(NotificationsOf(&s, 1)[0].size, 8u);
    EXPECT_FALSE(Visible(main, IDC_DICOM_PARAMS));

    SyncText(1, "DICOM");
    EXPECT_TRUE(Visible(main, IDC_PATIENT_INFO));
    EXPECT_TRUE(Visible(main, IDC_DICOM_PARAMS));
    SyncText(1, "dicom");
    EXPECT_FALSE(Visible(main, IDC_DICOM_PARAMS)) << "names compare exactly";
}

TEST_F(ParamSync, FormatNameIsKeptOnlyForFiles)
{
    s.output.transferMode = 1;
    std::strcpy(s.output.formatName, "TIFF");
    SyncText(1, "DICOM");
    EXPECT_STREQ(s.output.formatName, "TIFF");
    EXPECT_EQ(NotificationsOf(&s, 1)[0].AsText(), "TIFF");
    s.image.saveToDisk = 1;
    SyncText(1, "DICOM");
    EXPECT_STREQ(s.output.formatName, "DICOM");

    std::string longName(40, 'F');
    SyncText(1, longName.c_str());
    EXPECT_EQ(std::string(s.output.formatName), std::string(31, 'F'));
    EXPECT_EQ(s.output.transferMode, 1u) << "the field after is intact";
}

TEST_F(ParamSync, TransferModeWithAndWithoutAFormat)
{
    OpenMain();
    EXPECT_EQ(SyncU32(5, 3), 1);
    EXPECT_EQ(s.output.transferMode, 3u);
    EXPECT_TRUE(s.notifications.empty()) << "no format: nothing else happens";

    std::strcpy(s.output.formatName, "DICOM");
    s.settings.bitDepth = 16;
    SyncU32(5, 3);
    EXPECT_EQ(s.settings.bitDepth, 8u) << "native transfer holds 8 bits";
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{4, 1}));
    EXPECT_FALSE(Visible(main, IDC_DICOM_PARAMS));
    SyncU32(5, 2);
    EXPECT_TRUE(Visible(main, IDC_DICOM_PARAMS));
}

TEST_F(ParamSync, ExposureIntoTheDigitizersRange)
{
    HWND options = OpenTemplate(IDD_ADVANCED_OPTIONS);
    ASSERT_NE(options, nullptr);
    s.host.optionDialog = options;
    SyncU32(2, 5);
    EXPECT_EQ(s.settings.exposure, 10);
    EXPECT_EQ(s.settings.exposureDefault, 10);
    SyncU32(2, 70000);
    EXPECT_EQ(s.settings.exposure, 40);
    EXPECT_EQ(LastU32(2), 40u);
    EXPECT_EQ(Text(options, IDC_EXPOSURE), "40");
    DestroyWindow(options);
}

TEST_F(ParamSync, UnknownUnitsAreNotTaken)
{
    HWND options = OpenTemplate(IDD_ADVANCED_OPTIONS);
    ASSERT_NE(options, nullptr);
    s.host.optionDialog = options;
    SyncU32(8, 2);
    EXPECT_EQ(s.settings.units, 2u);
    EXPECT_EQ(Text(options, IDC_UNITS), "Centimeters");
    EXPECT_EQ(SendDlgItemMessageA(options, IDC_UNITS, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SyncU32(8, 7), 1);
    EXPECT_EQ(s.settings.units, 2u) << "an unknown unit would make every size 0 pixels";
    EXPECT_EQ(LastU32(8), 2u);
    SyncU32(8, 3);
    EXPECT_EQ(Text(options, IDC_UNITS), "Pixels");
    DestroyWindow(options);
}

TEST_F(ParamSync, LengthsAreBroughtOntoTheBed)
{
    OpenMain();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    s.settings.units = 2;  // shown in inches all the same

    SyncFloat(9, 20.0f);
    EXPECT_EQ(LastFloat(9), 14.0f);
    EXPECT_EQ(s.settings.scanPixels, 14u * 150);
    EXPECT_EQ(Text(main, IDC_WIDTH), "14.0");
    SyncFloat(9, -1.0f);
    EXPECT_EQ(s.settings.scanPixels, 0u) << "not 4294967146";
    EXPECT_EQ(LastFloat(9), 0.0f);
    SyncFloat(9, nan);
    EXPECT_EQ(s.settings.scanPixels, 0u);
    SyncFloat(9, 8.5f);
    EXPECT_EQ(s.settings.scanPixels, 1275u);

    s.settings.maxLength = 17;
    SyncFloat(10, 20.0f);
    EXPECT_EQ(LastFloat(10), 17.0f);
    EXPECT_EQ(s.settings.scanLines, 17u * 150);
    SyncFloat(10, -inf);
    EXPECT_EQ(s.settings.scanLines, 0u);

    SyncFloat(20, 30.0f);
    EXPECT_EQ(LastFloat(20), 17.0f);
    EXPECT_EQ(Text(main, IDC_TOP), "17.0");
    SyncFloat(20, nan);
    EXPECT_EQ(s.settings.offsetY, 0u);
    EXPECT_EQ(LastFloat(20), 0.0f);

    SyncFloat(21, -1.0f);
    EXPECT_EQ(s.settings.offsetX, 0u) << "not (u32)-150";
    SyncFloat(21, inf);
    EXPECT_EQ(LastFloat(21), 14.0f);
    SyncFloat(21, 2.0f);
    EXPECT_EQ(s.settings.offsetX, 300u);
    EXPECT_EQ(Text(main, IDC_LEFT), "2.0");
    EXPECT_EQ(NotifiedIds(&s).size(), 11u) << "every value is told back";
}

TEST_F(ParamSync, HostFileName)
{
    HWND batch = OpenTemplate(IDD_BATCH_OUTPUT);
    ASSERT_NE(batch, nullptr);
    s.host.batchDialog = batch;
    EXPECT_EQ(SyncText(17, "c:\\films\\chest.dcm"), 1);
    EXPECT_STREQ(s.output.hostFileName, "c:\\films\\chest.dcm");
    EXPECT_EQ(Text(batch, IDC_BATCH_NAME_FIRST), "c:\\films\\chest.dcm");
    EXPECT_TRUE(s.notifications.empty());
    std::string longName(300, 'n');
    SyncText(17, longName.c_str());
    EXPECT_EQ(std::string(s.output.hostFileName), std::string(259, 'n'));
    DestroyWindow(batch);
}

}  // namespace

namespace {

// Filling the depth list on a digitizer without 16 bits stores 12: the host
// is told 12, whichever push led there.
TEST_F(ParamSync, HostHearsTheDepthTheListLeavesStored)
{
    s.scanner.depthCount = 2;
    s.scanner.maxDepth = 12;
    OpenMain();
    for (int id : {1, 4, 5}) {
        std::strcpy(s.output.formatName, "TIFF");
        s.output.transferMode = 2;
        s.settings.bitDepth = 16;
        s.notifications.clear();
        int taken = id == 1 ? SyncText(1, "TIFF") : SyncU32(id, id == 4 ? 16 : 2);
        ASSERT_EQ(taken, 1) << id;
        EXPECT_EQ(s.settings.bitDepth, 12u) << id;
        std::vector<Notification> told = NotificationsOf(&s, 4);
        ASSERT_FALSE(told.empty()) << id;
        EXPECT_EQ(told.back().AsU32(), 12u) << id;
    }
}

}  // namespace
