// Start-up against scripted digitizers: every result code, the operator's
// boxes by their exact texts, the close requests and what ScannerInfo holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_fixture.h"
#include "scanner/pump_messages.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "scanner/warmup_dialog.h"
#include "scripted_kit.h"
#include "ui/resource.h"

namespace {

const char kWarmupCaption[] = "The Scanner Is Warming Up!";

int LoadFails(void)
{
    ToolkitInstall(nullptr);
    return 0;
}

class StartUp : public ScriptedMainDialogTest {
protected:
    int Run()
    {
        int result = InitializeScanner(main, &s.ds, 0);
        PumpPending();  // delivers the close requests posted to the dialog
        return result;
    }
    void Restart()
    {
        InstallScriptedKit();
        SetToolkitLoader(+[] { return 1; });  // the scripted table stays
        BoxResponderClear();
        ResetMainDialogCloseCount();
        ClockUseVirtual(0);
    }
};

TEST_F(StartUp, ReadyDigitizerIsLeftOpenWithItsRanges)
{
    s.settings.scanPixels = 150 * 20;  // wider than the bed
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_EQ(s.scanner.toolkitOpen, 1u);
    EXPECT_STREQ(s.scanner.modelName, "NQT-12");
    EXPECT_STREQ(s.scanner.modelVariant, "9A");
    EXPECT_EQ(s.scanner.maxResolution, 400);
    EXPECT_EQ(s.image.averageCountSupported, 1u);
    EXPECT_EQ(s.settings.exposureMax, 40) << "400 from the digitizer is tenths";
    EXPECT_EQ(s.settings.exposure, 25);
    EXPECT_EQ(s.settings.scanPixels, 14u * 150);
    EXPECT_EQ(CallsStartingWith("stopDiagnostic").size(), 1u);
    EXPECT_TRUE(CallsStartingWith("closeToolKit").empty());
}

// Each failure: its result code, its box (or none), whether the dialog is
// asked to close and whether the toolkit stays open.
TEST_F(StartUp, FailuresGiveTheirCodeBoxAndClose)
{
    const struct {
        std::function<void()> script;
        int result;
        const char* boxes;
        int closes;
        uint32_t open;
    } cases[] = {
        {[] { Script().adapters = 0; }, 4, "", 0, 0},
        {[] { SetToolkitLoader(LoadFails); }, 4,
         "Load Library|Failed to load scankit32.dll in \\twain_32\\nqt\\ folder|none|OK\n", 0, 0},
        {[] { Script().openStatus[0] = -7; }, 1, "ERROR|Unable to find SCSI adapter.|stop|OK\n", 1, 0},
        {[] { Script().openStatus[0] = -6; }, 1, "ERROR|Unable to allocate SCSI SRB buffer.|stop|OK\n", 1, 0},
        {[] { Script().openStatus[0] = -3; }, 1, "ERROR|Unable to open toolkit.|stop|OK\n", 1, 0},
        {[] { Script().statuses = {TK_NO_COMMUNICATION}; }, 2,
         "ERROR|Unable to communicate with the logical unit|stop|OK\n", 1, 0},
        {[] { Script().modelCode = 5; }, 4, "ERROR|Unrecognizable scanner.|stop|OK\n", 1, 0},
        {[] { Script().scannerInfoStatus = 1; }, 5, "", 0, 1},
    };
    for (const auto& c : cases) {
        Restart();
        c.script();
        s.scanner.toolkitOpen = c.result == 1;  // an open that fails clears what the last start-up left
        EXPECT_EQ(Run(), c.result) << c.boxes;
        EXPECT_EQ(MessageBoxesShown(), c.boxes);
        EXPECT_EQ(MainDialogCloseCount(), c.closes) << c.boxes;
        EXPECT_EQ(s.scanner.toolkitOpen, c.open) << c.boxes;
    }
}

TEST_F(StartUp, SearchSkipsRefusingAdaptersAndStopsAtTheDigitizerOfTheFirstSeven)
{
    Script().adapters = 3;
    Script().adapterIdStatus[0] = 1;
    Script().digitizerAdapter = 1;
    Script().digitizerTarget = 3;
    Script().product = "NQT-15 prototype";  // "NQT-1" passes; the model code decides
    Script().modelCode = 9;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CallsStartingWith("openToolKit").size(), 4u);
    EXPECT_EQ(CallsStartingWith("closeToolKit").size(), 3u);
    EXPECT_STREQ(s.scanner.modelName, "NQT-8");
    EXPECT_EQ(s.image.averageCountSupported, 0u);

    Restart();
    Script().adapters = 8;
    Script().digitizerAdapter = 7;  // never searched
    EXPECT_EQ(Run(), 2);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 1);
    auto adapters = CallsStartingWith("setSCSIAdaptorId");
    ASSERT_EQ(adapters.size(), 7u);
    EXPECT_EQ(adapters.back(), "setSCSIAdaptorId(6)");
    EXPECT_EQ(CallsStartingWith("closeToolKit").size(), 7u * 8 + 1);
}

TEST_F(StartUp, WarmUpShowsOneNoticeUntilReadyAbortOrIgnore)
{
    Script().statuses = {TK_WARMING_UP, TK_WARMING_UP, TK_READY};
    EXPECT_EQ(Run(), 0);
    int notices = 0;
    for (const SeenBox& box : BoxResponderSeen())
        notices += box.caption == kWarmupCaption;
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(WarmupDialog(), nullptr) << "closed at the end of waiting";
    EXPECT_EQ(ClockSleptTotal(), 2u * 500);

    Restart();
    Script().statuses = {TK_WARMING_UP};  // for ever
    std::string notice;
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_ABORT, [&](HWND d) { notice = ControlText(d, IDC_WARMUP_TEXT); }});
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(notice,
              "Scanner requires a few minutes of warm-up cycle.  Choose ABORT to exit the DS. "
              "Choose IGNORE to force the DS to continue.  Image quality may be degraded if you "
              "choose IGNORE.");
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    EXPECT_EQ(MainDialogCloseCount(), 1);
    EXPECT_EQ(WarmupDialog(), nullptr);

    Restart();
    Script().statuses = {TK_WARMING_UP};
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_IGNORE, nullptr});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_EQ(s.scanner.resolutionCount, 5) << "the capabilities are read all the same";
}

// Not ready for more than twenty polls completes but closes; warming up
// starts the count again. 0x0600 is no documented code: not ready too.
TEST_F(StartUp, NotReadyCountsTwentyPolls)
{
    const struct { std::vector<uint16_t> statuses; int polls, closes; } cases[] = {
        {{TK_NOT_READY}, 21, 1},
        {{TK_NO_MEDIUM}, 21, 1},
        {{0x0600}, 21, 1},
        {[] { std::vector<uint16_t> v(20, TK_NOT_READY); v.push_back(TK_READY); return v; }(), 21, 0},
        {[] { std::vector<uint16_t> v(15, TK_NOT_READY); v.push_back(TK_WARMING_UP);
              v.insert(v.end(), 15, TK_NO_MEDIUM); v.push_back(TK_READY); return v; }(), 32, 0},
    };
    for (const auto& c : cases) {
        Restart();
        Script().statuses = c.statuses;
        EXPECT_EQ(Run(), 0) << c.statuses.size();
        EXPECT_EQ(Script().statusPolls, c.polls) << c.statuses.size();
        EXPECT_EQ(MainDialogCloseCount(), c.closes) << c.statuses.size();
    }
    EXPECT_EQ(ClockSleptTotal(), 31u * 500);
}

TEST_F(StartUp, OperatorMayCancelWhileWaiting)
{
    for (int answer : {IDYES, IDNO}) {
        Restart();
        Script().statuses = {TK_NOT_READY, TK_READY};
        PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
        BoxResponderAdd({"", answer, nullptr});
        EXPECT_EQ(Run(), answer == IDYES ? 1 : 0);
        EXPECT_EQ(MessageBoxesShown(), "MESSAGE|Do you want to cancel?|question|YesNo\n");
        EXPECT_EQ(MainDialogCloseCount(), answer == IDYES ? 1 : 0);
    }
}

TEST_F(StartUp, OversizedRepliesAreCutToTheirFields)
{
    KitScript& k = Script();
    k.serial = "SERIAL-NUMBER-FAR-TOO-LONG";
    k.firmware = "1.2345";
    k.page2Text = TextBytes("9EXTRA");  // the rest of the 80 bytes is unterminated filler
    k.page14Text = TextBytes("  ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    k.capabilities[0] = {3, 12, 0, 0, 60, 71, 75, 100, 142, 150, 200, 285, 300, 400, 570};
    k.capabilities[2] = {3, 7, 0, 0, 1, 8, 10, 12, 14, 16, 24};
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(s.scanner.serialNumber, "SERIAL");
    EXPECT_STREQ(s.scanner.firmwareVersion, "1.23");
    EXPECT_STREQ(s.scanner.modelVariant, "9EXT");
    EXPECT_STREQ(s.scanner.optionString, "ABCDEFGHIJKLMN");
    EXPECT_EQ(s.scanner.resolutionCount, 9);
    EXPECT_EQ(s.scanner.maxResolution, 300);
    EXPECT_EQ(s.scanner.depthCount, 5);
    EXPECT_EQ(s.scanner.maxDepth, 14);
    EXPECT_EQ(s.scanner.scsiVersion, 3) << "fields after the cut texts are intact";
}

// Hardware before version 5 keeps exposures to 20; the capability's kind
// says whether it is a range in tenths or one value.
TEST_F(StartUp, ExposureRangeFollowsTheCapabilityAndTheHardware)
{
    const struct { uint8_t hardware; std::vector<uint16_t> capability; int min, max, exposure; } cases[] = {
        {4, {0, 99}, 10, 20, 20},              // neither range nor single value
        {7, {2, 5, 41, 0, 0, 12}, 5, 41, 12},  // 41 is not tenths
        {4, {3, 15}, 15, 15, 20},              // kind 3 leaves the exposure itself alone
    };
    for (const auto& c : cases) {
        Restart();
        Script().hardwareVersion = c.hardware;
        Script().capabilities[1] = c.capability;
        Script().page2Status = c.hardware < 5 ? 0 : 6;
        s.settings.exposure = 30;
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(s.settings.exposureMin, c.min) << c.capability[0];
        EXPECT_EQ(s.settings.exposureMax, c.max) << c.capability[0];
        EXPECT_EQ(s.settings.exposure, c.exposure) << c.capability[0];
    }
    EXPECT_STREQ(s.scanner.modelVariant, "NA") << "page 2 not delivered";
    EXPECT_EQ(s.image.averageCountSupported, 0u);
}

}  // namespace
