// Walks every dialog template of FilmCore.dll, created hidden: titles, the
// controls with fixed captions (id, kind, caption) and ids no control may carry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"

namespace {

// P push button, C check box, R radio button, T static text.
char KindOf(HWND control)
{
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    const LONG style = GetWindowLongA(control, GWL_STYLE), button = style & BS_TYPEMASK;
    if (lstrcmpiA(name, "Static") == 0)
        return (style & SS_TYPEMASK) <= SS_RIGHT ? 'T' : '?';
    if (lstrcmpiA(name, "Button") != 0)
        return '?';
    return button <= BS_DEFPUSHBUTTON ? 'P' : button == BS_CHECKBOX || button == BS_AUTOCHECKBOX ? 'C'
         : button == BS_RADIOBUTTON || button == BS_AUTORADIOBUTTON ? 'R' : '?';
}

std::string TextOf(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

INT_PTR CALLBACK NeutralProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A template of FilmCore.dll created hidden with a procedure that does nothing.
struct HiddenDialog {
    explicit HiddenDialog(int id)
        : window(CreateDialogParamA(LoadLibraryA("FilmCore.dll"), MAKEINTRESOURCEA(id), nullptr, NeutralProc, 0)) {}
    ~HiddenDialog() { DestroyWindow(window); }
    HWND window;
};

const struct { int id; const char* title; } kTitles[] = {
    {IDD_MAIN, "KALVO 32-Bit TWAIN Module"}, {IDD_PATIENT_INFO, "Patient Information"},
    {IDD_ADVANCED_OPTIONS, "Advanced Options"}, {IDD_SYSTEM_TEST, "Scanner System Test Message Dialog"},
    {IDD_CALIBRATION, "Scanner Calibration"}, {IDD_SCANNED_IMAGE, "Scanned Image"},
    {IDD_MORE_DICOM, "More DICOM Parameters"}, {IDD_LOAD_TABLE, "Load Table"}, {IDD_SCAN_SIZE, "Scan Size"},
    {IDD_OUTPUT_IMAGE_FILE, "Output Image File"}, {IDD_SAVE_TABLE, "Save Translation Table"},
    {IDD_PASSWORD, "Password"}, {IDD_GUI_CONTROL, "Custom User Interface"}, {IDD_CHANGE_PASSWORD, "Change Password"},
    {IDD_ABOUT, "About..."}, {IDD_WARMUP, "The Scanner Is Warming Up!"}, {IDD_BATCH_OUTPUT, "Batch Output Images Files"}};

// Controls with a fixed caption.
const struct { int dialog, id; char kind; const char* caption; } kCaptioned[] = {
    {101, IDC_SCAN, 'P', "&Scan"}, {101, IDC_PRESCAN, 'P', "&Pre Scan"}, {101, IDC_EJECT, 'P', "&Eject"},
    {101, IDC_PATIENT_INFO, 'P', "Patient &Info"}, {101, IDC_DICOM_PARAMS, 'P', "&DICOM..."},
    {101, IDOK, 'P', "E&xit"}, {101, IDCANCEL, 'P', "&Cancel"}, {101, IDC_AUTO_SIZE, 'C', "Auto Size"},
    {101, IDC_TOP_CENTER, 'C', "TopCenter"}, {101, IDC_SCAN_SIZE, 'P', "Scan Size"},
    {101, IDC_FILE_FORMAT, 'P', "File Format"}, {101, IDC_SAVE_TO_DISK, 'C', "Save To Disk"},
    {101, IDC_MULTI_FILM, 'C', "Multi-Film Mode"}, {101, IDC_ADVANCED, 'P', "&Advanced..."},
    {101, IDC_ABOUT, 'P', "&About"}, {101, IDC_DIGITIZER_INFO, 'P', "&Digitizer Info."}, {102, IDOK, 'P', "OK"},
    {102, IDCANCEL, 'P', "Cancel"}, {103, IDC_AVERAGE_COUNT_LABEL, 'T', "Number of lines"},
    {103, IDC_LINE_AVERAGING, 'C', "Line Averaging"}, {103, IDC_DARK_ENHANCE, 'C', "Dark Enhance"},
    {103, IDC_BILEVEL, 'C', "Bilevel Scanning"}, {103, IDC_TWELVE_HIGH, 'C', "12 HI"},
    {103, IDC_MAX_LENGTH_17, 'R', "14X17 Inches"}, {103, IDC_MAX_LENGTH_51, 'R', "14X51 Inches"},
    {103, IDC_AUTO_EJECT, 'C', "Auto Eject"}, {103, IDC_CALIBRATE, 'P', "Calibrate"},
    {103, IDC_SYSTEM_TEST, 'P', "System Test"}, {103, IDC_GUI_CONTROL, 'P', "GUI Control"},
    {103, IDC_OPTIONS_DIGITIZER_INFO, 'P', "Digitizer Info"},
    {103, IDC_PASSWORD_PROTECTION, 'C', "Password Protection"}, {103, IDC_OPTIONS_ABOUT, 'P', "About"},
    {103, IDOK, 'P', "OK"}, {104, IDCANCEL, 'P', "Cancel"}, {105, IDOK, 'P', "OK"},
    {107, IDC_GENERATE_UIDS, 'P', "&Generate New UIDs"}, {107, IDOK, 'P', "&OK"}, {107, IDCANCEL, 'P', "&Cancel"},
    {108, IDC_LOAD_TABLE_ADD, 'P', "Add"}, {108, IDC_LOAD_TABLE_DELETE, 'P', "Delete"},
    {109, IDC_FILM_SIZE_ADD, 'P', "Add"}, {109, IDC_FILM_SIZE_MODIFY, 'P', "Modify"},
    {109, IDC_FILM_SIZE_DELETE, 'P', "Delete"}, {109, IDOK, 'P', "OK"}, {109, IDCANCEL, 'P', "Cancel"},
    {111, IDC_SAVE_TABLE_BROWSE, 'P', "Browser..."}, {112, IDOK, 'P', "OK"}, {112, IDCANCEL, 'P', "Cancel"},
    {113, IDC_LOCK_RESOLUTION, 'C', "Resolution and Unit of Measure"}, {113, IDC_LOCK_DEPTH, 'C', "Depth"},
    {113, IDC_LOCK_TABLES, 'C', "Translation Tables"}, {113, IDC_LOCK_PRESCAN, 'C', "Pre Scan"},
    {113, IDC_LOCK_ROI, 'C', "All ROI Selection Controls"}, {113, IDC_LOCK_LINE_AVERAGE, 'C', "Line Average"},
    {113, IDC_LOCK_EXPOSURE, 'C', "Exposure"}, {113, IDC_LOCK_BILEVEL, 'C', "Bilevel Scanning Selections"},
    {113, IDC_LOCK_SAVE_TO_DISK, 'C', "Save Image To Disk"}, {113, IDC_LOCK_DARK_ENHANCE, 'C', "Dark Enhance"},
    {113, IDC_CHANGE_PASSWORD, 'P', "Change Password"}, {113, IDOK, 'P', "OK"}, {114, IDOK, 'P', "OK"},
    {114, IDCANCEL, 'P', "Cancel"}, {115, IDOK, 'P', "OK"}, {115, IDC_VERSION_TEXT, 'T', "Version Number"},
    {116, IDC_WARMUP_ABORT, 'P', "&Abort"}, {116, IDC_WARMUP_IGNORE, 'P', "&Ignore"},
    {117, IDC_BROWSE, 'P', "Browse..."}, {117, IDC_AUTO_NUMBER, 'P', "&Auto Number"}, {117, IDOK, 'P', "&OK"},
    {117, IDCANCEL, 'P', "&Cancel"},
};

TEST(DialogTemplates, EveryTemplateHasItsTitleAndItsControls)
{
    for (const auto& t : kTitles) {
        HiddenDialog dialog(t.id);
        ASSERT_NE(dialog.window, nullptr) << t.id;
        EXPECT_FALSE(IsWindowVisible(dialog.window));
        EXPECT_EQ(TextOf(dialog.window), t.title);
    }
    for (const auto& c : kCaptioned) {
        HiddenDialog dialog(c.dialog);
        HWND control = GetDlgItem(dialog.window, c.id);
        ASSERT_NE(control, nullptr) << c.dialog << " " << c.caption;
        EXPECT_EQ(KindOf(control), c.kind) << c.dialog << " " << c.caption;
        EXPECT_EQ(TextOf(control), c.caption) << c.dialog << " " << c.id;
    }
}

TEST(DialogTemplates, IdsThatNoControlMayCarry)
{
    HiddenDialog main(IDD_MAIN);
    for (int id : {IDM_RELOAD_AFTER_PRESCAN, IDM_SCAN_REGION, IDM_ENABLE_BUTTONS, IDM_DISABLE_BUTTONS,
                   IDM_SCAN_FINISHED, IDM_REPAINT_PROGRESS})
        EXPECT_EQ(GetDlgItem(main.window, id), nullptr) << "a private command of the main dialog: " << id;
    EXPECT_EQ(GetWindowLongA(GetDlgItem(main.window, IDC_DIGITIZER_PICTURE), GWL_STYLE) & SS_NOTIFY, 0)
        << "the picture's command id 1031 stays silent";
    HiddenDialog options(IDD_ADVANCED_OPTIONS);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(options.window, IDC_SYSTEM_TEST)));
    // The empty units field must not name a unit, or the empty size fields
    // would be read back as a size of zero.
    const std::string units = TextOf(GetDlgItem(main.window, IDC_UNITS_NAME));
    for (const char* name : {"Inches", "Centimeters", "Pixels"})
        EXPECT_NE(lstrcmpiA(units.c_str(), name), 0) << units;
}

}  // namespace
