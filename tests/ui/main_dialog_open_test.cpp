// Opening the main dialog: start-up failure, the title by feeder, the
// one-time staging note and the lists it opens with.
#include "main_dialog_fixture.h"

namespace {

const char kStagingNote[] =
    "Note:  Saving the image to disk requires unique staging.\r\nHold the film in front of you as you would "
    "view it on a\r\nlight box.  In batch mode, the first film scanned should\r\nbe at the back of the "
    "stack.\r\n\r\nPlease consult the User Guide for more details.\r\n";

using MainDialogOpen = MainDialogTest;

TEST_F(MainDialogOpen, WithoutADigitizerThereIsNoDialog)
{
    Open("adapters = 0");
    EXPECT_EQ(nullptr, dialog);
    EXPECT_EQ(nullptr, s.host.mainDialog);
    // Nothing is programmed on the way out (no "Error in scan width.").
    EXPECT_EQ(std::vector<std::string>{"ERROR|Unable to find a KALVO Film Digitizer scanner.|1"}, Boxes());
}

TEST_F(MainDialogOpen, TheTitleTellsWhetherTheFeederTakesABatch)
{
    struct Case { const char* config; const char* title; uint32_t multiFilmAfter; };
    const Case cases[] = {
        {"feederPresent = 1\nfeederSupport = 13", "KALVO TWAIN version 5.2    -  Multi Film Support", 1},
        {"feederPresent = 1\nfeederSupport = 12", "KALVO TWAIN version 5.2    -  Single Film", 0},
        {"feederPresent = 0", "KALVO TWAIN version 5.2    -  Single Film", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        Open(c.config, [](TestSession* t) {
            t->image.multiFilmMode = 1;
            t->settings.filmCount = 5;
        });
        ASSERT_NE(nullptr, dialog);
        EXPECT_FALSE(IsWindowVisible(dialog));
        char title[128] = {0};
        EXPECT_STREQ(c.title, (GetWindowTextA(dialog, title, sizeof title), title));
        EXPECT_EQ(c.multiFilmAfter, s.image.multiFilmMode);
        EXPECT_EQ(c.multiFilmAfter ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_MULTI_FILM));
        // The first entry of Num. Films, and the count taken from it.
        EXPECT_EQ("1", DialogText(dialog, IDC_FILM_COUNT));
        EXPECT_EQ(1, s.settings.filmCount);
        EXPECT_EQ("Ready", DialogText(dialog, IDC_STATUS));
        Close();
    }
}

TEST_F(MainDialogOpen, TheFirstTimeStagingNoteIsShownOnce)
{
    Open("", [](TestSession* t) { t->image.flipWarningFirstTime = 1; });
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(std::vector<std::string>{"Warning|" + std::string(kStagingNote) + "|4"}, Boxes());
    EXPECT_EQ(0, s.image.flipWarningFirstTime);
    EXPECT_EQ("OFF", Setting("SAVE_IMG_TO_DISK", "FlipWarningFirstTime"));
    Close();
    Open("");
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
