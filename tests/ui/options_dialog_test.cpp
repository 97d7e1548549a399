// The Advanced Options dialog over the installed virtual digitizer, driven
// through its controls with real messages; boxes and notifications recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "ui/resource.h"

namespace {

const char kConfig[] = "resolutions = 75,150,300\ndepths = 1,8,12\nexposureMin = 10\nexposureMax = 40\n"
                       "exposureDefault = 12\nstatus = 0\n";

void Press(HWND d, int id) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

class Options : public DigitizerSessionTest {
protected:
    // The dialog runs `steps` once it is up, then gets `button`.
    int Run(std::function<void(HWND)> steps, int button = IDCANCEL)
    {
        BoxResponderAdd({"Advanced Options", button, steps});
        return OpenOptionDlg(GetModuleHandleA(nullptr), main, &s.ds);
    }
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

    EXPECT_EQ(Run([&](HWND d) { SetDlgItemTextA(d, IDC_EXPOSURE, "99"); }, IDOK), 0);
    EXPECT_EQ(s.settings.exposure, 40u);
    EXPECT_EQ(s.settings.exposureDefault, 40u);
    EXPECT_EQ(s.host.optionDialog, nullptr);
}

}  // namespace
