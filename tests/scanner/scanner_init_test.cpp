// Start-up against scripted digitizers: every result code, the operator's
// boxes by their exact texts, the close requests and the toolkit left open.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_stub.h"
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

// The message boxes seen, one a line: "ERROR|Unable to open toolkit.|stop|OK".
std::string MessageBoxesShown(void)
{
    static const char* const icons[] = {"none", "stop", "exclamation", "question", "information"};
    std::string all;
    for (const SeenBox& box : BoxResponderMessageBoxes()) {
        all += box.caption + "|" + box.text + "|" + icons[box.icon] + "|";
        for (int b : box.buttons)
            all += b == IDOK ? "OK" : b == IDYES ? "Yes" : b == IDNO ? "No" : b == IDCANCEL ? "Cancel" : "?";
        all += "\n";
    }
    return all;
}

// The scripted table is installed already; start-up keeps it.
int LoadScripted(void) { return 1; }

class StartUp : public DigitizerSessionTest {
protected:
    void SetUp() override
    {
        InstallScriptedKit();
        Open(LoadScripted);
    }
    int Run()
    {
        int result = InitializeScanner(main, &s.ds, 0);
        PumpPending();  // delivers the close requests posted to the dialog
        return result;
    }
    void Restart()
    {
        InstallScriptedKit();
        SetToolkitLoader(LoadScripted);
        BoxResponderClear();
        ResetScanDialogStub();
        ClockUseVirtual(0);
    }
};

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
        EXPECT_EQ(StubCloseRequests(), c.closes) << c.boxes;
        EXPECT_EQ(s.scanner.toolkitOpen, c.open) << c.boxes;
    }
}

TEST_F(StartUp, SearchCoversTheFirstSevenAdaptersOnly)
{
    Script().adapters = 8;
    Script().digitizerAdapter = 7;  // never searched
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
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_ABORT, [&](HWND d) { notice = DialogText(d, IDC_WARMUP_TEXT); }});
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(notice,
              "Scanner requires a few minutes of warm-up cycle.  Choose ABORT to exit the DS. "
              "Choose IGNORE to force the DS to continue.  Image quality may be degraded if you "
              "choose IGNORE.");
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    EXPECT_EQ(StubCloseRequests(), 1);
    EXPECT_EQ(WarmupDialog(), nullptr);

    Restart();
    Script().statuses = {TK_WARMING_UP};
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_IGNORE, nullptr});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(s.scanner.resolutionCount, 5) << "ignored: the capabilities are read all the same";
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
        EXPECT_EQ(StubCloseRequests(), c.closes) << c.statuses.size();
    }
    EXPECT_EQ(ClockSleptTotal(), 31u * 500);
}

}  // namespace
