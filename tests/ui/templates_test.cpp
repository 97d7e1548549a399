// Walks every dialog template of FilmCore.dll, created hidden, and checks the
// controls the dialogs' code relies on (id, kind and caption) and the layout
// rules the main dialog's drawing depends on.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/resource.h"

namespace {

// P push button, C check box, R radio button, G group box, E edit,
// L drop-down list, M editable list, B list box, S scroll bar, T text, I picture.
char KindOf(HWND control)
{
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(name, "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: return 'P';
        case BS_CHECKBOX: case BS_AUTOCHECKBOX: return 'C';
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return 'R';
        case BS_GROUPBOX: return 'G';
        }
    }
    if (lstrcmpiA(name, "Edit") == 0) return 'E';
    if (lstrcmpiA(name, "ComboBox") == 0) return (style & 3) == CBS_DROPDOWNLIST ? 'L' : 'M';
    if (lstrcmpiA(name, "ListBox") == 0) return 'B';
    if (lstrcmpiA(name, "ScrollBar") == 0) return 'S';
    if (lstrcmpiA(name, "Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_BITMAP || type == SS_ICON) return 'I';
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP) return 'T';
    }
    return '?';
}

std::string TextOf(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HMODULE Library()
{
    static HMODULE module = LoadLibraryA("FilmCore.dll");
    return module;
}

INT_PTR CALLBACK NeutralProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A template created hidden with a procedure that does nothing.
struct HiddenDialog {
    explicit HiddenDialog(int id) : window(CreateDialogParamA(Library(), MAKEINTRESOURCEA(id), nullptr, NeutralProc, 0)) {}
    ~HiddenDialog() { DestroyWindow(window); }
    HWND window;
};

std::vector<HWND> Children(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    return children;
}

RECT RectIn(HWND dialog, HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Overlaps(const RECT& a, const RECT& b)
{
    RECT i;
    return IntersectRect(&i, &a, &b) != FALSE;
}

struct TemplateTitle {
    int id;
    const char* title;
};

const TemplateTitle kTitles[] = {
    {IDD_MAIN, "KALVO 32-Bit TWAIN Module"}, {IDD_PATIENT_INFO, "Patient Information"},
    {IDD_ADVANCED_OPTIONS, "Advanced Options"}, {IDD_SYSTEM_TEST, "Scanner System Test Message Dialog"},
    {IDD_CALIBRATION, "Scanner Calibration"}, {IDD_SCANNED_IMAGE, "Scanned Image"},
    {IDD_MORE_DICOM, "More DICOM Parameters"}, {IDD_LOAD_TABLE, "Load Table"}, {IDD_SCAN_SIZE, "Scan Size"},
    {IDD_OUTPUT_IMAGE_FILE, "Output Image File"}, {IDD_SAVE_TABLE, "Save Translation Table"},
    {IDD_PASSWORD, "Password"}, {IDD_GUI_CONTROL, "Custom User Interface"}, {IDD_CHANGE_PASSWORD, "Change Password"},
    {IDD_ABOUT, "About..."}, {IDD_WARMUP, "The Scanner Is Warming Up!"}, {IDD_BATCH_OUTPUT, "Batch Output Images Files"}};

// Controls with a fixed caption; IDC_STATIC ones are found by caption.
struct Captioned {
    int dialog, id;
    char kind;
    const char* caption;
};

const Captioned kCaptioned[] = {
    {101, IDC_SCAN, 'P', "&Scan"}, {101, IDC_PRESCAN, 'P', "&Pre Scan"}, {101, IDC_EJECT, 'P', "&Eject"},
    {101, IDC_PATIENT_INFO, 'P', "Patient &Info"}, {101, IDC_DICOM_PARAMS, 'P', "&DICOM..."},
    {101, IDOK, 'P', "E&xit"}, {101, IDCANCEL, 'P', "&Cancel"}, {101, IDC_AUTO_SIZE, 'C', "Auto Size"},
    {101, IDC_TOP_CENTER, 'C', "TopCenter"}, {101, IDC_SCAN_SIZE, 'P', "Scan Size"},
    {101, IDC_FILE_FORMAT, 'P', "File Format"}, {101, IDC_SAVE_TO_DISK, 'C', "Save To Disk"},
    {101, IDC_MULTI_FILM, 'C', "Multi-Film Mode"}, {101, IDC_ADVANCED, 'P', "&Advanced..."},
    {101, IDC_ABOUT, 'P', "&About"}, {101, IDC_DIGITIZER_INFO, 'P', "&Digitizer Info."},
    {102, IDC_STATIC, 'T', "Patient Name:"}, {102, IDC_STATIC, 'T', "Patient DOB:(YYYYMMDD)"},
    {102, IDC_STATIC, 'T', "Patient Sex:"}, {102, IDC_STATIC, 'T', "Patient ID:"},
    {102, IDC_STATIC, 'T', "Study ID:"}, {102, IDC_STATIC, 'T', "Series Num:"}, {102, IDC_STATIC, 'T', "Image Num:"},
    {102, IDOK, 'P', "OK"}, {102, IDCANCEL, 'P', "Cancel"}, {103, IDC_AVERAGE_COUNT_LABEL, 'T', "Number of lines"},
    {103, IDC_LINE_AVERAGING, 'C', "Line Averaging"}, {103, IDC_DARK_ENHANCE, 'C', "Dark Enhance"},
    {103, IDC_BILEVEL, 'C', "Bilevel Scanning"}, {103, IDC_TWELVE_HIGH, 'C', "12 HI"},
    {103, IDC_AUTO_EJECT, 'C', "Auto Eject"}, {103, IDC_STATIC, 'G', "Image Shift"},
    {103, IDC_CALIBRATE, 'P', "Calibrate"}, {103, IDC_SYSTEM_TEST, 'P', "System Test"},
    {103, IDC_GUI_CONTROL, 'P', "GUI Control"}, {103, IDC_OPTIONS_DIGITIZER_INFO, 'P', "Digitizer Info"},
    {103, IDC_PASSWORD_PROTECTION, 'C', "Password Protection"}, {103, IDC_OPTIONS_ABOUT, 'P', "About"},
    {103, IDOK, 'P', "OK"}, {104, IDCANCEL, 'P', "Cancel"}, {105, IDOK, 'P', "OK"},
    {107, IDC_STATIC, 'T', "Study Instance UID"}, {107, IDC_STATIC, 'T', "Series Instance UID"},
    {107, IDC_STATIC, 'T', "SOP Instance UID"}, {107, IDC_STATIC, 'T', "Study Date"},
    {107, IDC_STATIC, 'T', "Study Time"}, {107, IDC_STATIC, 'T', "Accession Number"},
    {107, IDC_STATIC, 'T', "Modality"}, {107, IDC_STATIC, 'T', "Referring Physician"},
    {107, IDC_STATIC, 'T', "SC Device Manufacture"}, {107, IDC_STATIC, 'T', "Digital Format Acquired"},
    {107, IDC_GENERATE_UIDS, 'P', "&Generate New UIDs"}, {107, IDOK, 'P', "&OK"}, {107, IDCANCEL, 'P', "&Cancel"},
    {108, IDC_LOAD_TABLE_ADD, 'P', "Add"}, {108, IDC_LOAD_TABLE_DELETE, 'P', "Delete"},
    {109, IDC_STATIC, 'G', "Selected Film Size"}, {109, IDC_FILM_SIZE_ADD, 'P', "Add"},
    {109, IDC_FILM_SIZE_MODIFY, 'P', "Modify"}, {109, IDC_FILM_SIZE_DELETE, 'P', "Delete"}, {109, IDOK, 'P', "OK"},
    {109, IDCANCEL, 'P', "Cancel"}, {111, IDC_SAVE_TABLE_BROWSE, 'P', "Browser..."}, {112, IDOK, 'P', "OK"},
    {112, IDCANCEL, 'P', "Cancel"}, {113, IDC_LOCK_RESOLUTION, 'C', "Resolution and Unit of Measure"},
    {113, IDC_LOCK_DEPTH, 'C', "Depth"}, {113, IDC_LOCK_TABLES, 'C', "Translation Tables"},
    {113, IDC_LOCK_PRESCAN, 'C', "Pre Scan"}, {113, IDC_LOCK_ROI, 'C', "All ROI Selection Controls"},
    {113, IDC_LOCK_LINE_AVERAGE, 'C', "Line Average"}, {113, IDC_LOCK_EXPOSURE, 'C', "Exposure"},
    {113, IDC_LOCK_BILEVEL, 'C', "Bilevel Scanning Selections"},
    {113, IDC_LOCK_SAVE_TO_DISK, 'C', "Save Image To Disk"}, {113, IDC_LOCK_DARK_ENHANCE, 'C', "Dark Enhance"},
    {113, IDC_CHANGE_PASSWORD, 'P', "Change Password"}, {113, IDOK, 'P', "OK"}, {114, IDOK, 'P', "OK"},
    {114, IDCANCEL, 'P', "Cancel"}, {115, IDOK, 'P', "OK"}, {115, IDC_VERSION_TEXT, 'T', "Version Number"},
    {115, IDC_STATIC, 'T', "Free Physical Memory:"}, {115, IDC_STATIC, 'T', "Free Virtual Memory:"},
    {115, IDC_STATIC, 'G', "Systems Resource"}, {115, IDC_STATIC, 'T', "KALVO NQT Scanner TWAIN DS (32 bit)"},
    {116, IDC_WARMUP_ABORT, 'P', "&Abort"}, {116, IDC_WARMUP_IGNORE, 'P', "&Ignore"},
    {117, IDC_BROWSE, 'P', "Browse..."}, {117, IDC_AUTO_NUMBER, 'P', "&Auto Number"}, {117, IDOK, 'P', "&OK"},
    {117, IDCANCEL, 'P', "&Cancel"},
};

// Controls whose text the code sets: the kind of each.
struct Uncaptioned {
    int dialog;
    char kind;
    std::vector<int> ids;
};

std::vector<Uncaptioned> UncaptionedControls()
{
    std::vector<int> batchNames;
    for (int id = IDC_BATCH_NAME_FIRST; id <= IDC_BATCH_NAME_LAST; ++id)
        batchNames.push_back(id);
    batchNames.push_back(IDC_SAVE_PATH);
    return {
        {101, 'L', {IDC_RESOLUTION, IDC_DEPTH, IDC_FILM_COUNT}}, {101, 'E', {IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT}},
        {101, 'T', {IDC_STATUS, IDC_IMAGE_SIZE, IDC_UNITS_NAME, IDC_TOP_LABEL, IDC_LEFT_LABEL, IDC_WIDTH_LABEL,
                    IDC_LENGTH_LABEL, IDC_RESOLUTION_LABEL, IDC_DEPTH_LABEL, IDC_SEL_X1, IDC_SEL_Y1, IDC_SEL_X2,
                    IDC_SEL_Y2, IDC_SEL_WIDTH, IDC_SEL_HEIGHT, IDC_POINTER_X, IDC_POINTER_Y}},
        {101, 'I', {IDC_DIGITIZER_PICTURE}},
        {102, 'T', {IDC_IMAGE_DIMENSIONS, IDC_IMAGE_DEPTH_TEXT, IDC_OUTPUT_FILE_NAME, IDC_OUTPUT_FILE_LABEL}},
        {102, 'E', {IDC_PATIENT_NAME, IDC_PATIENT_DOB, IDC_PATIENT_ID, IDC_STUDY_ID, IDC_SERIES_NUMBER, IDC_IMAGE_NUMBER}},
        {102, 'M', {IDC_PATIENT_SEX}},
        {103, 'E', {IDC_EXPOSURE, IDC_THRESHOLD}}, {103, 'S', {IDC_EXPOSURE_SCROLL, IDC_THRESHOLD_SCROLL}},
        {103, 'T', {IDC_EXPOSURE_LABEL, IDC_TABLE_LABEL, IDC_THRESHOLD_LABEL, IDC_UNITS_LABEL}},
        {103, 'M', {IDC_TABLE_LIST}}, {103, 'L', {IDC_AVERAGE_COUNT, IDC_UNITS}}, {103, 'R', {IDC_PORTRAIT, IDC_LANDSCAPE}},
        {104, 'B', {IDC_TEST_MESSAGES}}, {105, 'T', {IDC_CALIBRATION_TEXT}},
        {107, 'E', {IDC_STUDY_INSTANCE_UID, IDC_SERIES_INSTANCE_UID, IDC_SOP_INSTANCE_UID, IDC_STUDY_DATE,
                    IDC_STUDY_TIME, IDC_ACCESSION_NUMBER, IDC_MODALITY, IDC_REFERRING_PHYSICIAN,
                    IDC_DEVICE_MANUFACTURER, IDC_DIGITAL_FORMAT}},
        {108, 'B', {IDC_LOAD_TABLE_LIST}}, {109, 'B', {IDC_FILM_SIZE_LIST}}, {109, 'E', {IDC_FILM_SIZE_EDIT}},
        {111, 'L', {IDC_SAVE_TABLE_TYPE}}, {111, 'E', {IDC_SAVE_TABLE_FILE}}, {112, 'E', {IDC_PASSWORD_TEXT}},
        {114, 'E', {IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD, IDC_OLD_PASSWORD}},
        {115, 'I', {IDC_ABOUT_PICTURE}}, {115, 'T', {IDC_FREE_DISK, IDC_FREE_PHYSICAL_MEMORY, IDC_FREE_VIRTUAL_MEMORY}},
        {116, 'T', {IDC_WARMUP_TEXT}}, {116, 'I', {IDC_WARMUP_PICTURE}},
        {117, 'L', {IDC_FILE_FORMAT_LIST}}, {117, 'E', batchNames},
    };
}

HWND FindUnnamed(HWND dialog, char kind, const std::string& caption)
{
    for (HWND c : Children(dialog))
        if ((GetDlgCtrlID(c) == IDC_STATIC || GetDlgCtrlID(c) == 0xFFFF) && KindOf(c) == kind && TextOf(c) == caption)
            return c;
    return nullptr;
}

TEST(DialogTemplates, EveryTemplateHasItsTitleAndItsControls)
{
    ASSERT_NE(Library(), nullptr) << "FilmCore.dll not found beside the test";
    for (const TemplateTitle& t : kTitles) {
        HiddenDialog dialog(t.id);
        ASSERT_NE(dialog.window, nullptr) << t.id;
        EXPECT_FALSE(IsWindowVisible(dialog.window));
        EXPECT_EQ(TextOf(dialog.window), t.title);
    }
    for (const Captioned& c : kCaptioned) {
        HiddenDialog dialog(c.dialog);
        HWND control = c.id == IDC_STATIC ? FindUnnamed(dialog.window, c.kind, c.caption) : GetDlgItem(dialog.window, c.id);
        ASSERT_NE(control, nullptr) << c.dialog << " " << c.caption;
        EXPECT_EQ(KindOf(control), c.kind) << c.dialog << " " << c.caption;
        EXPECT_EQ(TextOf(control), c.caption) << c.dialog << " " << c.id;
    }
    for (const Uncaptioned& u : UncaptionedControls()) {
        HiddenDialog dialog(u.dialog);
        for (int id : u.ids) {
            HWND control = GetDlgItem(dialog.window, id);
            ASSERT_NE(control, nullptr) << u.dialog << " " << id;
            EXPECT_EQ(KindOf(control), u.kind) << u.dialog << " " << id;
        }
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
    HiddenDialog about(IDD_ABOUT), gui(IDD_GUI_CONTROL), options(IDD_ADVANCED_OPTIONS);
    EXPECT_EQ(GetDlgItem(about.window, IDC_ABOUT_HIDDEN_TEXT), nullptr);
    EXPECT_EQ(GetDlgItem(gui.window, IDC_LOCK_ORIENTATION), nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(options.window, IDC_SYSTEM_TEST)));
    // The empty units field must not name a unit, or the empty size fields
    // would be read back as a size of zero.
    const std::string units = TextOf(GetDlgItem(main.window, IDC_UNITS_NAME));
    for (const char* name : {"Inches", "Centimeters", "Pixels"})
        EXPECT_NE(lstrcmpiA(units.c_str(), name), 0) << units;
}

// The main dialog paints its preview frame, rulers, progress bar and bevel
// itself, at fixed fractions of the client area; no control may sit there.
TEST(MainDialogLayout, PreviewAreaAndProgressBarAreFreeOfControls)
{
    HiddenDialog dialog(IDD_MAIN);
    RECT client;
    GetClientRect(dialog.window, &client);
    const int w = client.right, h = client.bottom, ruler = 7;
    const int left = static_cast<int>(0.31 * w), right = left + static_cast<int>(0.54 * w);
    const RECT withRulers = {left - ruler, static_cast<int>(0.05 * h) - ruler, right, static_cast<int>(0.85 * h)};
    const int barTop = static_cast<int>(0.88 * h);
    const RECT bar = {left, barTop, right, barTop + 21};
    const RECT insideBevel = {7, 7, w - 7, h - 7};
    for (HWND c : Children(dialog.window)) {
        RECT r = RectIn(dialog.window, c), inside;
        EXPECT_FALSE(Overlaps(r, withRulers)) << GetDlgCtrlID(c);
        EXPECT_FALSE(Overlaps(r, bar)) << GetDlgCtrlID(c);
        EXPECT_TRUE(IntersectRect(&inside, &r, &insideBevel) && EqualRect(&inside, &r)) << GetDlgCtrlID(c);
    }
    for (int id : {IDC_RESOLUTION, IDC_DEPTH, IDC_FILM_COUNT, IDC_WIDTH, IDC_SAVE_TO_DISK, IDC_DIGITIZER_PICTURE})
        EXPECT_LE(RectIn(dialog.window, GetDlgItem(dialog.window, id)).right, withRulers.left) << id;
    for (int id : {IDC_SCAN, IDC_PRESCAN, IDOK, IDCANCEL, IDC_SEL_X1, IDC_POINTER_Y})
        EXPECT_GE(RectIn(dialog.window, GetDlgItem(dialog.window, id)).left, right) << id;
    EXPECT_GE(RectIn(dialog.window, GetDlgItem(dialog.window, IDC_STATUS)).top, bar.bottom);
}

}  // namespace
