// The batch output dialog as the operator uses it: names built from the
// folder, the typed name and the format; the 260-byte slot; the overwrite
// question; the format list following the session.
#include "dialog_test_support.h"

#include <stddef.h>
#include <string.h>

#include "frame/text_copy.h"
#include "res/resource.h"

namespace {

const int kName1 = IDC_BATCH_NAME_FIRST;

std::string Formats(HWND d)
{
    std::string all;
    LRESULT count = SendDlgItemMessageA(d, IDC_FILE_FORMAT_LIST, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = "";
        SendDlgItemMessageA(d, IDC_FILE_FORMAT_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        all += (all.empty() ? "" : ",") + std::string(text);
    }
    return all;
}

class BatchDialog : public DialogTest {
protected:
    void Session(const char* format, uint32_t films, const std::string& savePath)
    {
        s.output.transferMode = 2;
        s.settings.filmCount = static_cast<uint8_t>(films);
        CopyText(s.output.formatName, sizeof s.output.formatName, format);
        CopyText(s.output.savePath, sizeof s.output.savePath, savePath.c_str());
    }
    int32_t Run() { return OpenOutFileDlg(nullptr, nullptr, &s.ds); }
    std::string Name(int film) const { return s.output.batchNames[film - 1]; }
};

TEST_F(BatchDialog, NamesJoinFolderTypedNameAndExtension)
{
    Session("TIFF", 4, folder);
    OnDialog("File Naming", IDOK, [&](HWND d) {
        EXPECT_EQ("Bitmap,TIFF", Formats(d));
        EXPECT_EQ("TIFF", DialogText(d, IDC_FILE_FORMAT_LIST));
        EXPECT_EQ("Untitled1.tif|Untitled4.tif|", DialogText(d, kName1) + "|" + DialogText(d, kName1 + 3) + "|" +
                                                     DialogText(d, kName1 + 4));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, kName1 + 4)));
        Type(d, kName1, "a");
        Type(d, kName1 + 1, "b.bmp");
        Type(d, kName1 + 2, "x.jpeg");
        Type(d, kName1 + 3, "c.TIF");
    });
    ASSERT_EQ(1, Run());
    EXPECT_EQ(InFolder("a.tif"), Name(1));
    EXPECT_EQ(InFolder("b.tif"), Name(2));
    EXPECT_EQ(InFolder("x.jpeg.tif"), Name(3));
    EXPECT_EQ(InFolder("c.tif"), Name(4));
    EXPECT_EQ(Name(1), s.output.outputPath);
    EXPECT_EQ(folder, *GetProfile(&s, "SAVE_IMG_TO_DISK", "SavePath"));
    EXPECT_EQ(Name(1), *GetProfile(&s, "SAVE_IMG_TO_DISK", "FileName"));
    EXPECT_EQ(nullptr, s.host.batchDialog);
    EXPECT_FALSE(FileExists(Name(1)));  // the trial files are removed
}

TEST_F(BatchDialog, PickedFormatAppliesAThirdOfASecondLaterAndAutoNumberFollowsIt)
{
    Session("Bitmap", 3, folder);
    OnDialog("File Naming", IDCANCEL, [&](HWND d) {
        EXPECT_EQ("Untitled1.bmp", DialogText(d, kName1));
        SendDlgItemMessageA(d, IDC_FILE_FORMAT_LIST, CB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_FILE_FORMAT_LIST, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_FILE_FORMAT_LIST)));
        EXPECT_EQ("Untitled1.bmp", DialogText(d, kName1));
        PumpFor(600);
        EXPECT_EQ("Untitled1.tif", DialogText(d, kName1));
        EXPECT_EQ("Untitled3.tif", DialogText(d, kName1 + 2));
        EXPECT_STREQ("TIFF", s.output.formatName);
        Type(d, kName1, "chest.tif");
        Press(d, IDC_AUTO_NUMBER);
        EXPECT_EQ("chest1.tif|chest2.tif|chest3.tif",
                  DialogText(d, kName1) + "|" + DialogText(d, kName1 + 1) + "|" + DialogText(d, kName1 + 2));
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(nullptr, s.host.batchDialog);
    EXPECT_EQ("TIFF", NotificationsOf(&s, 1).back().AsText());
}

TEST_F(BatchDialog, FormatListFollowsTheTransferModeWhileOpen)
{
    Session("TIFF", 1, folder);
    OnDialog("File Naming", IDCANCEL, [&](HWND d) {
        EXPECT_EQ("", DialogText(d, kName1 + 1));  // one film: one name
        uint32_t memory = 1;
        SyncScannerParams(5, &memory, sizeof memory, &s.ds);
        EXPECT_EQ("Bitmap", Formats(d));
    });
    Run();
    OnDialog("File Naming", IDCANCEL, [&](HWND d) { EXPECT_EQ("Bitmap,TIFF", Formats(d)); });
    EXPECT_EQ(0, ForceOpenOutFileDlg(nullptr, nullptr, &s.ds));
    EXPECT_EQ(2u, BoxResponderSeen().size());
}

// The longest name taken is the longest a scan can write: 241 characters,
// which leave room for the scan's part files beside it.
TEST_F(BatchDialog, NamesAScanCanWritePassAndLongerOnesAreRefused)
{
    // Film 1 makes a full name of 241 characters, film 2 one of 242.
    std::string deep = InFolder(std::string(120, 'd'));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    size_t room = 241 - deep.size() - 1 - 4;
    Session("TIFF", 2, deep);
    const std::string tooLong = "Error|Image save path is too long.  Please shorten it and try again.|stop";
    OnDialog("File Naming", 0, [&](HWND d) {
        Type(d, kName1, std::string(room, 'n'));
        Type(d, kName1 + 1, std::string(room + 1, 'm'));
        Press(d, IDOK);
        EXPECT_EQ(tooLong, LastBox());
        ASSERT_TRUE(IsWindow(d));
        EXPECT_EQ(241u, Name(1).size());
        EXPECT_EQ("Untitled2.tif", Name(2));
        Type(d, kName1 + 1, std::string(1500, 'z'));
        Type(d, IDC_SAVE_PATH, std::string(300, 'p'));
        Press(d, IDOK);
        Type(d, IDC_SAVE_PATH, deep);
        Press(d, IDOK);
        EXPECT_EQ(3u, BoxResponderMessageBoxes().size());
        EXPECT_EQ(tooLong, LastBox());
        EXPECT_STREQ(deep.c_str(), s.output.savePath);
        Type(d, kName1 + 1, std::string(room, 'm'));
        Press(d, IDOK);
    });
    ASSERT_EQ(1, Run());
    EXPECT_EQ(deep + "\\" + std::string(room, 'm') + ".tif", Name(2));
    EXPECT_EQ(241u, strlen(s.output.outputPath));
}

TEST_F(BatchDialog, OverwriteQuestionKeepsTheEarlierImage)
{
    Session("TIFF", 2, folder + "\\");  // a folder ending in a separator gets no second one
    WriteFileText(InFolder("b.tif"), "earlier image");
    OnDialog("File Naming", 0, [&](HWND d) {
        Type(d, kName1, "a");
        Type(d, kName1 + 1, "b");
        BoxResponderAdd({"", IDCANCEL, nullptr});
        Press(d, IDOK);
        ASSERT_TRUE(IsWindow(d));
        EXPECT_EQ(d, s.host.batchDialog);
        EXPECT_EQ("Warning|" + InFolder("b.tif") +
                      " is already existing.\nSelect OK to overwrite.\nSelect CANCEL to return.|exclamation",
                  LastBox());
        EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), BoxResponderMessageBoxes().back().buttons);
        EXPECT_EQ("a", DialogText(d, kName1));  // a second OK must not add the folder twice
        BoxResponderAdd({"", IDOK, nullptr});
        Press(d, IDOK);
    });
    ASSERT_EQ(1, Run());
    EXPECT_EQ(InFolder("a.tif"), Name(1));
    EXPECT_EQ(InFolder("b.tif"), Name(2));
    EXPECT_EQ("earlier image", ReadFileText(Name(2)));  // until a scan finishes (output placement)
}

TEST_F(BatchDialog, BrowsePutsTheChosenFolderIntoTheSavePath)
{
    std::string sub = InFolder("chosen");
    CreateDirectoryA(sub.c_str(), nullptr);
    Session("TIFF", 1, folder);
    OnDialog("File Naming", IDCANCEL, [&](HWND d) {
        OnDialog("Output Image File Name", IDOK, [&](HWND open) {
            SetDlgItemTextA(open, 0x47c, (sub + "\\pic.tif").c_str());  // the file name box
        });
        Press(d, IDC_BROWSE);
        EXPECT_EQ(sub, DialogText(d, IDC_SAVE_PATH));
    });
    Run();
    EXPECT_EQ(sub, s.output.savePath);
}

// A folder ending in either separator gets no second one; one ending in
// neither gets one.
TEST_F(BatchDialog, FolderGetsExactlyOneSeparator)
{
    for (const std::string& end : {std::string("\\"), std::string("/"), std::string()}) {
        SCOPED_TRACE(end);
        BoxResponderClear();
        Session("Bitmap", 1, folder + end);
        OnDialog("File Naming", 0, [&](HWND d) {
            Type(d, kName1, "hand");
            Press(d, IDOK);
        });
        ASSERT_EQ(1, Run());
        EXPECT_EQ(folder + (end.empty() ? "\\" : end) + "hand.bmp", Name(1));
    }
}

// A full batch: the 25th film gets its name, and nothing is written past it.
TEST_F(BatchDialog, TheTwentyFifthFilmIsNamedAndThereIsNoTwentySixth)
{
    for (uint32_t films : {24u, 25u, 26u}) {
        SCOPED_TRACE(films);
        BoxResponderClear();
        Session("Bitmap", films, folder);
        memset(s.output.batchNames, 0, sizeof s.output.batchNames);
        const OutputSettings before = s.output;
        OnDialog("File Naming", 0, [&](HWND d) {
            EXPECT_EQ(films >= 25, IsWindowEnabled(GetDlgItem(d, kName1 + 24)) != FALSE);
            Press(d, IDOK);
        });
        ASSERT_EQ(1, Run());
        const uint32_t named = films < 25 ? films : 25;
        for (uint32_t film = 1; film <= 25; ++film)
            EXPECT_EQ(film <= named ? InFolder("Untitled" + std::to_string(film) + ".bmp") : "", Name(film))
                << film;
        // What follows the 25 names in the record is untouched.
        const size_t after = offsetof(OutputSettings, batchNames) + sizeof s.output.batchNames;
        EXPECT_EQ(0, memcmp(reinterpret_cast<const char*>(&before) + after,
                            reinterpret_cast<const char*>(&s.output) + after, 260));
    }
}

}  // namespace
