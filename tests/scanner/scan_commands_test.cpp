// The scan commands against the installed virtual digitizer, with the
// virtual clock and a stand-in main dialog: waiting for the digitizer, film
// feeding, the batch loop, the memory transfer and the prescan.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "box_responder.h"
#include "kit_spy.h"
#include "frame/clock.h"
#include "frame/status_line.h"
#include "frame/text_copy.h"
#include "scanner/batch_scan.h"
#include "scanner/digitizer_wait.h"
#include "scanner/film_feed.h"
#include "scanner/prescan.h"
#include "scanner/scan_command.h"
#include "scanner/scan_lists.h"
#include "digitizer/toolkit.h"
#include "main_dialog_stub.h"
#include "test_files.h"
#include "res/resource.h"

namespace {

const char kLost[] = "ERROR. Lost communication with digitizer.";
const char kTracking[] = "Please wait. Digitizer is in tracking mode.";
const char kFeedText[] = "Check film(s) in film feeder. Click Retry button when ready";
const char kDepthWarning[] =
    "Currently selected file format does not support\n12 or 16 bit scanning mode.  Please change file format";

const std::vector<std::string> kStageModeOne = {"setFDStageMode(1)"}, kStageModeTwo = {"setFDStageMode(2)"};

int Count(const std::vector<std::string>& texts, const std::string& text)
{
    return int(std::count(texts.begin(), texts.end(), text));
}

std::string Output(const char* name)
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    return std::string(cwd) + "\\commands_out\\" + name;
}

class ScanCommands : public DigitizerSessionTest {
protected:
    void Start(const std::string& config, int depth = 8)
    {
        CreateDirectoryA(Output("").c_str(), nullptr);
        StartDigitizer(config);
        ASSERT_FALSE(HasFatalFailure());
        PutSpyInFront();
        ClearCalls();
        s.settings.resolution = 75;
        FillResolutionList(main, &s.ds);
        FillDepthList(main, &s.ds, depth);
        CopyText(s.output.formatName, sizeof s.output.formatName, "Bitmap");
        BoxResponderClear();
    }

    void MultiFilm(int films)
    {
        s.image.multiFilmMode = 1;
        FillFilmCountList(main, &s.ds);
        SetFilmCount(main, &s.ds, films);
    }

    bool ScanEnabled() { return IsWindowEnabled(GetDlgItem(main, IDC_SCAN)) != FALSE; }

    void TearDown() override
    {
        DeleteFileA("c:\\nqt\\temp\\nXfer.bmp");
        DigitizerSessionTest::TearDown();
    }
};

TEST_F(ScanCommands, WaitForDigitizerIsBoundedAndTellsTheOperator)
{
    // config, result, last status ("" none), tracking notices, ms slept
    const struct { const char* config; int result; const char* lastStatus; int trackingNotes; uint64_t sleptMs; } cases[] = {
        {"unitReady = ready", 1, "", 0, 0},
        {"unitReady = tracking,tracking,ready", 1, kTracking, 1, 2000},
        {"unitReady = lost", 0, kLost, 0, 0},
        // Sense data that never clears, and tracking that never ends.
        {"unitReady = stuck", 0, kLost, 0, 0},
        {"unitReady = tracking", 0, kLost, 1, 1000ull * DIGITIZER_TRACKING_ROUNDS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.config);
        Start(c.config);
        const uint64_t before = ClockSleptTotal();
        EXPECT_EQ(c.result, WaitForDigitizerReady(main));
        EXPECT_EQ(c.sleptMs, ClockSleptTotal() - before);
        const std::vector<std::string>& status = StubStatusHistory();
        EXPECT_EQ(c.lastStatus, status.empty() ? std::string() : status.back());
        EXPECT_EQ(c.trackingNotes, Count(status, kTracking));
        if (std::string(c.config) == "unitReady = stuck") {
            EXPECT_EQ(DIGITIZER_SENSE_READS, CallCount("doRequestSense"));
        }
        if (c.result == 0) {
            // Nothing else happens once the digitizer is lost.
            EXPECT_EQ(-1, LoadFilmAndScan(main, &s.ds));
            EXPECT_EQ(0, CallCount("stageFilmInFD"));
        }
        TearDown();
    }
}

TEST_F(ScanCommands, FilmCountZeroScansNothingAndCancelDuringFilmTwoOfThreeEndsTheBatch)
{
    Start("");
    s.settings.filmCount = 0;
    RunBatchScan(main, &s.ds);
    EXPECT_EQ(kStageModeOne, CallsStartingWith("setFDStageMode"));
    EXPECT_EQ(0, CallCount("stageFilmInFD") + StubCommandsReceived(IDM_REPAINT_PROGRESS));
    MultiFilm(3);
    StubCancelAfterProgress(1, 2);
    RunBatchScan(main, &s.ds);
    PumpPending();
    const std::vector<std::string>& status = StubStatusHistory();
    EXPECT_EQ(1, Count(status, "Scan Completed Successfully."));
    EXPECT_EQ("Scan Cancelled.", status.back());
    EXPECT_EQ(2, CallCount("stageFilmInFD"));
    EXPECT_EQ(2, CallCount("unloadMedium"));
    EXPECT_EQ("setFDStageMode(1)", CallsStartingWith("setFDStageMode").back());
    EXPECT_EQ(2, StubCommandsReceived(IDM_SCAN_FINISHED));
    EXPECT_TRUE(ScanEnabled());
}

TEST_F(ScanCommands, ARegionAfterABatchIsFilmOneAndNamesItsOutput)
{
    Start("films = 4\n");  // one left in the feeder for the region
    s.image.saveToDisk = 1;
    CopyText(s.output.formatName, sizeof s.output.formatName, "TIFF");
    CopyText(s.output.hostFileName, sizeof s.output.hostFileName, Output("host.tif").c_str());
    MultiFilm(3);
    const auto name = [&](const char* first) {
        return [&, first](HWND batch) {
            SetDlgItemTextA(batch, IDC_SAVE_PATH, Output("").c_str());
            for (int film = 1; film <= 3; ++film)
                SetDlgItemTextA(batch, IDC_BATCH_NAME_FIRST + film - 1, (first + std::to_string(film)).c_str());
        };
    };
    const std::string last = Output("run3.tif");
    for (int film = 1; film <= 3; ++film)
        DeleteFileA(Output(("run" + std::to_string(film) + ".tif").c_str()).c_str());
    BoxResponderAdd({"File Naming", IDOK, name("run")});
    RunBatchScan(main, &s.ds);
    PumpPending();
    const long long lastSize = FileSize(last);
    ASSERT_GT(lastSize, 100000);

    // The region scan names its film afresh; the operator cancels the naming.
    BoxResponderClear();
    BoxResponderAdd({"File Naming", IDCANCEL, nullptr});
    EXPECT_EQ(-1, ScanSelectedRegion(main, &s.ds));
    EXPECT_EQ(1, s.settings.currentFilm);
    ASSERT_EQ(1u, BoxResponderSeen().size());
    EXPECT_EQ("File Naming", BoxResponderSeen()[0].caption);
    EXPECT_EQ(lastSize, FileSize(last));
    EXPECT_EQ(3, CallCount("stageFilmInFD"));  // nothing was fed for it

    // Named afresh, the region goes to its own file and the batch's files stay.
    BoxResponderClear();
    BoxResponderAdd({"File Naming", IDOK, name("region")});
    EXPECT_EQ(1, ScanSelectedRegion(main, &s.ds));
    EXPECT_EQ(Output("region1.tif"), std::string(s.output.outputPath));
    EXPECT_GT(FileSize(Output("region1.tif")), 100000);
    EXPECT_EQ(lastSize, FileSize(last));
    EXPECT_EQ(std::vector<std::string>{}, BoxResponderLines());
    for (const char* first : {"run", "region"})
        for (int film = 1; film <= 3; ++film)
            DeleteFileA(Output((first + std::to_string(film) + ".tif").c_str()).c_str());
}

TEST_F(ScanCommands, FilmInTheTransportIsNotStaged)
{
    Start("");
    ASSERT_EQ(0, Toolkit()->loadMedium());
    EXPECT_EQ(0x0F, RequestFeederPosition());
    const long long logBefore = std::max(0LL, FileSize("c:\\nqt\\twnqt32.log"));
    EXPECT_EQ(0, FeedFilm(main, &s.ds, FEED_FOR_SCAN));
    EXPECT_EQ(0, CallCount("stageFilmInFD") + CallCount("setFDStageMode"));
    EXPECT_EQ(0, Count(StubStatusHistory(), "Loading film..."));
    EXPECT_EQ(logBefore + static_cast<long long>(strlen("Get paper sensor")), FileSize("c:\\nqt\\twnqt32.log"));
}

// The paper sensor sees a film; the feeder reports it at the exit (0x0D) or
// in the transport (0x0F), where there is nothing to stage, or elsewhere.
TEST_F(ScanCommands, FeederPositionDecidesWhetherTheFilmIsStaged)
{
    static uint8_t position;
    const struct { uint8_t position; bool staged; } cases[] = {
        {0x0D, false}, {0x0F, false}, {0x0C, true}, {0x0E, true}, {0x00, true},
    };
    Start("");
    ScanKit kit = *Toolkit();
    kit.getPaperStatus = [](uint8_t* sensor) -> TkStatus { sensor[0] = 1; return 0; };
    kit.Diagnostics = [](const uint8_t* command, uint16_t, uint8_t* reply, uint16_t length) -> TkStatus {
        if (command[0] == 0x8E)
            std::snprintf(reinterpret_cast<char*>(reply), length, "8E 00%02X", position);
        return 6;
    };
    ToolkitInstall(&kit);  // over the spy Start put in front
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << int(c.position));
        position = c.position;
        ClearCalls();
        ResetScanDialogStub();
        ForgetScanStatus();  // each case's texts counted afresh
        EXPECT_EQ(c.position, RequestFeederPosition());
        EXPECT_EQ(0, FeedFilm(main, &s.ds, FEED_FOR_SCAN));
        EXPECT_EQ(c.staged ? 1 : 0, CallCount("stageFilmInFD"));
        EXPECT_EQ(c.staged ? 1 : 0, Count(StubStatusHistory(), "Loading film..."));
        Toolkit()->unloadMedium();  // the next case starts without a film
    }
}

// config, feed, answers to the box, result, ms slept, time-out status ("" none)
struct FeedCase { const char* config; FeedKind kind; std::vector<int> answers; int result; uint64_t sleptMs; const char* timeOutText; };

TEST_F(ScanCommands, StagingAnswersAndTheRetryCancelBox)
{
    // A prescan loads the film itself first; here the load brings nothing.
    const FeedCase cases[] = {
        {"stage = 17,0\nhardwareVersion = 7", FEED_FOR_SCAN, {IDRETRY}, 0, 0, ""},
        {"stage = 17,0\nhardwareVersion = 6", FEED_FOR_SCAN, {IDRETRY}, 0, 8000, ""},
        {"stage = 17,0\nhardwareVersion = 7\nfailCalls = loadMedium", FEED_FOR_PRESCAN, {IDRETRY}, 0, 8000, ""},
        {"stage = 18", FEED_FOR_SCAN, {IDCANCEL}, -1, 0, "Loading film time out."},
        {"stage = 18\nfailCalls = loadMedium", FEED_FOR_PRESCAN, {IDCANCEL}, -1, 0, ""},
        {"stage = 5,5,0", FEED_FOR_SCAN, {IDRETRY, IDRETRY}, 0, 0, ""},
    };
    for (const FeedCase& c : cases) {
        SCOPED_TRACE(c.config);
        Start(c.config);
        for (int answer : c.answers)
            BoxResponderAdd({"Failed to load a film", answer, nullptr});
        const uint64_t before = ClockSleptTotal();
        EXPECT_EQ(c.result, FeedFilm(main, &s.ds, c.kind));
        EXPECT_EQ(c.sleptMs, ClockSleptTotal() - before);
        EXPECT_EQ(kStageModeTwo, CallsStartingWith("setFDStageMode"));
        const std::vector<SeenBox> boxes = BoxResponderMessageBoxes();
        ASSERT_EQ(c.answers.size(), boxes.size());
        for (const SeenBox& box : boxes) {
            EXPECT_EQ(kFeedText, box.text);
            EXPECT_EQ(BOX_ICON_EXCLAMATION, box.icon);
            EXPECT_EQ((std::vector<int>{IDCANCEL, IDRETRY}), box.buttons);
        }
        const std::vector<std::string>& status = StubStatusHistory();
        EXPECT_EQ(c.timeOutText[0] ? 1 : 0, Count(status, c.timeOutText));
        EXPECT_EQ(c.result ? "Ready" : "Loading film...", status.back());
        TearDown();
    }
}

TEST_F(ScanCommands, MemoryTransferStartsOnceForTheHost)
{
    Start("");
    MultiFilm(3);
    s.output.transferMode = 1;
    RunBatchScan(main, &s.ds);
    PumpPending();
    EXPECT_EQ(1, s.imageReadyCalls);
    EXPECT_EQ(1, CallCount("stageFilmInFD"));
    EXPECT_EQ(0, StubCommandsReceived(IDM_SCAN_FINISHED));
    EXPECT_EQ(1, s.settings.scanState);
    EXPECT_EQ("Memory scan initializing...", StubStatusHistory().back());
    EXPECT_EQ("PORTRAIT", s.profile["IMAGE_ORIENT\nSet"]);
    EXPECT_FALSE(ScanEnabled());
    MemStopScan(&s.ds);
    EXPECT_TRUE(ScanEnabled());
}

TEST_F(ScanCommands, MemoryTransferThatCannotStartLeavesNothingRunning)
{
    Start("failCalls = getAverageCount");
    s.output.transferMode = 1;
    EXPECT_EQ(-1, RunScanCommand(main, &s.ds));
    const std::vector<SeenBox> boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("ERROR|Error Starting a Scan.", boxes[1].caption + "|" + boxes[1].text);
    EXPECT_EQ(BOX_ICON_STOP, boxes[1].icon);
    EXPECT_EQ("Error Encountered Starting Scan.", StubStatusHistory().back());
    EXPECT_EQ(0, s.settings.scanState);
    EXPECT_TRUE(ScanEnabled());
}

TEST_F(ScanCommands, WithoutSaveToDiskTheImageIsTheTransferBitmap)
{
    Start("");
    CopyText(s.output.formatName, sizeof s.output.formatName, "TIFF");
    s.output.outputFormat = OUTPUT_TIFF;
    const std::string transfer = "c:\\nqt\\temp\\nXfer.bmp";
    DeleteFileA(transfer.c_str());
    EXPECT_EQ(1, RunScanCommand(main, &s.ds));
    EXPECT_EQ(transfer, s.output.outputPath);
    EXPECT_EQ(uint32_t(OUTPUT_BITMAP), s.output.outputFormat);
    EXPECT_STREQ("Bitmap", s.output.formatName);
    EXPECT_EQ(1u, s.settings.imageScanned);
    EXPECT_GT(FileSize(transfer), 100000) << "read by Pillow in the host's scripted runs";
}

TEST_F(ScanCommands, PrescanScansTheBedAndAsksForTheReloadEvenWhenTheLoadIsCancelled)
{
    Start("", 16);
    s.settings.resolution = 150;
    FillResolutionList(main, &s.ds);
    s.settings.autoSize = 0;
    EXPECT_EQ(0, RunPrescanCommand(main, &s.ds));
    PumpPending();
    EXPECT_EQ(1u, s.settings.autoSize);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(main, IDC_AUTO_SIZE));
    EXPECT_EQ(1u, NotificationsOf(&s, 14).at(0).AsU32());
    EXPECT_EQ("Scan Completed Successfully.", StubStatusHistory().back());
    EXPECT_EQ(150u, s.settings.resolution);
    EXPECT_EQ(16u, s.settings.bitDepth);
    EXPECT_EQ(1, StubCommandsReceived(IDM_RELOAD_AFTER_PRESCAN));
    EXPECT_TRUE(ScanEnabled());

    // The film load cancelled: no scan, and the reload all the same.
    TearDown();
    Start("stage = 5\nfailCalls = loadMedium");
    BoxResponderAdd({"Failed to load a film", IDCANCEL, nullptr});
    EXPECT_EQ(0, RunPrescanCommand(main, &s.ds));
    EXPECT_EQ(kStageModeTwo, CallsStartingWith("setFDStageMode"));
    EXPECT_TRUE(ScanEnabled());
    EXPECT_EQ(0, StubCommandsReceived(IDM_REPAINT_PROGRESS));
    PumpPending();
    EXPECT_EQ(1, StubCommandsReceived(IDM_RELOAD_AFTER_PRESCAN));
    EXPECT_EQ("Ready", StubStatusHistory().back());
}

// The depth check refuses 16 bits for a bitmap; the operator changes the
// format after `refusals` - 1 warnings, or never.
TEST_F(ScanCommands, ASixthPreparationThatPassesScans)
{
    for (int refusals : {5, 6}) {
        SCOPED_TRACE(refusals);
        Start("", 16);
        s.image.saveToDisk = 1;
        s.settings.currentFilm = 2;
        const std::string tiff = Output("sixth.tif");
        CopyText(s.output.outputPath, sizeof s.output.outputPath, tiff.c_str());
        s.output.hostFileName[0] = '\0';
        for (int i = 1; i <= refusals; ++i)
            BoxResponderAdd({"WARNING", IDOK, [&, i](HWND) {
                                 if (i == 5 && refusals == 5)
                                     CopyText(s.output.formatName, sizeof s.output.formatName, "TIFF");
                             }});
        EXPECT_EQ(refusals == 5 ? 1 : -1, RunScanCommand(main, &s.ds));
        const std::vector<SeenBox> boxes = BoxResponderMessageBoxes();
        ASSERT_EQ(size_t(refusals), boxes.size());
        for (const SeenBox& box : boxes) {
            EXPECT_EQ(kDepthWarning, box.text);
            EXPECT_EQ(BOX_ICON_EXCLAMATION, box.icon);
        }
        EXPECT_EQ(refusals == 5 ? 1 : 0, CallCount("stageFilmInFD"));
        EXPECT_EQ(refusals == 5, FileSize(tiff) > 0);
        DeleteFileA(tiff.c_str());
        TearDown();
    }
}

}  // namespace
