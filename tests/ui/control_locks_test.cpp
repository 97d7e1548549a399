// Control locks and the size fields on the main dialog template and the
// options template, over the installed virtual digitizer.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>

#include "main_dialog_stub.h"
#include "scanner/scan_lists.h"
#include "ui/control_locks.h"
#include "res/resource.h"
#include "ui/size_units.h"

namespace {

const char kConfig[] = "resolutions = 75,150,300\ndepths = 1,8,12\nstatus = 0\nprescan = 1\n";

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

// '+' for each control the operator may use, '-' for each locked one.
std::string Usable(HWND dialog, std::initializer_list<int> ids)
{
    std::string states;
    for (int id : ids)
        states += Enabled(dialog, id) ? '+' : '-';
    return states;
}

uint32_t Bit(int group) { return 1u << ((group - IDC_LOCK_RESOLUTION) & 31); }

class ControlLocks : public DigitizerSessionTest {
protected:
    void SetUp() override { StartDigitizer(kConfig); }
    HWND options = nullptr;

    void OpenOptionsTemplate()
    {
        options = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ADVANCED_OPTIONS),
                                     nullptr, PlainDialogProc, 0);
        ASSERT_NE(options, nullptr);
        s.host.optionDialog = options;
    }
    void TearDown() override
    {
        if (options)
            DestroyWindow(options);
        s.host.optionDialog = nullptr;
        DigitizerSessionTest::TearDown();
    }
};

TEST_F(ControlLocks, MaskDecidesWhichMainControlsTheOperatorMayUse)
{
    s.settings.autoSize = 0;
    s.settings.topCenter = 1;
    s.image.guiControlMask = ~(Bit(IDC_LOCK_DEPTH) | Bit(IDC_LOCK_SAVE_TO_DISK));
    ApplyControlLocks(main, &s.ds);
    EXPECT_EQ(Usable(main, {IDC_RESOLUTION, IDC_DEPTH, IDC_DEPTH_LABEL, IDC_SAVE_TO_DISK, IDC_FILE_FORMAT, IDC_PRESCAN}),
              "+----+");
    // Region controls: sizes usable, offsets not while TopCenter is on.
    EXPECT_EQ(Usable(main, {IDC_WIDTH, IDC_SCAN_SIZE, IDC_TOP_CENTER, IDC_TOP, IDC_LEFT_LABEL}), "+++--");

    s.image.guiControlMask = ~Bit(IDC_LOCK_ROI);
    s.image.saveToDisk = 1;
    ApplyControlLocks(main, &s.ds);
    EXPECT_EQ(Usable(main, {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT, IDC_AUTO_SIZE, IDC_SCAN_SIZE, IDC_TOP_CENTER,
                            IDC_TOP_LABEL, IDC_LEFT_LABEL, IDC_WIDTH_LABEL, IDC_LENGTH_LABEL, IDC_FILE_FORMAT}),
              "-----------+");

    // Multi-film mode takes Save To Disk away; no prescan on a digitizer without it.
    s.image.guiControlMask = ~0u;
    s.image.multiFilmMode = 1;
    s.scanner.prescanCapability = 0;
    ApplyControlLocks(main, &s.ds);
    EXPECT_EQ(Usable(main, {IDC_SAVE_TO_DISK, IDC_PRESCAN, IDC_FILM_COUNT}), "--+");
}

TEST_F(ControlLocks, OptionsFollowTheirGroupsAndTheDigitizer)
{
    OpenOptionsTemplate();
    s.image.guiControlMask = ~0u;
    s.image.bilevelScanning = 1;
    s.scanner.minDepth = 1;
    s.output.transferMode = 1;
    s.image.memTransferEnabled = 1;
    ApplyControlLocks(options, &s.ds);
    // The exposure field is changed by its scroll bar only.
    EXPECT_EQ(Usable(options, {IDC_PORTRAIT, IDC_LANDSCAPE, IDC_EXPOSURE, IDC_EXPOSURE_SCROLL, IDC_BILEVEL,
                               IDC_THRESHOLD}), "---+++");

    // A locked bilevel group stays locked on a digitizer that scans 1 bit.
    s.image.guiControlMask = ~Bit(IDC_LOCK_BILEVEL);
    ApplyControlLocks(options, &s.ds);
    EXPECT_EQ(Usable(options, {IDC_BILEVEL, IDC_THRESHOLD_SCROLL}), "--");

    // Without averaging on the digitizer both averaging and dark enhance go.
    CheckDlgButton(options, IDC_LINE_AVERAGING, BST_CHECKED);
    CheckDlgButton(options, IDC_DARK_ENHANCE, BST_CHECKED);
    s.scanner.lineAveragingCapability = 0;
    ApplyControlLocks(options, &s.ds);
    EXPECT_EQ(IsDlgButtonChecked(options, IDC_LINE_AVERAGING), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(options, IDC_DARK_ENHANCE), BST_UNCHECKED);
    EXPECT_EQ(Usable(options, {IDC_AVERAGE_COUNT, IDC_DARK_ENHANCE}), "--");
}

TEST_F(ControlLocks, SizeFieldsAreReadInTheOldUnitAndShownInTheNew)
{
    s.image.guiControlMask = ~0u;
    s.settings.autoSize = 0;
    SetDlgItemTextA(main, IDC_UNITS_NAME, "inches");
    s.settings.resolution = 300;
    FillResolutionList(main, &s.ds);
    SetDlgItemTextA(main, IDC_WIDTH, "14.0");
    SetDlgItemTextA(main, IDC_LENGTH, "17");
    SetDlgItemTextA(main, IDC_TOP, "0.5");
    SetDlgItemTextA(main, IDC_LEFT, "1");
    s.settings.units = 2;
    ShowSizeInUnits(main, &s.ds);
    EXPECT_EQ(s.settings.resolution, 300u);
    EXPECT_EQ(s.settings.scanPixels, 4200u);
    EXPECT_EQ(s.settings.scanLines, 5100u);
    EXPECT_EQ(s.settings.offsetY, 150u);
    EXPECT_EQ(s.settings.offsetX, 300u);
    EXPECT_EQ(DialogText(main, IDC_UNITS_NAME), "Centimeters");
    EXPECT_EQ(DialogText(main, IDC_WIDTH), "  35.6");
    EXPECT_EQ(DialogText(main, IDC_LENGTH), "  43.2");
    EXPECT_EQ(DialogText(main, IDC_TOP), "   1.3");

    s.settings.units = 3;
    ShowSizeInUnits(main, &s.ds);
    EXPECT_EQ(s.settings.scanPixels, 4204u);  // the 35.6 cm shown, read back at 300 dpi
    EXPECT_EQ(DialogText(main, IDC_WIDTH), "4204");
    EXPECT_EQ(DialogText(main, IDC_UNITS_NAME), "Pixels");

    s.settings.autoSize = 1;
    EnableSizeControls(main, &s.ds);
    EXPECT_EQ(Usable(main, {IDC_WIDTH, IDC_SCAN_SIZE}), "--");
}

}  // namespace
