// Walks every dialog template of FilmCore.dll, created hidden, and checks the
// controls the dialogs' code relies on: id, kind and caption, plus the layout
// rules the main dialog's drawing depends on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/resource.h"

namespace {

enum class Kind { PushButton, CheckBox, RadioButton, GroupBox, Edit, ComboList, EditableList,
                  ListBox, ScrollBar, Text, Picture, Other };

const char* KindName(Kind kind)
{
    switch (kind) {
    case Kind::PushButton: return "push button";
    case Kind::CheckBox: return "check box";
    case Kind::RadioButton: return "radio button";
    case Kind::GroupBox: return "group box";
    case Kind::Edit: return "edit";
    case Kind::ComboList: return "drop-down list";
    case Kind::EditableList: return "editable list";
    case Kind::ListBox: return "list box";
    case Kind::ScrollBar: return "scroll bar";
    case Kind::Text: return "static text";
    case Kind::Picture: return "picture";
    case Kind::Other: return "other";
    }
    return "?";
}

std::string ClassOf(HWND control)
{
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

Kind KindOf(HWND control)
{
    const std::string cls = ClassOf(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(cls.c_str(), "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: return Kind::PushButton;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX: return Kind::CheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return Kind::RadioButton;
        case BS_GROUPBOX: return Kind::GroupBox;
        default: return Kind::Other;
        }
    }
    if (lstrcmpiA(cls.c_str(), "Edit") == 0)
        return Kind::Edit;
    if (lstrcmpiA(cls.c_str(), "ComboBox") == 0)
        return (style & 3) == CBS_DROPDOWNLIST ? Kind::ComboList : Kind::EditableList;
    if (lstrcmpiA(cls.c_str(), "ListBox") == 0)
        return Kind::ListBox;
    if (lstrcmpiA(cls.c_str(), "ScrollBar") == 0)
        return Kind::ScrollBar;
    if (lstrcmpiA(cls.c_str(), "Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_BITMAP || type == SS_ICON)
            return Kind::Picture;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP)
            return Kind::Text;
    }
    return Kind::Other;
}

std::string TextOf(HWND control)
{
    char text[512] = "";
    GetWindowTextA(control, text, sizeof text);
    return text;
}

HMODULE Library()
{
    static HMODULE module = LoadLibraryA("FilmCore.dll");
    return module;
}

INT_PTR CALLBACK NeutralProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A template created hidden with a procedure that does nothing.
struct HiddenDialog {
    explicit HiddenDialog(int templateId)
        : window(CreateDialogParamA(Library(), MAKEINTRESOURCEA(templateId), nullptr, NeutralProc, 0)) {}
    ~HiddenDialog()
    {
        if (window)
            DestroyWindow(window);
    }
    HiddenDialog(const HiddenDialog&) = delete;
    HiddenDialog& operator=(const HiddenDialog&) = delete;
    HWND window;
};

std::vector<HWND> ChildrenInTabOrder(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    return children;
}

RECT ClientRectOf(HWND dialog, HWND control)
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

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

struct Expected {
    int id;          // IDC_STATIC: found by caption among the unnamed controls
    Kind kind;
    const char* caption;  // null: not fixed
};

struct TemplateSpec {
    int id;
    const char* title;
    std::vector<Expected> controls;
};

std::vector<TemplateSpec> Templates()
{
    const Kind P = Kind::PushButton, C = Kind::CheckBox, R = Kind::RadioButton, G = Kind::GroupBox,
               E = Kind::Edit, L = Kind::ComboList, EL = Kind::EditableList, LB = Kind::ListBox,
               S = Kind::ScrollBar, T = Kind::Text, PIC = Kind::Picture;
    std::vector<Expected> batch = {
        {IDC_FILE_FORMAT_LIST, L, nullptr}, {IDC_SAVE_PATH, E, nullptr}, {IDC_BROWSE, P, "Browse..."},
        {IDC_AUTO_NUMBER, P, "&Auto Number"}, {IDOK, P, "&OK"}, {IDCANCEL, P, "&Cancel"}};
    for (int id = IDC_BATCH_NAME_FIRST; id <= IDC_BATCH_NAME_LAST; ++id)
        batch.push_back({id, E, nullptr});

    return {
        {IDD_MAIN, "KALVO 32-Bit TWAIN Module",
         {{IDC_SCAN, P, "&Scan"}, {IDC_PRESCAN, P, "&Pre Scan"}, {IDC_EJECT, P, "&Eject"},
          {IDC_PATIENT_INFO, P, "Patient &Info"}, {IDC_DICOM_PARAMS, P, "&DICOM..."},
          {IDOK, P, "E&xit"}, {IDCANCEL, P, "&Cancel"},
          {IDC_RESOLUTION, L, nullptr}, {IDC_DEPTH, L, nullptr}, {IDC_FILM_COUNT, L, nullptr},
          {IDC_WIDTH, E, nullptr}, {IDC_LENGTH, E, nullptr}, {IDC_TOP, E, nullptr}, {IDC_LEFT, E, nullptr},
          {IDC_AUTO_SIZE, C, "Auto Size"}, {IDC_TOP_CENTER, C, "TopCenter"},
          {IDC_SCAN_SIZE, P, "Scan Size"}, {IDC_FILE_FORMAT, P, "File Format"},
          {IDC_SAVE_TO_DISK, C, "Save To Disk"}, {IDC_MULTI_FILM, C, "Multi-Film Mode"},
          {IDC_ADVANCED, P, "&Advanced..."}, {IDC_ABOUT, P, "&About"},
          {IDC_DIGITIZER_INFO, P, "&Digitizer Info."},
          {IDC_STATUS, T, nullptr}, {IDC_IMAGE_SIZE, T, nullptr}, {IDC_UNITS_NAME, T, nullptr},
          {IDC_DIGITIZER_PICTURE, PIC, nullptr},
          {IDC_TOP_LABEL, T, nullptr}, {IDC_LEFT_LABEL, T, nullptr}, {IDC_WIDTH_LABEL, T, nullptr},
          {IDC_LENGTH_LABEL, T, nullptr}, {IDC_RESOLUTION_LABEL, T, nullptr}, {IDC_DEPTH_LABEL, T, nullptr},
          {IDC_SEL_X1, T, nullptr}, {IDC_SEL_Y1, T, nullptr}, {IDC_SEL_X2, T, nullptr},
          {IDC_SEL_Y2, T, nullptr}, {IDC_SEL_WIDTH, T, nullptr}, {IDC_SEL_HEIGHT, T, nullptr},
          {IDC_POINTER_X, T, nullptr}, {IDC_POINTER_Y, T, nullptr}}},
        {IDD_PATIENT_INFO, "Patient Information",
         {{IDC_IMAGE_DIMENSIONS, T, nullptr}, {IDC_IMAGE_DEPTH_TEXT, T, nullptr},
          {IDC_OUTPUT_FILE_NAME, T, nullptr}, {IDC_OUTPUT_FILE_LABEL, T, nullptr},
          {IDC_PATIENT_NAME, E, nullptr}, {IDC_PATIENT_DOB, E, nullptr}, {IDC_PATIENT_SEX, EL, nullptr},
          {IDC_PATIENT_ID, E, nullptr}, {IDC_STUDY_ID, E, nullptr}, {IDC_SERIES_NUMBER, E, nullptr},
          {IDC_IMAGE_NUMBER, E, nullptr},
          {IDC_STATIC, T, "Patient Name:"}, {IDC_STATIC, T, "Patient DOB:(YYYYMMDD)"},
          {IDC_STATIC, T, "Patient Sex:"}, {IDC_STATIC, T, "Patient ID:"}, {IDC_STATIC, T, "Study ID:"},
          {IDC_STATIC, T, "Series Num:"}, {IDC_STATIC, T, "Image Num:"},
          {IDOK, P, "OK"}, {IDCANCEL, P, "Cancel"}}},
        {IDD_ADVANCED_OPTIONS, "Advanced Options",
         {{IDC_EXPOSURE, E, nullptr}, {IDC_EXPOSURE_SCROLL, S, nullptr}, {IDC_EXPOSURE_LABEL, T, nullptr},
          {IDC_TABLE_LIST, EL, nullptr}, {IDC_TABLE_LABEL, T, nullptr},
          {IDC_AVERAGE_COUNT, L, nullptr}, {IDC_AVERAGE_COUNT_LABEL, T, "Number of lines"},
          {IDC_LINE_AVERAGING, C, "Line Averaging"}, {IDC_DARK_ENHANCE, C, "Dark Enhance"},
          {IDC_BILEVEL, C, "Bilevel Scanning"}, {IDC_THRESHOLD_LABEL, T, nullptr},
          {IDC_THRESHOLD, E, nullptr}, {IDC_THRESHOLD_SCROLL, S, nullptr},
          {IDC_TWELVE_HIGH, C, "12 HI"}, {IDC_AUTO_EJECT, C, "Auto Eject"},
          {IDC_UNITS, L, nullptr}, {IDC_UNITS_LABEL, T, nullptr},
          {IDC_MAX_LENGTH_17, R, "14X17 Inches"}, {IDC_MAX_LENGTH_51, R, "14X51 Inches"},
          {IDC_PORTRAIT, R, nullptr}, {IDC_LANDSCAPE, R, nullptr}, {IDC_STATIC, G, "Image Shift"},
          {IDC_CALIBRATE, P, "Calibrate"}, {IDC_SYSTEM_TEST, P, "System Test"},
          {IDC_GUI_CONTROL, P, "GUI Control"}, {IDC_OPTIONS_DIGITIZER_INFO, P, "Digitizer Info"},
          {IDC_PASSWORD_PROTECTION, C, "Password Protection"}, {IDC_OPTIONS_ABOUT, P, "About"},
          {IDOK, P, "OK"}}},
        {IDD_SYSTEM_TEST, "Scanner System Test Message Dialog",
         {{IDC_TEST_MESSAGES, LB, nullptr}, {IDCANCEL, P, "Cancel"}}},
        {IDD_CALIBRATION, "Scanner Calibration", {{IDC_CALIBRATION_TEXT, T, nullptr}, {IDOK, P, "OK"}}},
        {IDD_SCANNED_IMAGE, "Scanned Image", {}},
        {IDD_MORE_DICOM, "More DICOM Parameters",
         {{IDC_STUDY_INSTANCE_UID, E, nullptr}, {IDC_SERIES_INSTANCE_UID, E, nullptr},
          {IDC_SOP_INSTANCE_UID, E, nullptr}, {IDC_STUDY_DATE, E, nullptr}, {IDC_STUDY_TIME, E, nullptr},
          {IDC_ACCESSION_NUMBER, E, nullptr}, {IDC_MODALITY, E, nullptr},
          {IDC_REFERRING_PHYSICIAN, E, nullptr}, {IDC_DEVICE_MANUFACTURER, E, nullptr},
          {IDC_DIGITAL_FORMAT, E, nullptr},
          {IDC_STATIC, T, "Study Instance UID"}, {IDC_STATIC, T, "Series Instance UID"},
          {IDC_STATIC, T, "SOP Instance UID"}, {IDC_STATIC, T, "Study Date"}, {IDC_STATIC, T, "Study Time"},
          {IDC_STATIC, T, "Accession Number"}, {IDC_STATIC, T, "Modality"},
          {IDC_STATIC, T, "Referring Physician"}, {IDC_STATIC, T, "SC Device Manufacture"},
          {IDC_STATIC, T, "Digital Format Acquired"},
          {IDC_GENERATE_UIDS, P, "&Generate New UIDs"}, {IDOK, P, "&OK"}, {IDCANCEL, P, "&Cancel"}}},
        {IDD_LOAD_TABLE, "Load Table",
         {{IDC_LOAD_TABLE_LIST, LB, nullptr}, {IDC_LOAD_TABLE_ADD, P, "Add"},
          {IDC_LOAD_TABLE_DELETE, P, "Delete"}}},
        {IDD_SCAN_SIZE, "Scan Size",
         {{IDC_FILM_SIZE_LIST, LB, nullptr}, {IDC_FILM_SIZE_EDIT, E, nullptr},
          {IDC_STATIC, G, "Selected Film Size"}, {IDC_FILM_SIZE_ADD, P, "Add"},
          {IDC_FILM_SIZE_MODIFY, P, "Modify"}, {IDC_FILM_SIZE_DELETE, P, "Delete"},
          {IDOK, P, "OK"}, {IDCANCEL, P, "Cancel"}}},
        {IDD_OUTPUT_IMAGE_FILE, "Output Image File", {}},
        {IDD_SAVE_TABLE, "Save Translation Table",
         {{IDC_SAVE_TABLE_TYPE, L, nullptr}, {IDC_SAVE_TABLE_FILE, E, nullptr},
          {IDC_SAVE_TABLE_BROWSE, P, "Browser..."}}},
        {IDD_PASSWORD, "Password", {{IDC_PASSWORD_TEXT, E, nullptr}, {IDOK, P, "OK"}, {IDCANCEL, P, "Cancel"}}},
        {IDD_GUI_CONTROL, "Custom User Interface",
         {{IDC_LOCK_RESOLUTION, C, "Resolution and Unit of Measure"}, {IDC_LOCK_DEPTH, C, "Depth"},
          {IDC_LOCK_TABLES, C, "Translation Tables"}, {IDC_LOCK_PRESCAN, C, "Pre Scan"},
          {IDC_LOCK_ROI, C, "All ROI Selection Controls"}, {IDC_LOCK_LINE_AVERAGE, C, "Line Average"},
          {IDC_LOCK_EXPOSURE, C, "Exposure"}, {IDC_LOCK_BILEVEL, C, "Bilevel Scanning Selections"},
          {IDC_LOCK_SAVE_TO_DISK, C, "Save Image To Disk"}, {IDC_LOCK_DARK_ENHANCE, C, "Dark Enhance"},
          {IDC_CHANGE_PASSWORD, P, "Change Password"}, {IDOK, P, "OK"}}},
        {IDD_CHANGE_PASSWORD, "Change Password",
         {{IDC_NEW_PASSWORD, E, nullptr}, {IDC_CONFIRM_PASSWORD, E, nullptr}, {IDC_OLD_PASSWORD, E, nullptr},
          {IDOK, P, "OK"}, {IDCANCEL, P, "Cancel"}}},
        {IDD_ABOUT, "About...",
         {{IDOK, P, "OK"}, {IDC_ABOUT_PICTURE, PIC, nullptr}, {IDC_VERSION_TEXT, T, "Version Number"},
          {IDC_FREE_DISK, T, nullptr}, {IDC_FREE_PHYSICAL_MEMORY, T, nullptr},
          {IDC_FREE_VIRTUAL_MEMORY, T, nullptr}, {IDC_STATIC, T, "Free Physical Memory:"},
          {IDC_STATIC, T, "Free Virtual Memory:"}, {IDC_STATIC, G, "Systems Resource"},
          {IDC_STATIC, T, "KALVO NQT Scanner TWAIN DS (32 bit)"}}},
        {IDD_WARMUP, "The Scanner Is Warming Up!",
         {{IDC_WARMUP_TEXT, T, nullptr}, {IDC_WARMUP_ABORT, P, "&Abort"}, {IDC_WARMUP_IGNORE, P, "&Ignore"},
          {IDC_WARMUP_PICTURE, PIC, nullptr}}},
        {IDD_BATCH_OUTPUT, "Batch Output Images Files", batch},
    };
}

HWND FindUnnamed(HWND dialog, Kind kind, const char* caption)
{
    for (HWND c : ChildrenInTabOrder(dialog)) {
        if (GetDlgCtrlID(c) == IDC_STATIC || GetDlgCtrlID(c) == 0xFFFF) {
            if (KindOf(c) == kind && TextOf(c) == caption)
                return c;
        }
    }
    return nullptr;
}

void CheckControl(HWND dialog, const Expected& want)
{
    SCOPED_TRACE(testing::Message() << "control " << want.id << " "
                                    << (want.caption ? want.caption : ""));
    HWND control = want.id == IDC_STATIC ? FindUnnamed(dialog, want.kind, want.caption)
                                         : GetDlgItem(dialog, want.id);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(KindName(KindOf(control)), KindName(want.kind));
    if (want.caption) {
        EXPECT_EQ(TextOf(control), want.caption);
    }
}

TEST(DialogTemplates, EveryTemplateHasItsTitleAndNamedControls)
{
    ASSERT_NE(Library(), nullptr) << "FilmCore.dll not found beside the test";
    for (const TemplateSpec& tmpl : Templates()) {
        SCOPED_TRACE(testing::Message() << "template " << tmpl.id);
        HiddenDialog dialog(tmpl.id);
        ASSERT_NE(dialog.window, nullptr);
        EXPECT_FALSE(IsWindowVisible(dialog.window));
        EXPECT_EQ(TextOf(dialog.window), tmpl.title);
        for (const Expected& want : tmpl.controls)
            CheckControl(dialog.window, want);
    }
}

TEST(DialogTemplates, IdsThatNoControlMayCarry)
{
    HiddenDialog main(IDD_MAIN);
    ASSERT_NE(main.window, nullptr);
    // Private commands of the main dialog must not collide with a control.
    for (int id : {IDM_RELOAD_AFTER_PRESCAN, IDM_SCAN_REGION, IDM_ENABLE_BUTTONS, IDM_DISABLE_BUTTONS,
                   IDM_SCAN_FINISHED, IDM_REPAINT_PROGRESS})
        EXPECT_EQ(GetDlgItem(main.window, id), nullptr) << id;

    HiddenDialog about(IDD_ABOUT);
    EXPECT_EQ(GetDlgItem(about.window, IDC_ABOUT_HIDDEN_TEXT), nullptr);
    HiddenDialog gui(IDD_GUI_CONTROL);
    EXPECT_EQ(GetDlgItem(gui.window, IDC_LOCK_ORIENTATION), nullptr);
    HiddenDialog options(IDD_ADVANCED_OPTIONS);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(options.window, IDC_SYSTEM_TEST)));
    // The picture command id 1031 of the main dialog must stay silent.
    LONG pictureStyle = GetWindowLongA(GetDlgItem(main.window, IDC_DIGITIZER_PICTURE), GWL_STYLE);
    EXPECT_EQ(pictureStyle & SS_NOTIFY, 0);
}

TEST(DialogTemplates, ControlsLieInsideTheClientAreaWithoutOverlapping)
{
    for (int id = IDD_MAIN; id <= IDD_BATCH_OUTPUT; ++id) {
        SCOPED_TRACE(testing::Message() << "template " << id);
        HiddenDialog dialog(id);
        ASSERT_NE(dialog.window, nullptr);
        RECT client;
        GetClientRect(dialog.window, &client);
        std::vector<HWND> children = ChildrenInTabOrder(dialog.window);
        for (size_t i = 0; i < children.size(); ++i) {
            RECT a = ClientRectOf(dialog.window, children[i]);
            EXPECT_TRUE(Contains(client, a)) << "control " << GetDlgCtrlID(children[i]) << " "
                                             << TextOf(children[i]);
            if (KindOf(children[i]) == Kind::GroupBox)
                continue;
            for (size_t j = i + 1; j < children.size(); ++j) {
                if (KindOf(children[j]) == Kind::GroupBox)
                    continue;
                RECT b = ClientRectOf(dialog.window, children[j]);
                EXPECT_FALSE(Overlaps(a, b)) << "controls " << GetDlgCtrlID(children[i]) << " \""
                                             << TextOf(children[i]) << "\" and " << GetDlgCtrlID(children[j])
                                             << " \"" << TextOf(children[j]) << "\"";
            }
        }
    }
}

// Tab order follows reading order: each tab stop is on the same row to the
// right of the previous one, below it, or at the top of a column further right.
TEST(DialogTemplates, TabOrderFollowsReadingOrder)
{
    for (int id = IDD_MAIN; id <= IDD_BATCH_OUTPUT; ++id) {
        SCOPED_TRACE(testing::Message() << "template " << id);
        HiddenDialog dialog(id);
        ASSERT_NE(dialog.window, nullptr);
        bool havePrevious = false;
        RECT previous = {};
        for (HWND c : ChildrenInTabOrder(dialog.window)) {
            if (!(GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP))
                continue;
            RECT r = ClientRectOf(dialog.window, c);
            if (havePrevious) {
                bool sameRowRight = std::abs(r.top - previous.top) <= 4 && r.left > previous.left;
                bool below = r.top > previous.top + 4;
                bool nextColumn = r.left >= previous.right;
                EXPECT_TRUE(sameRowRight || below || nextColumn)
                    << "control " << GetDlgCtrlID(c) << " \"" << TextOf(c) << "\"";
            }
            previous = r;
            havePrevious = true;
        }
    }
}

// A label's mnemonic moves the focus to the next control in tab order, so a
// label carrying one must come right before a control that can take the focus.
TEST(DialogTemplates, LabelMnemonicsLeadToTheirControls)
{
    for (int id = IDD_MAIN; id <= IDD_BATCH_OUTPUT; ++id) {
        SCOPED_TRACE(testing::Message() << "template " << id);
        HiddenDialog dialog(id);
        ASSERT_NE(dialog.window, nullptr);
        std::vector<HWND> children = ChildrenInTabOrder(dialog.window);
        for (size_t i = 0; i < children.size(); ++i) {
            if (KindOf(children[i]) != Kind::Text || TextOf(children[i]).find('&') == std::string::npos)
                continue;
            if (GetWindowLongA(children[i], GWL_STYLE) & SS_NOPREFIX)
                continue;
            ASSERT_LT(i + 1, children.size());
            HWND next = children[i + 1];
            EXPECT_TRUE(GetWindowLongA(next, GWL_STYLE) & WS_TABSTOP)
                << "label \"" << TextOf(children[i]) << "\" is followed by " << GetDlgCtrlID(next);
        }
    }
}

// The main dialog paints its preview frame, rulers, progress bar and bevel
// itself, at fixed fractions of the client area; no control may sit there.
TEST(MainDialogLayout, PreviewAreaAndProgressBarAreFreeOfControls)
{
    HiddenDialog dialog(IDD_MAIN);
    ASSERT_NE(dialog.window, nullptr);
    RECT client;
    GetClientRect(dialog.window, &client);
    const int w = client.right - client.left, h = client.bottom - client.top;
    const int rulerThickness = 7;
    RECT frame;
    frame.left = static_cast<int>(client.left + 0.31 * w);
    frame.right = frame.left + static_cast<int>(0.54 * w);
    frame.top = static_cast<int>(client.top + 0.05 * h);
    frame.bottom = static_cast<int>(client.top + 0.85 * h);
    const RECT withRulers = {frame.left - rulerThickness, frame.top - rulerThickness, frame.right, frame.bottom};
    const int barTop = static_cast<int>(client.top + 0.88 * h);
    const RECT bar = {frame.left, barTop, frame.left + static_cast<int>(0.54 * w), barTop + 21};
    const RECT insideBevel = {client.left + 7, client.top + 7, client.right - 7, client.bottom - 7};

    EXPECT_GE(withRulers.top, insideBevel.top);
    EXPECT_LE(bar.bottom, insideBevel.bottom);

    for (HWND c : ChildrenInTabOrder(dialog.window)) {
        SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(c) << " \"" << TextOf(c) << "\"");
        RECT r = ClientRectOf(dialog.window, c);
        EXPECT_FALSE(Overlaps(r, withRulers));
        EXPECT_FALSE(Overlaps(r, bar));
        EXPECT_TRUE(Contains(insideBevel, r));
    }

    // Settings on the left of the rulers, commands and coordinates on the right
    // of the frame; the status line under the progress bar.
    for (int id : {IDC_RESOLUTION, IDC_DEPTH, IDC_FILM_COUNT, IDC_WIDTH, IDC_LENGTH, IDC_TOP, IDC_LEFT,
                   IDC_AUTO_SIZE, IDC_TOP_CENTER, IDC_SCAN_SIZE, IDC_SAVE_TO_DISK, IDC_FILE_FORMAT,
                   IDC_MULTI_FILM, IDC_IMAGE_SIZE, IDC_DIGITIZER_PICTURE})
        EXPECT_LE(ClientRectOf(dialog.window, GetDlgItem(dialog.window, id)).right, withRulers.left) << id;
    for (int id : {IDC_SCAN, IDC_PRESCAN, IDC_EJECT, IDC_PATIENT_INFO, IDC_DICOM_PARAMS, IDC_ADVANCED,
                   IDC_ABOUT, IDC_DIGITIZER_INFO, IDOK, IDCANCEL, IDC_SEL_X1, IDC_SEL_Y1, IDC_SEL_X2,
                   IDC_SEL_Y2, IDC_SEL_WIDTH, IDC_SEL_HEIGHT, IDC_POINTER_X, IDC_POINTER_Y})
        EXPECT_GE(ClientRectOf(dialog.window, GetDlgItem(dialog.window, id)).left, frame.right) << id;
    RECT status = ClientRectOf(dialog.window, GetDlgItem(dialog.window, IDC_STATUS));
    EXPECT_GE(status.top, bar.bottom);
}

// At start the size fields are read back in the unit the units field names;
// the empty template must not name one, or the empty edits would be read as
// a size of zero.
TEST(MainDialogLayout, UnitsFieldStartsWithoutAUnitName)
{
    HiddenDialog dialog(IDD_MAIN);
    ASSERT_NE(dialog.window, nullptr);
    const std::string units = TextOf(GetDlgItem(dialog.window, IDC_UNITS_NAME));
    for (const char* name : {"Inches", "Centimeters", "Pixels"})
        EXPECT_NE(lstrcmpiA(units.c_str(), name), 0) << units;
}

bool SameBitmap(HBITMAP a, HBITMAP b)
{
    BITMAP ba, bb;
    if (!GetObjectA(a, sizeof ba, &ba) || !GetObjectA(b, sizeof bb, &bb))
        return false;
    if (ba.bmWidth != bb.bmWidth || ba.bmHeight != bb.bmHeight)
        return false;
    HDC screen = GetDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = ba.bmWidth;
    info.bmiHeader.biHeight = ba.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<unsigned> pa(ba.bmWidth * ba.bmHeight), pb(pa.size());
    GetDIBits(screen, a, 0, ba.bmHeight, pa.data(), &info, DIB_RGB_COLORS);
    GetDIBits(screen, b, 0, bb.bmHeight, pb.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pa == pb;
}

TEST(Resources, DigitizerPicturesAreDistinctAndShownByDefault)
{
    ASSERT_NE(Library(), nullptr);
    const int ids[] = {IDB_DIGITIZER_NA, IDB_DIGITIZER_A2, IDB_DIGITIZER_9A, IDB_DIGITIZER_9E};
    HBITMAP pictures[4];
    for (int i = 0; i < 4; ++i) {
        pictures[i] = static_cast<HBITMAP>(LoadImageA(Library(), MAKEINTRESOURCEA(ids[i]), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(pictures[i], nullptr) << ids[i];
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_FALSE(SameBitmap(pictures[i], pictures[j])) << ids[i] << " and " << ids[j];

    // Bitmap 132 is the default picture of the main dialog, the About box and
    // the warm-up notice.
    const struct { int dialog, control; } shown[] = {
        {IDD_MAIN, IDC_DIGITIZER_PICTURE}, {IDD_ABOUT, IDC_ABOUT_PICTURE}, {IDD_WARMUP, IDC_WARMUP_PICTURE}};
    for (const auto& s : shown) {
        HiddenDialog dialog(s.dialog);
        HBITMAP image = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(dialog.window, s.control, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(image, nullptr) << s.dialog;
        EXPECT_TRUE(SameBitmap(image, pictures[2])) << s.dialog;
    }
    for (HBITMAP b : pictures)
        DeleteObject(b);
}

TEST(Resources, VersionIs521)
{
    char path[MAX_PATH] = "";
    ASSERT_NE(Library(), nullptr);
    ASSERT_GT(GetModuleFileNameA(Library(), path, sizeof path), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (5u << 16) | 2u);
    EXPECT_EQ(fixed->dwFileVersionLS >> 16, 1u);

    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "5.2.1");
}

} // namespace
