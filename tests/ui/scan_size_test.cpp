// The Scan Size dialog over the installed virtual digitizer (14-inch bed),
// driven through its controls; the message boxes are recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "scanner/scan_lists.h"
#include "ui/film_sizes.h"
#include "res/resource.h"
#include "ui/scan_size_dialog.h"

namespace {

const char kConfig[] = "bedWidth = 14\nresolutions = 75,150,300,400\nstatus = 0\n";

std::string Items(HWND dialog)
{
    std::string all;
    LRESULT count = SendDlgItemMessageA(dialog, IDC_FILM_SIZE_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = {0};
        SendDlgItemMessageA(dialog, IDC_FILM_SIZE_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        all += (i ? "," : "") + std::string(text);
    }
    return all;
}

LRESULT SlotOf(HWND d, LRESULT i) { return SendDlgItemMessageA(d, IDC_FILM_SIZE_LIST, LB_GETITEMDATA, i, 0); }
void Press(HWND d, int id) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void Type(HWND dialog, const char* text, int button)
{
    SetDlgItemTextA(dialog, IDC_FILM_SIZE_EDIT, text);
    Press(dialog, button);
}

void Select(HWND dialog, LRESULT item)
{
    SendDlgItemMessageA(dialog, IDC_FILM_SIZE_LIST, LB_SETCURSEL, item, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILM_SIZE_LIST, LBN_SELCHANGE), 0);
}

class ScanSize : public DigitizerSessionTest {
protected:
    void SetUp() override { StartDigitizer(kConfig); }
    int Run(std::function<void(HWND)> steps, int button = IDOK)
    {
        BoxResponderAdd({"Scan Size", button, steps});
        return OpenScanSizeDlg(GetModuleHandleA(nullptr), main, &s.ds);
    }
};

static_assert(BOX_ICON_EXCLAMATION == 2, "the icon code in the box texts below");
const std::string kSizeBox = "ERROR|Bad film size. Please enter a legal size.|2";    // exclamation
const std::string kWidthBox = "ERROR|Bad film width. Please enter a legal size.|2";

TEST_F(ScanSize, CentimetresShowTheListAndLimitTheWidth)
{
    s.settings.units = 2;
    std::string shown, edit;
    EXPECT_EQ(Run([&](HWND d) {
                  shown = Items(d);
                  edit = DialogText(d, IDC_FILM_SIZE_EDIT);
                  Type(d, "35.5x43.2", IDC_FILM_SIZE_ADD);
                  Type(d, "35.6x43.2", IDC_FILM_SIZE_ADD);
              }),
              1);
    EXPECT_EQ(shown, "35.6X43.2,35.6X35.6,27.9X35.6,25.4X30.5,24.1X24.1,20.3X25.4,17.8X43.2,"
                     "15.2X30.5,12.7X30.5,12.7X17.8");
    EXPECT_EQ(edit, "35.6X43.2");
    EXPECT_STREQ(filmSizeSlots[11].text, "14.0X17.0");
    EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{kWidthBox});
    // 14X51 is hidden with 17-inch films, so it leaves the list.
    EXPECT_EQ(*GetProfile(&s, "IMAGE_SIZESET", "Set"),
              "14X17,14X14,11X14,10X12,9.5X9.5,8X10,7X17,6X12,5X12,5X7,14X17");
    EXPECT_EQ(*GetProfile(&s, "IMAGE_SIZESET", "Current"), "14X17");
}

TEST_F(ScanSize, RefusedSizesSlotsAndTheChosenSize)
{
    s.settings.units = 1;
    s.settings.resolution = 300;
    s.settings.autoSize = 0;
    s.image.guiControlMask = 0xFFFFFFFFu;
    FillResolutionList(main, &s.ds);
    // A piece too long for a slot is skipped, never copied past it.
    SetProfile(&s, "IMAGE_SIZESET", "Set", "14X17," + std::string(40, '9') + "X17,8X10");
    SetProfile(&s, "IMAGE_SIZESET", "Current", "14x17");
    std::string before, after;
    std::vector<LRESULT> slots;
    EXPECT_EQ(Run([&](HWND d) {
                  before = Items(d);
                  for (const char* bad : {"15X17", "0X17", "X17", "1e30X17", "14X1e30", "-2X17"})
                      Type(d, bad, IDC_FILM_SIZE_ADD);
                  Type(d, "14X60", IDC_FILM_SIZE_ADD);
                  Type(d, "9.5x9.5", IDC_FILM_SIZE_ADD);
                  slots = {SlotOf(d, 2), SlotOf(d, 3)};
                  Select(d, 2);
                  Press(d, IDC_FILM_SIZE_DELETE);
                  Type(d, "11X14", IDC_FILM_SIZE_ADD);
                  slots.push_back(SlotOf(d, 3));
                  Select(d, 1);
                  Type(d, "10X12", IDC_FILM_SIZE_MODIFY);
                  Select(d, 0);
                  after = Items(d);
              }),
              1);
    EXPECT_EQ(before, "14X17,8X10");
    EXPECT_EQ(slots, (std::vector<LRESULT>{2, 3, 2}));
    EXPECT_EQ(after, "14X17,9.5x9.5,11X14,10X12");
    EXPECT_EQ(BoxResponderLines(), (std::vector<std::string>{kWidthBox, kSizeBox, kSizeBox, kSizeBox, kSizeBox,
                                                 kSizeBox}));
    EXPECT_EQ(*GetProfile(&s, "IMAGE_SIZESET", "Set"), "14X17,9.5X9.5,11X14,10X12");
    EXPECT_EQ(*GetProfile(&s, "IMAGE_SIZESET", "Current"), "14X17");
    EXPECT_EQ(s.settings.scanPixels, 4200u);
    EXPECT_EQ(s.settings.scanLines, 5100u);
    EXPECT_EQ(DialogText(main, IDC_WIDTH), "14.0");
    EXPECT_EQ(DialogText(main, IDC_LENGTH), "17.0");
}

// 64 sizes are longer than 512 characters: none may be lost or cut.
TEST_F(ScanSize, AFullListSurvivesOpenAndOk)
{
    std::string set = "14X17";
    for (int i = 1; i < FILM_SIZE_SLOTS; ++i)
        set += "," + std::to_string(i % 4 + 10) + ".5X" + std::to_string(i % 4 + 10) + ".5";
    SetProfile(&s, "IMAGE_SIZESET", "Set", set + ",5X7");
    EXPECT_EQ(Run([](HWND) {}), 1);
    EXPECT_EQ(*GetProfile(&s, "IMAGE_SIZESET", "Set"), set) << "the 65th size is ignored";
}

}  // namespace
