// The main dialog's controls through real messages: the lists, the
// toggles, leaving, the Pre Scan button and the size timer (the Scan
// button and its film: the host's scripted runs).
#include "main_dialog_fixture.h"

#include <cstring>

#include "frame/memgroups.h"

namespace {

const char kFeeder[] = "feederPresent = 1\nfeederSupport = 13\n";

// The window manager hands the foreground over asynchronously.
HWND ForegroundOnceSettled(HWND expected)
{
    for (int round = 0; round < 25 && GetForegroundWindow() != expected; ++round) {
        Sleep(20);
        PumpPending();
    }
    return GetForegroundWindow();
}

class MainDialogCommands : public MainDialogTest {
protected:
    SessionImage images[2] = {};
    std::string listFile = TestTempPath("imglst.inf"), namesFile = TestTempPath("imgs.lst");
    std::string imageFile[2] = {TestTempPath("film1.tif"), TestTempPath("film2.tif")};
    char listPath[128] = {0};

    // Two scanned images in the session, their files on disk, and the lists.
    void AddSessionImages()
    {
        for (int i = 0; i < 2; ++i) {
            std::ofstream(imageFile[i]) << "image";
            snprintf(images[i].name, sizeof images[i].name, "%s", imageFile[i].c_str());
        }
        images[0].next = &images[1];
        s.output.sessionImages = &images[0];
        snprintf(listPath, sizeof listPath, "%s", listFile.c_str());
        s.output.imageListPath = listPath;
        s.output.imageNamesFile = namesFile.c_str();
        std::ofstream(namesFile) << "old\n";
    }
    void Choose(int list, const char* text)
    {
        ASSERT_TRUE(SelectListText(dialog, list, text));
        Press(list, CBN_SELCHANGE);
    }
};

TEST_F(MainDialogCommands, DepthTwelveMeansTwelveHigh)
{
    Open("");
    Choose(IDC_DEPTH, "12");
    EXPECT_EQ(12u, s.settings.bitDepth);
    EXPECT_EQ(1u, s.image.twelveHigh);
    Choose(IDC_DEPTH, "16");
    EXPECT_EQ(0u, s.image.twelveHigh);
}

TEST_F(MainDialogCommands, MultiFilmModeNeedsTheFeederAndSavesToDisk)
{
    Open(kFeeder, [](TestSession* t) { t->image.flipWarning = 1; });
    BoxResponderAdd({"", IDNO, nullptr});
    Press(IDC_MULTI_FILM);
    EXPECT_EQ(1u, s.image.multiFilmMode);
    EXPECT_EQ(1u, NotificationsOf(&s, 22).back().AsU32());
    EXPECT_EQ(1u, s.image.saveToDisk);
    EXPECT_EQ(1u, s.image.autoEject);
    EXPECT_EQ("ON", Setting("SAVE_IMG_TO_DISK", "Set"));
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_NE(std::string::npos, Boxes()[0].find("\r\nDo you want to see this message in the future?\r\n|4"));
    EXPECT_EQ(0, s.image.flipWarning);
    EXPECT_EQ("OFF", Setting("SAVE_IMG_TO_DISK", "FlipWarning"));
    Press(IDC_SAVE_TO_DISK);
    EXPECT_EQ("OFF", Setting("SAVE_IMG_TO_DISK", "Set"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILE_FORMAT)));
    Close();

    Open("feederPresent = 0");
    Press(IDC_MULTI_FILM);
    EXPECT_EQ(std::vector<std::string>{"ERROR|NQT Norvanta Not Detected...|2"}, Boxes());
    EXPECT_EQ(0u, s.image.multiFilmMode);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_MULTI_FILM));
}

TEST_F(MainDialogCommands, SwitchingAutoSizeOffDiscardsThePreviewAndItsSelection)
{
    Open("");
    int32_t group = FC_NO_GROUP;
    ASSERT_EQ(0, MemGetGroupID(&group));
    s.settings.prescanGroup = group;
    s.settings.prescanInfo = MemGetBuffer(group, 64);
    SetDlgItemTextA(dialog, IDC_SEL_X1, "X1:   1.00 in");
    BoxResponderAdd({"", IDYES, nullptr});
    Press(IDC_AUTO_SIZE);
    EXPECT_EQ(std::vector<std::string>{"WARNING|You are about to discard the preview image.\nAre you sure?|3"}, Boxes());
    EXPECT_EQ(FC_NO_GROUP, s.settings.prescanGroup);
    EXPECT_EQ("", DialogText(dialog, IDC_SEL_X1));
    EXPECT_EQ(0u, s.settings.autoSize);
    EXPECT_EQ(0u, NotificationsOf(&s, 14).back().AsU32());
}

TEST_F(MainDialogCommands, ExitWritesBothListsAndAsksTheHostToClose)
{
    Open("");
    AddSessionImages();
    const uint64_t slept = ClockSleptTotal();
    Press(IDOK);
    EXPECT_EQ(2LL * SESSION_IMAGE_BYTES, FileSize(listFile));
    // A text file: Windows ends its lines with CR LF.
    EXPECT_EQ(imageFile[0] + "\r\n" + imageFile[1] + "\r\n", ReadFileText(namesFile));
    EXPECT_EQ(1, closeRequests);
    EXPECT_GE(ClockSleptTotal() - slept, 500u);
    std::remove(listFile.c_str());
}

TEST_F(MainDialogCommands, CancelThrowsTheSessionAwayOnlyWhenConfirmed)
{
    const std::string question =
        "WARNING|YOU ARE GOING TO THROW AWAY ALL OF THE IMAGES YOU HAVE SCANNED IN THIS SESSION!!!\n\nARE YOU SURE?|3";
    Open("");
    AddSessionImages();
    BoxResponderAdd({"", IDNO, nullptr});
    Press(IDCANCEL);
    EXPECT_EQ(std::vector<std::string>{question}, Boxes());
    EXPECT_EQ(0, closeRequests);
    EXPECT_EQ(5, FileSize(imageFile[0]));

    BoxResponderAdd({"", IDYES, nullptr});
    Press(IDCANCEL);
    EXPECT_EQ(-1, FileSize(imageFile[0]));
    EXPECT_EQ(-1, FileSize(imageFile[1]));
    EXPECT_EQ(-1, FileSize(namesFile));
    EXPECT_EQ(1, closeRequests);

    // No images: no question.
    s.output.sessionImages = nullptr;
    BoxResponderClear();
    Press(IDCANCEL);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(2, closeRequests);

    // During a scan Cancel only stops it.
    s.settings.scanState = 1;
    Press(IDCANCEL);
    EXPECT_EQ(0u, s.settings.scanState);
    EXPECT_EQ(1u, s.settings.stopBatch);
    EXPECT_EQ(2, closeRequests);
}

TEST_F(MainDialogCommands, DecliningThePrescanNoteStopsTheNote)
{
    Open(kFeeder, [](TestSession* t) {
        t->image.prescanNote = 1;
        t->image.multiFilmMode = 1;
    });
    BoxResponderAdd({"", IDNO, nullptr});
    Press(IDC_PRESCAN);
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(0, Boxes()[0].find("Warning|Note:  Prescan is not available in multi-film mode.\r\n"));
    EXPECT_EQ(0, s.image.prescanNote);
    EXPECT_EQ("OFF", Setting("PRESCAN_INFO", "PrescanInfo"));
    EXPECT_EQ(0u, s.image.multiFilmMode);
    EXPECT_NE(nullptr, s.settings.prescanInfo);
    EXPECT_EQ(1u, s.image.previewActive);
    Close();

    // The film load cancelled: the reload does not offer the old preview.
    Open(std::string(kFeeder) + "stage = 5\nfailCalls = loadMedium\n");
    BoxResponderAdd({"Failed to load a film", IDCANCEL, nullptr});
    Press(IDC_PRESCAN);
    EXPECT_EQ(0u, s.image.previewActive);
}

TEST_F(MainDialogCommands, TheSizeTimerShowsTheImageSizeOfTheFields)
{
    Open("", [](TestSession* t) { t->settings.units = 2; });
    s.settings.resolution = 150;
    s.settings.bitDepth = 8;
    SetDlgItemTextA(dialog, IDC_WIDTH, "14.0");
    SetDlgItemTextA(dialog, IDC_LENGTH, "0.1");
    SendMessageA(dialog, WM_TIMER, 199, 0);
    // 14.0 cm at 150 dpi: 826 pixels; 0.1 cm: 5 lines.
    EXPECT_EQ("4130", DialogText(dialog, IDC_IMAGE_SIZE));
}

TEST_F(MainDialogCommands, OnlyImageProPlusLosesTheForegroundToTheDialog)
{
    Open("");
    ShowWindow(dialog, SW_SHOW);
    for (const char* title : {"IMAGE-PRO PLUS", "Image-Pro Plus 2"}) {
        SCOPED_TRACE(title);
        HWND other = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(other);
        ASSERT_EQ(other, ForegroundOnceSettled(other));
        SendMessageA(dialog, WM_TIMER, 199, 0);
        const HWND expected = std::strcmp(title, "IMAGE-PRO PLUS") == 0 ? dialog : other;
        // Watched for the dialog either way, so a wrong pull has its time too.
        EXPECT_EQ(expected, ForegroundOnceSettled(dialog));
        DestroyWindow(other);
    }
}

}  // namespace
