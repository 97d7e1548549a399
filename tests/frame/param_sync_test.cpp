// Values pushed by the host: stored in range, notified back, shown in
// whichever dialog is open; bad calls change nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <limits>
#include <string>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "session_fixture.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND OpenTemplate(int id)
{
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, QuietDialogProc, 0);
}

bool Visible(HWND dialog, int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

class ParamSync : public ::testing::Test {
protected:
    TestSession s;
    HWND main = nullptr;

    void SetUp() override
    {
        StartTestSession(&s);
        BoxResponderStart();
        // A 14-inch digitizer with its lists, as start-up leaves it.
        const uint16_t resolutions[] = {75, 150, 300, 400}, depths[] = {8, 12, 16};
        std::memcpy(s.scanner.resolutions, resolutions, sizeof resolutions);
        std::memcpy(s.scanner.depths, depths, sizeof depths);
        s.scanner.modelCode = 8;
        s.scanner.resolutionCount = 4;
        s.scanner.depthCount = 3;
        s.scanner.maxDepth = 16;
        s.scanner.maxWidth = 14;
        main = OpenTemplate(IDD_MAIN);
        ASSERT_NE(main, nullptr);
        s.host.mainDialog = main;
    }
    void TearDown() override
    {
        DestroyWindow(main);
        BoxResponderStop();
        DeInitDSData();
    }
    int SyncU32(int id, uint32_t value) { return SyncScannerParams(id, &value, 4, &s.ds); }
    int SyncFloat(int id, float value) { return SyncScannerParams(id, &value, 4, &s.ds); }
    int SyncText(int id, const char* text) { return SyncScannerParams(id, const_cast<char*>(text), 4, &s.ds); }
    uint32_t LastU32(int id) { return NotificationsOf(&s, id).back().AsU32(); }
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
    for (int id : {6, 7, 11})
        EXPECT_EQ(SyncScannerParams(id, &value, 4, &s.ds), 1) << "taken, ignored: " << id;
    EXPECT_EQ(s.settings.resolution, 150u);
    EXPECT_TRUE(s.notifications.empty());
}

TEST_F(ParamSync, ResolutionAndDepthAreBroughtIntoRangeAndShown)
{
    const struct { int id; uint32_t pushed, stored; const char* shown; } cases[] = {
        {3, 140, 142, nullptr}, {3, 1200, 75, "75"}, {3, 400, 400, "400"}, {4, 10, 8, "8"}, {4, 14, 12, "12"},
        {4, 24, 16, "16"}};
    for (const auto& c : cases) {
        s.notifications.clear();
        EXPECT_EQ(SyncU32(c.id, c.pushed), 1);
        EXPECT_EQ(c.id == 3 ? s.settings.resolution : s.settings.bitDepth, c.stored) << c.pushed;
        EXPECT_EQ(NotifiedIds(&s), std::vector<int32_t>{c.id}) << "file transfer: no format";
        EXPECT_EQ(LastU32(c.id), c.stored);
        if (c.shown) { EXPECT_EQ(DialogText(main, c.id == 3 ? IDC_RESOLUTION : IDC_DEPTH), c.shown); }
    }
}

TEST_F(ParamSync, DepthAndFormatTellEachOtherOutsideFileTransfer)
{
    s.output.transferMode = 1;
    std::strcpy(s.output.formatName, "TIFF");
    ShowWindow(GetDlgItem(main, IDC_PATIENT_INFO), SW_SHOW);
    SyncU32(4, 12);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{4, 1}));
    EXPECT_EQ(NotificationsOf(&s, 1)[0].AsText() + " " + std::to_string(NotificationsOf(&s, 1)[0].size), "TIFF 8");
    EXPECT_FALSE(Visible(main, IDC_PATIENT_INFO));

    // Only file transfer keeps a pushed format; Bitmap lowers the depth first.
    SyncText(1, "DICOM");
    EXPECT_STREQ(s.output.formatName, "TIFF");
    s.output.transferMode = 2;
    s.notifications.clear();
    EXPECT_EQ(SyncText(1, "Bitmap"), 1);
    EXPECT_EQ(NotifiedIds(&s), (std::vector<int32_t>{4, 1}));
    EXPECT_EQ(LastU32(4), 8u);
    EXPECT_FALSE(Visible(main, IDC_DICOM_PARAMS));
    SyncText(1, "DICOM");
    EXPECT_TRUE(Visible(main, IDC_PATIENT_INFO));
    EXPECT_TRUE(Visible(main, IDC_DICOM_PARAMS));
    SyncText(1, "dicom");
    EXPECT_FALSE(Visible(main, IDC_DICOM_PARAMS)) << "names compare exactly";
    SyncText(1, std::string(40, 'F').c_str());
    EXPECT_EQ(std::string(s.output.formatName), std::string(31, 'F'));
    EXPECT_EQ(s.output.transferMode, 2u) << "the field after is intact";
}

TEST_F(ParamSync, ExposureAndUnitsInTheOptionsDialog)
{
    HWND options = OpenTemplate(IDD_ADVANCED_OPTIONS);
    ASSERT_NE(options, nullptr);
    s.host.optionDialog = options;
    SyncU32(2, 70000);
    EXPECT_EQ(LastU32(2), 40u);
    EXPECT_EQ(DialogText(options, IDC_EXPOSURE), "40");
    SyncU32(8, 2);
    EXPECT_EQ(DialogText(options, IDC_UNITS), "Centimeters");
    EXPECT_EQ(SyncU32(8, 7), 1);
    EXPECT_EQ(s.settings.units, 2u) << "an unknown unit would make every size 0 pixels";
    EXPECT_EQ(LastU32(8), 2u);
    SyncU32(8, 3);
    EXPECT_EQ(DialogText(options, IDC_UNITS), "Pixels");
    DestroyWindow(options);
}

TEST_F(ParamSync, LengthsAreBroughtOntoTheBed)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    s.settings.units = 2;  // shown in inches all the same
    s.settings.maxLength = 17;
    const struct { int id; float pushed, told; uint32_t pixels; int control; const char* shown; } cases[] = {
        {9, 20.0f, 14.0f, 14 * 150, IDC_WIDTH, "14.0"}, {9, -1.0f, 0.0f, 0, 0, nullptr},  // not 4294967146
        {9, nan, 0.0f, 0, 0, nullptr}, {10, 20.0f, 17.0f, 17 * 150, 0, nullptr},
        {10, -inf, 0.0f, 0, 0, nullptr}, {20, 30.0f, 17.0f, 17 * 150, IDC_TOP, "17.0"},
        {21, -1.0f, 0.0f, 0, 0, nullptr},  // not (u32)-150
        {21, inf, 14.0f, 14 * 150, 0, nullptr}, {21, 2.0f, 2.0f, 300, IDC_LEFT, "2.0"},
    };
    for (const auto& c : cases) {
        SyncFloat(c.id, c.pushed);
        EXPECT_EQ(NotificationsOf(&s, c.id).back().AsFloat(), c.told) << c.id << " " << c.pushed;
        uint32_t stored = c.id == 9 ? s.settings.scanPixels : c.id == 10 ? s.settings.scanLines
                        : c.id == 20 ? s.settings.offsetY : s.settings.offsetX;
        EXPECT_EQ(stored, c.pixels) << c.id << " " << c.pushed;
        if (c.shown) { EXPECT_EQ(DialogText(main, c.control), c.shown); }
    }
}

// Filling the depth list on a digitizer without 16 bits stores 12: the host
// is told 12, whichever push led there.
TEST_F(ParamSync, HostHearsTheDepthTheListLeavesStored)
{
    s.scanner.depthCount = 2;
    s.scanner.maxDepth = 12;
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
