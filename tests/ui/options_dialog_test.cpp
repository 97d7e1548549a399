// The Advanced Options dialog over the installed virtual digitizer, driven
// through its controls with real messages; boxes and notifications recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "scanner/scan_lists.h"
#include "ui/password_dialogs.h"
#include "ui/resource.h"

namespace {

const char kConfig[] = "product = NQT-12\nmodelCode = 8\nhardwareVersion = 6\nresolutions = 75,150,300\n"
                       "depths = 1,8,12\nexposureMin = 10\nexposureMax = 40\nexposureDefault = 12\nstatus = 0\n";

void Press(HWND d, int id) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }
bool Enabled(HWND d, int id) { return IsWindowEnabled(GetDlgItem(d, id)) != FALSE; }
// The dialog itself is not shown yet while the steps run.
bool Shown(HWND d, int id) { return (GetWindowLongA(GetDlgItem(d, id), GWL_STYLE) & WS_VISIBLE) != 0; }

void Arrow(HWND d, int bar, int code, int times = 1)
{
    for (int i = 0; i < times; ++i)
        SendMessageA(d, WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(GetDlgItem(d, bar)));
}

size_t Count(const std::string& text, const std::string& word)
{
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

class Options : public DigitizerSessionTest {
protected:
    // The dialog runs `steps` once it is up, then gets `button`.
    int Run(std::function<void(HWND)> steps, int button = IDCANCEL)
    {
        BoxResponderAdd({"Advanced Options", button, steps});
        return OpenOptionDlg(GetModuleHandleA(nullptr), main, &s.ds);
    }
    // The values notified for an id, as "a" or "a,b" for pairs.
    std::vector<std::string> Values(int32_t id)
    {
        std::vector<std::string> values;
        for (const Notification& n : NotificationsOf(&s, id)) {
            const uint32_t* v = reinterpret_cast<const uint32_t*>(n.bytes.data());
            values.push_back(n.size == 8 ? std::to_string(v[0]) + "," + std::to_string(v[1])
                                         : std::to_string(n.AsU32()));
        }
        return values;
    }
    using Texts = std::vector<std::string>;
};

TEST_F(Options, OpensFilledAndOkAppliesWhatEscapeDiscards)
{
    StartDigitizer(kConfig);
    HWND seen = nullptr;
    std::string table, units, exposure;
    LRESULT tables = 0;
    EXPECT_EQ(Run([&](HWND d) {
        seen = static_cast<HWND>(s.host.optionDialog);
        tables = SendDlgItemMessageA(d, IDC_TABLE_LIST, CB_GETCOUNT, 0, 0);
        table = DialogText(d, IDC_TABLE_LIST);
        units = DialogText(d, IDC_UNITS);
        exposure = DialogText(d, IDC_EXPOSURE);
        SetDlgItemTextA(d, IDC_EXPOSURE, "30");
    }), 0);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(s.host.optionDialog, nullptr);
    EXPECT_EQ(tables, 8);
    EXPECT_EQ(table, "Linear");
    EXPECT_EQ(units, "Inches");
    EXPECT_EQ(exposure, "12");
    EXPECT_EQ(s.settings.exposure, 12u) << "Escape keeps the typed exposure out";

    s.notifications.clear();
    EXPECT_EQ(Run([&](HWND d) {
        SetDlgItemTextA(d, IDC_EXPOSURE, "99");
        SelectListText(d, IDC_UNITS, "Pixels");
        SelectListText(d, IDC_AVERAGE_COUNT, "4");
    }, IDOK), 0);
    EXPECT_EQ(s.settings.exposure, 40u);
    EXPECT_EQ(s.settings.exposureDefault, 40u);
    EXPECT_EQ(s.host.optionDialog, nullptr);
    EXPECT_EQ(s.settings.units, 3u);
    EXPECT_EQ(Values(8), Texts{"3"});
    EXPECT_EQ(Values(15), Texts{"0,4"});
    EXPECT_EQ(Values(2), Texts{"40"});
    EXPECT_EQ(StubCommandsReceived(IDM_SHOW_SIZE_IN_UNITS), 1);
}

TEST_F(Options, ArrowsStopAtTheirLimitsAndOkCalibratesOnlyForANewExposure)
{
    StartDigitizer(kConfig);
    s.image.bilevelScanning = 1;
    s.image.bitThreshold = 254;
    std::vector<std::string> exposures, thresholds;
    Run([&](HWND d) {
        Arrow(d, IDC_EXPOSURE_SCROLL, SB_LINELEFT, 3);
        exposures.push_back(DialogText(d, IDC_EXPOSURE));
        Arrow(d, IDC_EXPOSURE_SCROLL, SB_LINERIGHT, 31);
        exposures.push_back(DialogText(d, IDC_EXPOSURE));
        Arrow(d, IDC_THRESHOLD_SCROLL, SB_LINERIGHT, 2);
        thresholds.push_back(DialogText(d, IDC_THRESHOLD));
        SetDlgItemTextA(d, IDC_THRESHOLD, "1");
        Arrow(d, IDC_THRESHOLD_SCROLL, SB_LINELEFT, 2);
        thresholds.push_back(DialogText(d, IDC_THRESHOLD));
        SetDlgItemTextA(d, IDC_THRESHOLD, "99999999999999999999");
        Arrow(d, IDC_THRESHOLD_SCROLL, SB_LINERIGHT);
        thresholds.push_back(DialogText(d, IDC_THRESHOLD));
        Arrow(d, IDC_EXPOSURE_SCROLL, SB_LINELEFT, 5);
    }, IDOK);
    EXPECT_EQ(exposures, (Texts{"10", "40"}));
    EXPECT_EQ(thresholds, (Texts{"255", "0", "255"}));
    EXPECT_EQ(Values(16), (Texts{"1,255", "1,255", "1,0", "1,0", "1,255"}));
    EXPECT_EQ(s.settings.exposure, 35u);
    const size_t calibrating = Count(CallLog(), "diagCalibrate");
    EXPECT_GT(calibrating, 0u);
    Run([&](HWND) {}, IDOK);
    EXPECT_EQ(Count(CallLog(), "diagCalibrate"), calibrating) << "the same exposure needs no calibration";
    EXPECT_EQ(s.settings.exposureDefault, 35u);
}

TEST_F(Options, TwelveHighOnlyForTwelveBitScans)
{
    StartDigitizer(kConfig);
    FillDepthList(main, &s.ds, 8);
    bool visible = true;
    Run([&](HWND d) { visible = Shown(d, IDC_TWELVE_HIGH); });
    EXPECT_FALSE(visible);
    EXPECT_EQ(s.image.twelveHigh, 0u);
    EXPECT_EQ(Values(23), Texts{"0"});

    FillDepthList(main, &s.ds, 12);
    bool checkedAtOpen = true, checkedAfter = false;
    Run([&](HWND d) {
        visible = Shown(d, IDC_TWELVE_HIGH);
        checkedAtOpen = Checked(d, IDC_TWELVE_HIGH);
        Press(d, IDC_TWELVE_HIGH);
        checkedAfter = Checked(d, IDC_TWELVE_HIGH);
    });
    EXPECT_TRUE(visible);
    EXPECT_FALSE(checkedAtOpen);
    EXPECT_TRUE(checkedAfter);
    EXPECT_EQ(s.image.twelveHigh, 1u);
    EXPECT_EQ(Values(23), (Texts{"0", "1"}));
}

TEST_F(Options, CheckBoxesActAtOnceAndNotifyTheirValues)
{
    StartDigitizer(kConfig);
    s.image.averageCount = 2;
    bool countEnabledAfter = false;
    std::string countShown;
    Run([&](HWND d) {
        Press(d, IDC_DARK_ENHANCE);
        Press(d, IDC_AUTO_EJECT);
        Press(d, IDC_LINE_AVERAGING);
        countEnabledAfter = Enabled(d, IDC_AVERAGE_COUNT);
        countShown = DialogText(d, IDC_AVERAGE_COUNT);
        Press(d, IDC_BILEVEL);
    });
    EXPECT_EQ(s.settings.darkEnhance, 1u);
    EXPECT_EQ(Values(13), Texts{"1"});
    EXPECT_EQ(Values(12), Texts{"1"});
    EXPECT_TRUE(countEnabledAfter);
    EXPECT_EQ(countShown, "1") << "averaging was off, so the count went back to 1";
    EXPECT_EQ(Values(15), Texts{"1,1"});
    EXPECT_EQ(Values(16), Texts{"1,128"});
    EXPECT_EQ(s.image.bilevelScanning, 1u);
}

TEST_F(Options, TableChoiceAppliedAfterTheTimerAndStoredAtOk)
{
    StartDigitizer(kConfig);
    std::string beforeTimer, afterTimer;
    bool storedEarly = true;
    Run([&](HWND d) {
        SelectListText(d, IDC_TABLE_LIST, "SQRT");
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_TABLE_LIST, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_TABLE_LIST)));
        beforeTimer = s.image.tableName;
        SendMessageA(d, WM_TIMER, 99, 0);
        afterTimer = s.image.tableName;
        storedEarly = GetProfile(&s, "TranslationTable", "SQRT") != nullptr;
    }, IDOK);
    EXPECT_EQ(beforeTimer, "Linear");
    EXPECT_EQ(afterTimer, "SQRT");
    EXPECT_FALSE(storedEarly);
    ASSERT_NE(GetProfile(&s, "TranslationTable", "SQRT"), nullptr);
    EXPECT_EQ(*GetProfile(&s, "TranslationTable", "SQRT"), "1");
    EXPECT_EQ(*GetProfile(&s, "TranslationTable", "Linear"), "0");
}

TEST_F(Options, OrientationAndMaxLengthAreStoredAndOffForMemoryTransfers)
{
    StartDigitizer(kConfig);
    s.output.transferMode = 2;
    bool portrait = true;
    Run([&](HWND d) {
        Press(d, IDC_LANDSCAPE);
        Press(d, IDC_MAX_LENGTH_51);
        portrait = Checked(d, IDC_PORTRAIT);
    });
    EXPECT_FALSE(portrait);
    EXPECT_EQ(s.image.landscape, 1u);
    EXPECT_EQ(s.settings.maxLength, 51u);
    EXPECT_EQ(*GetProfile(&s, "IMAGE_ORIENT", "Set"), "LANDSCAPE");
    EXPECT_EQ(*GetProfile(&s, "IMAGE_SIZESET", "MaxHeight"), "51");

    s.output.transferMode = 1;
    s.image.memTransferEnabled = 1;
    bool usable = true;
    Run([&](HWND d) {
        usable = Enabled(d, IDC_PORTRAIT) || Enabled(d, IDC_LANDSCAPE);
        portrait = Checked(d, IDC_PORTRAIT);
    });
    EXPECT_FALSE(usable);
    EXPECT_TRUE(portrait);
    EXPECT_EQ(s.image.landscape, 0u);
}

std::vector<std::string> Described(const std::vector<SeenBox>& boxes)
{
    std::vector<std::string> seen;
    for (const SeenBox& b : boxes)
        seen.push_back(b.caption + "|" + b.text + "|" + std::to_string(b.icon));
    return seen;
}

void AnswerPassword(const char* typed)
{
    BoxResponderAdd({"Password", IDOK, [=](HWND p) { SetDlgItemTextA(p, IDC_PASSWORD_TEXT, typed); }});
}

TEST_F(Options, ProtectionNeedsThePasswordEmptyAtFirstUse)
{
    StartDigitizer(kConfig);
    s.image.guiControlMask = 0;
    LoadSecuritySettings(&s.ds);
    EXPECT_EQ(s.image.passwordProtection, 0u);
    EXPECT_EQ(s.image.guiControlMask, 0xFFFFFFFFu) << "nothing stored: every group usable";
    SetProfile(&s, "Security", "ControlMask", "00000005");
    AnswerPassword("");
    AnswerPassword("nope");
    bool guiControlUsable = false;
    Run([&](HWND d) {
        Press(d, IDC_PASSWORD_PROTECTION);
        guiControlUsable = Enabled(d, IDC_GUI_CONTROL);
        Press(d, IDC_PASSWORD_PROTECTION);
    });
    EXPECT_EQ(s.image.passwordProtection, 1u);
    EXPECT_EQ(s.image.guiControlMask, 5u) << "protection brings back the kept mask";
    EXPECT_TRUE(guiControlUsable);
    EXPECT_EQ(*GetProfile(&s, "Security", "Protection"), "ON");
    s.image.guiControlMask = 0;
    LoadSecuritySettings(&s.ds);
    EXPECT_EQ(s.image.passwordProtection, 1u);
    EXPECT_EQ(s.image.guiControlMask, 5u);
    EXPECT_EQ(Described(BoxResponderMessageBoxes()),
              Texts{"ERROR|Invalid password!|" + std::to_string(BOX_ICON_EXCLAMATION)});
}

TEST_F(Options, GuiControlLocksGroupsAndChangesThePasswordThatOutlivesTheSession)
{
    StartDigitizer(kConfig);
    s.image.passwordProtection = 1;
    s.image.guiControlMask = 0xFFFFFFFFu;
    s.scanner.prescanCapability = 0;
    const std::string longTyped = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", kept = longTyped.substr(0, 24);
    AnswerPassword("");
    bool prescanBox = true, tablesBox = true, tablesUsable = true;
    LRESULT limit = 0;
    BoxResponderAdd({"Custom User Interface", IDOK, [&](HWND g) {
        prescanBox = Checked(g, IDC_LOCK_PRESCAN) || Enabled(g, IDC_LOCK_PRESCAN);
        Press(g, IDC_LOCK_TABLES);
        tablesBox = Checked(g, IDC_LOCK_TABLES);
        tablesUsable = Enabled(static_cast<HWND>(s.host.optionDialog), IDC_TABLE_LIST);
        Press(g, IDC_CHANGE_PASSWORD);
        Press(g, IDC_CHANGE_PASSWORD);
    }});
    BoxResponderAdd({"Change Password", IDOK, [](HWND c) {
        SetDlgItemTextA(c, IDC_NEW_PASSWORD, "abc");
        SetDlgItemTextA(c, IDC_CONFIRM_PASSWORD, "abd");
    }});
    BoxResponderAdd({"Change Password", IDOK, [&](HWND c) {
        limit = SendDlgItemMessageA(c, IDC_NEW_PASSWORD, EM_GETLIMITTEXT, 0, 0);
        // Set text passes the edit's limit; only 24 characters may be kept.
        SetDlgItemTextA(c, IDC_NEW_PASSWORD, longTyped.c_str());
        SetDlgItemTextA(c, IDC_CONFIRM_PASSWORD, longTyped.c_str());
    }});
    Run([&](HWND d) { Press(d, IDC_GUI_CONTROL); });
    EXPECT_FALSE(prescanBox) << "the digitizer offers no prescan";
    EXPECT_FALSE(tablesBox);
    EXPECT_FALSE(tablesUsable);
    EXPECT_EQ(s.image.guiControlMask, 0xFFFFFFFBu);
    EXPECT_EQ(*GetProfile(&s, "Security", "ControlMask"), "FFFFFFFB");
    EXPECT_EQ(limit, 24);
    EXPECT_EQ(std::string(s.image.passwordCode), kept) << "this session's password is the one stored";
    EXPECT_EQ(Described(BoxResponderMessageBoxes()),
              (Texts{"ERROR|Invalid password|" + std::to_string(BOX_ICON_EXCLAMATION),
                     "Change Password|Password changed|" + std::to_string(BOX_ICON_INFORMATION)}));
    const std::string* stored = GetProfile(&s, "Security", "PasswordCode");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->size(), 56u);
    EXPECT_EQ(stored->find_first_not_of("0123456789ABCDEF"), std::string::npos) << *stored;

    // A later session reads the password back and switches protection off.
    memset(s.image.passwordCode, 0, sizeof s.image.passwordCode);
    BoxResponderClear();
    AnswerPassword(kept.c_str());
    bool usableAtOpen = true, usableAfter = false;
    Run([&](HWND d) {
        usableAtOpen = Enabled(d, IDC_TABLE_LIST);
        Press(d, IDC_PASSWORD_PROTECTION);
        usableAfter = Enabled(d, IDC_TABLE_LIST) && Enabled(d, IDC_EXPOSURE_SCROLL);
    });
    EXPECT_EQ(std::string(s.image.passwordCode), kept);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_FALSE(usableAtOpen);
    EXPECT_TRUE(usableAfter);
    EXPECT_EQ(s.image.passwordProtection, 0u);
    EXPECT_EQ(s.image.guiControlMask, 0xFFFFFFFFu);
    EXPECT_EQ(*GetProfile(&s, "Security", "Protection"), "OFF");
}

}  // namespace
