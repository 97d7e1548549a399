// Start-up against the installed digitizer configured for each case: every result code, the operator's
// boxes by their exact texts, the close requests and the toolkit left open.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_stub.h"
#include "digitizer/pump_messages.h"
#include "scanner/scanner_init.h"
#include "digitizer/toolkit.h"
#include "scanner/warmup_dialog.h"
#include "kit_spy.h"
#include "res/resource.h"

namespace {

const char kWarmupCaption[] = "The Scanner Is Warming Up!";

int LoadFails(void)
{
    ToolkitInstall(nullptr);
    return 0;
}

// The message boxes seen, one a line: "ERROR|Unable to open toolkit.|stop|OK".
std::string MessageBoxesShown(void)
{
    std::string all;
    for (const SeenBox& box : BoxResponderMessageBoxes()) {
        all += BoxLine(box) + "|";
        for (int b : box.buttons)
            all += b == IDOK ? "OK" : b == IDYES ? "Yes" : b == IDNO ? "No" : b == IDCANCEL ? "Cancel" : "?";
        all += "\n";
    }
    return all;
}

class StartUp : public DigitizerSessionTest {
protected:
    void SetUp() override
    {
        configPath = UseDigitizerConfig("");
        Open(SpyLoader);
    }
    int Run()
    {
        int result = InitializeScanner(main, &s.ds, 0);
        PumpPending();  // delivers the close requests posted to the dialog
        return result;
    }
    void Restart(const std::string& config, int (*loader)(void) = SpyLoader)
    {
        UseDigitizerConfig(config);
        SetToolkitLoader(loader);
        BoxResponderClear();
        ResetScanDialogStub();
        ClockUseVirtual(0);
    }
};

// Each failure: its result code, its box (or none), whether the dialog is
// asked to close and whether the toolkit stays open.
TEST_F(StartUp, FailuresGiveTheirCodeBoxAndClose)
{
    const struct { const char* config; int (*loader)(void); int result; const char* boxes; int closes; uint32_t open; }
        cases[] = {
        {"adapters = 0", SpyLoader, 4, "", 0, 0},
        {"", LoadFails, 4, "Load Library|Failed to load scankit32.dll in \\twain_32\\nqt\\ folder|none|OK\n", 0, 0},
        {"openResult = -7", SpyLoader, 1, "ERROR|Unable to find SCSI adapter.|stop|OK\n", 1, 0},
        {"openResult = -6", SpyLoader, 1, "ERROR|Unable to allocate SCSI SRB buffer.|stop|OK\n", 1, 0},
        {"openResult = -3", SpyLoader, 1, "ERROR|Unable to open toolkit.|stop|OK\n", 1, 0},
        {"status = 0x0800", SpyLoader, 2, "ERROR|Unable to communicate with the logical unit|stop|OK\n", 1, 0},
        {"modelCode = 5", SpyLoader, 4, "ERROR|Unrecognizable scanner.|stop|OK\n", 1, 0},
        {"failCalls = getScannerInfo", SpyLoader, 5, "", 0, 1},
    };
    for (const auto& c : cases) {
        Restart(c.config, c.loader);
        s.scanner.toolkitOpen = c.result == 1;  // an open that fails clears what the last start-up left
        EXPECT_EQ(Run(), c.result) << c.boxes;
        EXPECT_EQ(MessageBoxesShown(), c.boxes);
        EXPECT_EQ(StubCloseRequests(), c.closes) << c.boxes;
        EXPECT_EQ(s.scanner.toolkitOpen, c.open) << c.boxes;
    }
}

TEST_F(StartUp, SearchCoversTheFirstSevenAdaptersOnly)
{
    Restart("adapters = 8\nadapter = 7");  // never searched
    EXPECT_EQ(Run(), 2);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(StubCloseRequests(), 1);
    auto adapters = CallsStartingWith("setSCSIAdaptorId");
    ASSERT_EQ(adapters.size(), 7u);
    EXPECT_EQ(adapters.back(), "setSCSIAdaptorId(6)");
    EXPECT_EQ(CallsStartingWith("closeToolKit").size(), 7u * 8 + 1);
}

TEST_F(StartUp, WarmUpShowsOneNoticeUntilReadyAbortOrIgnore)
{
    Restart("status = 0x0401,0x0401,0\nresolutions = 75,150,200,300,400");
    EXPECT_EQ(Run(), 0);
    int notices = 0;
    for (const SeenBox& box : BoxResponderSeen())
        notices += box.caption == kWarmupCaption;
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(WarmupDialog(), nullptr) << "closed at the end of waiting";
    EXPECT_EQ(ClockSleptTotal(), 2u * 500);

    Restart("status = 0x0401");  // for ever
    std::string notice;
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_ABORT, [&](HWND d) { notice = DialogText(d, IDC_WARMUP_TEXT); }});
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(notice,
              "Scanner requires a few minutes of warm-up cycle.  Choose ABORT to exit the DS. "
              "Choose IGNORE to force the DS to continue.  Image quality may be degraded if you "
              "choose IGNORE.");
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    EXPECT_EQ(StubCloseRequests(), 1);
    EXPECT_EQ(WarmupDialog(), nullptr);

    Restart("status = 0x0401\nresolutions = 75,150,200,300,400");
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_IGNORE, nullptr});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(s.scanner.resolutionCount, 5) << "ignored: the capabilities are read all the same";
}

// Not ready for more than twenty polls completes but closes; warming up
// starts the count again. 0x0600 is no documented code: not ready too.
TEST_F(StartUp, NotReadyCountsTwentyPolls)
{
    auto times = [](int n, const char* status) {
        std::string list;
        for (int i = 0; i < n; ++i)
            list += std::string(status) + ",";
        return list;
    };
    const struct { std::string statuses; int polls, closes; } cases[] = {
        {"0x0402", 21, 1},
        {"0x3A00", 21, 1},
        {"0x0600", 21, 1},
        {times(20, "0x0402") + "0", 21, 0},
        {times(15, "0x0402") + "0x0401," + times(15, "0x3A00") + "0", 32, 0},
    };
    for (const auto& c : cases) {
        Restart("status = " + c.statuses);
        EXPECT_EQ(Run(), 0) << c.statuses;
        EXPECT_EQ(int(CallsStartingWith("scannerStatus").size()), c.polls) << c.statuses;
        EXPECT_EQ(StubCloseRequests(), c.closes) << c.statuses;
    }
    EXPECT_EQ(ClockSleptTotal(), 31u * 500);
}

}  // namespace
