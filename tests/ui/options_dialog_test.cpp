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
#include "res/resource.h"

namespace {

using Texts = std::vector<std::string>;

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

size_t Calibrations(const std::string& log)
{
    size_t n = 0;
    for (size_t at = log.find("diagCalibrate"); at != std::string::npos; at = log.find("diagCalibrate", at + 1))
        ++n;
    return n;
}

void AnswerPassword(const char* typed)
{
    BoxResponderAdd({"Password", IDOK, [=](HWND p) { SetDlgItemTextA(p, IDC_PASSWORD_TEXT, typed); }});
}

class Options : public DigitizerSessionTest {
protected:
    void SetUp() override { StartDigitizer(kConfig); }
    // The dialog runs `steps` once it is up, then gets `button`.
    int Run(std::function<void(HWND)> steps, int button = IDCANCEL)
    {
        BoxResponderAdd({"Advanced Options", button, steps});
        return OpenOptionDlg(GetModuleHandleA(nullptr), main, &s.ds);
    }
    // The values notified for an id, as "a" or "a,b" for pairs.
    Texts Values(int32_t id)
    {
        Texts values;
        for (const Notification& n : NotificationsOf(&s, id)) {
            const uint32_t* v = reinterpret_cast<const uint32_t*>(n.bytes.data());
            values.push_back(n.size == 8 ? std::to_string(v[0]) + "," + std::to_string(v[1])
                                         : std::to_string(n.AsU32()));
        }
        return values;
    }
    std::string Setting(const char* section, const char* key)
    {
        const std::string* value = GetProfile(&s, section, key);
        return value ? *value : "(none)";
    }
};

TEST_F(Options, OpensFilledAndOkAppliesWhatEscapeDiscards)
{
    Texts opened;
    EXPECT_EQ(Run([&](HWND d) {
        opened = {DialogText(d, IDC_TABLE_LIST), DialogText(d, IDC_UNITS), DialogText(d, IDC_EXPOSURE),
                  std::to_string(SendDlgItemMessageA(d, IDC_TABLE_LIST, CB_GETCOUNT, 0, 0)),
                  s.host.optionDialog == d ? "kept" : "not kept"};
        SetDlgItemTextA(d, IDC_EXPOSURE, "30");
    }), 0);
    EXPECT_EQ(opened, (Texts{"Linear", "Inches", "12", "8", "kept"}));
    EXPECT_EQ(s.host.optionDialog, nullptr);
    EXPECT_EQ(s.settings.exposure, 12u) << "Escape keeps the typed exposure out";

    s.notifications.clear();
    Texts names;
    Run([&](HWND d) {
        SetDlgItemTextA(d, IDC_EXPOSURE, "99");
        SelectListText(d, IDC_UNITS, "Pixels");
        SelectListText(d, IDC_AVERAGE_COUNT, "4");
        SelectListText(d, IDC_TABLE_LIST, "SQRT");
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_TABLE_LIST, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_TABLE_LIST)));
        names.push_back(s.image.tableName);
        SendMessageA(d, WM_TIMER, 99, 0);
        names = {names[0], s.image.tableName, Setting("TranslationTable", "SQRT")};
    }, IDOK);
    EXPECT_EQ(names, (Texts{"Linear", "SQRT", "(none)"})) << "applied after the timer, stored at OK";
    EXPECT_EQ(Setting("TranslationTable", "SQRT"), "1");
    EXPECT_EQ(Setting("TranslationTable", "Linear"), "0");
    EXPECT_EQ(s.settings.exposure, 40u);
    EXPECT_EQ(s.settings.exposureDefault, 40u);
    EXPECT_EQ(s.settings.units, 3u);
    EXPECT_EQ(Values(8), Texts{"3"});
    EXPECT_EQ(Values(15), Texts{"0,4"});
    EXPECT_EQ(Values(2), Texts{"40"});
    EXPECT_EQ(StubCommandsReceived(IDM_SHOW_SIZE_IN_UNITS), 1);
}

TEST_F(Options, ArrowsStopAtTheirLimitsAndOkCalibratesOnlyForANewExposure)
{
    s.image.bilevelScanning = 1;
    s.image.bitThreshold = 254;
    Texts shown;
    Run([&](HWND d) {
        auto steps = [&](int bar, int code, int times, const char* start) {
            if (start)
                SetDlgItemTextA(d, IDC_THRESHOLD, start);
            Arrow(d, bar, code, times);
            shown.push_back(DialogText(d, bar == IDC_EXPOSURE_SCROLL ? IDC_EXPOSURE : IDC_THRESHOLD));
        };
        steps(IDC_EXPOSURE_SCROLL, SB_LINELEFT, 3, nullptr);
        steps(IDC_EXPOSURE_SCROLL, SB_LINERIGHT, 31, nullptr);
        steps(IDC_THRESHOLD_SCROLL, SB_LINERIGHT, 2, nullptr);
        steps(IDC_THRESHOLD_SCROLL, SB_LINELEFT, 2, "1");
        steps(IDC_THRESHOLD_SCROLL, SB_LINERIGHT, 1, "99999999999999999999");
        steps(IDC_EXPOSURE_SCROLL, SB_LINELEFT, 5, nullptr);
    }, IDOK);
    EXPECT_EQ(shown, (Texts{"10", "40", "255", "0", "255", "35"}));
    EXPECT_EQ(Values(16), (Texts{"1,255", "1,255", "1,0", "1,0", "1,255"}));
    const size_t calibrating = Calibrations(CallLog());
    EXPECT_GT(calibrating, 0u);
    Run([&](HWND) {}, IDOK);
    EXPECT_EQ(Calibrations(CallLog()), calibrating) << "the same exposure needs no calibration";
    EXPECT_EQ(s.settings.exposureDefault, 35u);
}

TEST_F(Options, ChoicesActAtOnceTwelveHighOnlyForTwelveBitsOrientationNotForMemoryTransfers)
{
    FillDepthList(main, &s.ds, 8);
    s.output.transferMode = 2;
    s.image.averageCount = 2;
    Texts seen;
    Run([&](HWND d) {
        seen.push_back(Shown(d, IDC_TWELVE_HIGH) ? "12 HI shown" : "12 HI hidden");
        for (int id : {IDC_DARK_ENHANCE, IDC_AUTO_EJECT, IDC_LINE_AVERAGING, IDC_BILEVEL, IDC_LANDSCAPE,
                       IDC_MAX_LENGTH_51})
            Press(d, id);
        seen.push_back(DialogText(d, IDC_AVERAGE_COUNT) + (Enabled(d, IDC_AVERAGE_COUNT) ? " usable" : " locked"));
    });
    EXPECT_EQ(Values(23), Texts{"0"});
    EXPECT_EQ(Values(13), Texts{"1"});
    EXPECT_EQ(Values(12), Texts{"1"});
    EXPECT_EQ(Values(15), Texts{"1,1"}) << "averaging was off, so the count went back to 1";
    EXPECT_EQ(Values(16), Texts{"1,128"});
    EXPECT_EQ(s.settings.darkEnhance + s.image.autoEject + s.image.lineAveraging + s.image.bilevelScanning, 4u);
    EXPECT_EQ(s.image.landscape, 1u);
    EXPECT_EQ(s.settings.maxLength, 51u);
    EXPECT_EQ(Setting("IMAGE_ORIENT", "Set"), "LANDSCAPE");
    EXPECT_EQ(Setting("IMAGE_SIZESET", "MaxHeight"), "51");

    FillDepthList(main, &s.ds, 12);
    s.output.transferMode = 1;
    s.image.memTransferEnabled = 1;
    Run([&](HWND d) {
        seen.push_back(Shown(d, IDC_TWELVE_HIGH) ? "12 HI shown" : "12 HI hidden");
        Press(d, IDC_TWELVE_HIGH);
        seen.push_back(Checked(d, IDC_TWELVE_HIGH) ? "checked" : "unchecked");
        seen.push_back(Enabled(d, IDC_PORTRAIT) || Enabled(d, IDC_LANDSCAPE) ? "turnable" : "fixed");
        seen.push_back(Checked(d, IDC_PORTRAIT) && !Checked(d, IDC_LANDSCAPE) ? "portrait" : "landscape");
    });
    EXPECT_EQ(seen, (Texts{"12 HI hidden", "1 usable", "12 HI shown", "checked", "fixed", "portrait"}));
    EXPECT_EQ(Values(23), (Texts{"0", "1"}));
    EXPECT_EQ(s.image.landscape, 0u);
}

TEST_F(Options, ProtectionNeedsThePasswordEmptyAtFirstUse)
{
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
    EXPECT_TRUE(guiControlUsable);
    EXPECT_EQ(BoxResponderLines(),
              Texts{"ERROR|Invalid password!|" + std::to_string(BOX_ICON_EXCLAMATION)});
    EXPECT_EQ(Setting("Security", "Protection"), "ON");
    for (int session = 0; session < 2; ++session) {
        EXPECT_EQ(s.image.passwordProtection, 1u);
        EXPECT_EQ(s.image.guiControlMask, 5u) << "protection brings back the kept mask";
        s.image.guiControlMask = 0;
        LoadSecuritySettings(&s.ds);
    }
}

TEST_F(Options, GuiControlLocksGroupsAndChangesThePasswordThatOutlivesTheSession)
{
    s.image.passwordProtection = 1;
    s.image.guiControlMask = 0xFFFFFFFFu;
    s.scanner.prescanCapability = 0;
    const std::string typed = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", kept = typed.substr(0, 24);
    Texts seen;
    AnswerPassword("");
    BoxResponderAdd({"Custom User Interface", IDOK, [&](HWND g) {
        seen.push_back(Checked(g, IDC_LOCK_PRESCAN) || Enabled(g, IDC_LOCK_PRESCAN) ? "prescan box" : "no prescan");
        Press(g, IDC_LOCK_TABLES);
        seen.push_back(Checked(g, IDC_LOCK_TABLES) ? "tables checked" : "tables unchecked");
        seen.push_back(Enabled(static_cast<HWND>(s.host.optionDialog), IDC_TABLE_LIST) ? "usable" : "locked");
        Press(g, IDC_CHANGE_PASSWORD);
        Press(g, IDC_CHANGE_PASSWORD);
    }});
    BoxResponderAdd({"Change Password", IDOK, [](HWND c) {
        SetDlgItemTextA(c, IDC_NEW_PASSWORD, "abc");
        SetDlgItemTextA(c, IDC_CONFIRM_PASSWORD, "abd");
    }});
    BoxResponderAdd({"Change Password", IDOK, [&](HWND c) {
        seen.push_back(std::to_string(SendDlgItemMessageA(c, IDC_NEW_PASSWORD, EM_GETLIMITTEXT, 0, 0)));
        // Set text passes the edit's limit; only 24 characters may be kept.
        SetDlgItemTextA(c, IDC_NEW_PASSWORD, typed.c_str());
        SetDlgItemTextA(c, IDC_CONFIRM_PASSWORD, typed.c_str());
    }});
    Run([&](HWND d) { Press(d, IDC_GUI_CONTROL); });
    EXPECT_EQ(seen, (Texts{"no prescan", "tables unchecked", "locked", "24"}));
    EXPECT_EQ(s.image.guiControlMask, 0xFFFFFFFBu);
    EXPECT_EQ(Setting("Security", "ControlMask"), "FFFFFFFB");
    EXPECT_EQ(std::string(s.image.passwordCode), kept) << "this session's password is the one stored";
    EXPECT_EQ(BoxResponderLines(),
              (Texts{"ERROR|Invalid password|" + std::to_string(BOX_ICON_EXCLAMATION),
                     "Change Password|Password changed|" + std::to_string(BOX_ICON_INFORMATION)}));
    const std::string stored = Setting("Security", "PasswordCode");
    EXPECT_EQ(stored.size(), 56u);
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stored;

    // A later session reads the password back and switches protection off.
    memset(s.image.passwordCode, 0, sizeof s.image.passwordCode);
    BoxResponderClear();
    AnswerPassword(kept.c_str());
    seen.clear();
    Run([&](HWND d) {
        seen.push_back(Enabled(d, IDC_TABLE_LIST) ? "usable" : "locked");
        Press(d, IDC_PASSWORD_PROTECTION);
        seen.push_back(Enabled(d, IDC_TABLE_LIST) && Enabled(d, IDC_EXPOSURE_SCROLL) ? "usable" : "locked");
    });
    EXPECT_EQ(seen, (Texts{"locked", "usable"}));
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(s.image.passwordProtection, 0u);
    EXPECT_EQ(s.image.guiControlMask, 0xFFFFFFFFu);
    EXPECT_EQ(Setting("Security", "Protection"), "OFF");
}

}  // namespace
