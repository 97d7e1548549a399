// Start-up against scripted digitizers: every result code, the operator's
// boxes by their exact texts, the close requests and what ScannerInfo holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "box_responder.h"
#include "frame/clock.h"
#include "main_dialog_fixture.h"
#include "scanner/file_version.h"
#include "scanner/pump_messages.h"
#include "scanner/scanner_init.h"
#include "scanner/toolkit.h"
#include "scanner/warmup_dialog.h"
#include "scripted_kit.h"
#include "session_fixture.h"
#include "ui/resource.h"

namespace {

const char kWarmupCaption[] = "The Scanner Is Warming Up!";

int SeenWithCaption(const std::string& caption)
{
    int count = 0;
    for (const SeenBox& box : BoxResponderSeen())
        count += box.caption == caption;
    return count;
}
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
    void ExpectOneBox(const std::string& caption, const std::string& text, BoxIcon icon)
    {
        auto boxes = BoxResponderMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, caption);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].icon, icon);
    }
};

TEST_F(StartUp, ReadyDigitizerFillsScannerInfo)
{
    s.settings.scanPixels = 150 * 20;  // wider than the bed
    EXPECT_EQ(Run(), 0);
    const ScannerInfo& info = s.scanner;
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_EQ(info.toolkitOpen, 1u);
    EXPECT_STREQ(info.modelName, "NQT-12");
    EXPECT_EQ(info.windowDescriptorLength, 56);
    EXPECT_STREQ(info.serialNumber, "123456");
    EXPECT_STREQ(info.firmwareVersion, "2.10");
    EXPECT_EQ(info.hardwareVersion, 7);
    EXPECT_EQ(info.ramSize, 64);
    EXPECT_EQ(info.scsiId, 2);
    EXPECT_EQ(info.scsiVersion, 3);
    EXPECT_STREQ(info.modelVariant, "9A");
    EXPECT_STREQ(info.optionString, "OPTIONS");
    EXPECT_STREQ(info.toolkitVersion, "") << "no DLL, no version";
    EXPECT_EQ(info.feederSupport, 13);
    EXPECT_EQ(info.feederStatus, 16);
    EXPECT_EQ(info.resolutionCount, 5);
    EXPECT_EQ(info.minResolution, 75);
    EXPECT_EQ(info.maxResolution, 400);
    EXPECT_EQ(info.resolutions[4], 400);
    EXPECT_EQ(info.depthCount, 3);
    EXPECT_EQ(info.minDepth, 8);
    EXPECT_EQ(info.maxDepth, 16);
    EXPECT_EQ(info.lineAveragingCapability, 1);
    EXPECT_EQ(info.maxWidth, 14);
    EXPECT_EQ(info.feederCapacity, 25);
    EXPECT_EQ(info.prescanCapability, 1);
    EXPECT_EQ(s.image.averageCountSupported, 1u);
    EXPECT_EQ(s.settings.exposureMin, 10);
    EXPECT_EQ(s.settings.exposureMax, 40) << "400 from the digitizer is tenths";
    EXPECT_EQ(s.settings.exposure, 25);
    EXPECT_EQ(s.settings.exposureDefault, 25);
    EXPECT_EQ(s.settings.scanPixels, 14u * 150);
    EXPECT_EQ(CallsStartingWith("stopDiagnostic").size(), 1u);
    EXPECT_TRUE(CallsStartingWith("closeToolKit").empty());
}

TEST_F(StartUp, NoAdapterIsQuiet)
{
    Script().adapters = 0;
    EXPECT_EQ(Run(), 4);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_TRUE(CallsStartingWith("openToolKit").empty());
}

TEST_F(StartUp, MissingToolkitIsReportedAndStartUpGoesOn)
{
    SetToolkitLoader(LoadFails);
    EXPECT_EQ(Run(), 4) << "the stand-ins find no adapter";
    auto boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Load Library");
    EXPECT_EQ(boxes[0].text, "Failed to load scankit32.dll in \\twain_32\\nqt\\ folder");
    EXPECT_EQ(boxes[0].icon, BOX_ICON_NONE);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
}

TEST_F(StartUp, OpenFailuresNameTheirCause)
{
    const struct { TkStatus status; const char* text; } cases[] = {
        {-7, "Unable to find SCSI adapter."},
        {-6, "Unable to allocate SCSI SRB buffer."},
        {-3, "Unable to open toolkit."},
    };
    for (const auto& c : cases) {
        InstallScriptedKit();
        BoxResponderClear();
        ResetMainDialogCloseCount();
        Script().openStatus[0] = c.status;
        s.scanner.toolkitOpen = 1;
        EXPECT_EQ(Run(), 1);
        ExpectOneBox("ERROR", c.text, BOX_ICON_STOP);
        EXPECT_EQ(MainDialogCloseCount(), 1);
        EXPECT_EQ(s.scanner.toolkitOpen, 0u);
        EXPECT_EQ(Script().calls.back(), "closeToolKit");
    }
}

TEST_F(StartUp, NoDigitizerOnTheFirstSevenAdapters)
{
    Script().adapters = 8;
    Script().digitizerAdapter = 7;  // never searched
    EXPECT_EQ(Run(), 2);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 1);
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    auto adapters = CallsStartingWith("setSCSIAdaptorId");
    ASSERT_EQ(adapters.size(), 7u);
    EXPECT_EQ(adapters.back(), "setSCSIAdaptorId(6)");
    EXPECT_EQ(CallsStartingWith("openToolKit").size(), 7u * 8);
    EXPECT_EQ(CallsStartingWith("closeToolKit").size(), 7u * 8 + 1);
    EXPECT_TRUE(CallsStartingWith("findScanner").empty());
}

TEST_F(StartUp, SearchSkipsAdaptersThatRefuseAndStopsAtTheDigitizer)
{
    Script().adapters = 3;
    Script().adapterIdStatus[0] = 1;
    Script().digitizerAdapter = 1;
    Script().digitizerTarget = 3;
    Script().product = "NQT-15 prototype";  // "NQT-1" passes; the model code decides
    Script().modelCode = 9;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CallsStartingWith("openToolKit").size(), 4u);
    EXPECT_EQ(CallsStartingWith("setSCSIAdaptorId").size(), 2u);
    EXPECT_EQ(CallsStartingWith("closeToolKit").size(), 3u);
    EXPECT_STREQ(s.scanner.modelName, "NQT-8");
    EXPECT_EQ(s.image.averageCountSupported, 0u);
}

TEST_F(StartUp, WarmUpThenReady)
{
    Script().statuses = {TK_WARMING_UP, TK_WARMING_UP, TK_READY};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(SeenWithCaption(kWarmupCaption), 1) << "one notice for the whole warm-up";
    EXPECT_EQ(WarmupDialog(), nullptr) << "closed at the end of waiting";
    EXPECT_EQ(ClockSleptTotal(), 2u * 500);
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_STREQ(s.scanner.modelName, "NQT-12");
}

TEST_F(StartUp, WarmUpAbort)
{
    Script().statuses = {TK_WARMING_UP};  // for ever
    std::string notice;
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_ABORT,
                     [&](HWND d) { notice = ControlText(d, IDC_WARMUP_TEXT); }});
    EXPECT_EQ(Run(), 2);
    EXPECT_EQ(notice,
              "Scanner requires a few minutes of warm-up cycle.  Choose ABORT to exit the DS. "
              "Choose IGNORE to force the DS to continue.  Image quality may be degraded if you "
              "choose IGNORE.");
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    EXPECT_EQ(MainDialogCloseCount(), 1);
    EXPECT_EQ(WarmupDialog(), nullptr);
    EXPECT_STREQ(s.scanner.modelName, "None.") << "identity never read";
}

TEST_F(StartUp, WarmUpIgnoreCompletesWithFullCapabilities)
{
    Script().statuses = {TK_WARMING_UP};
    BoxResponderAdd({kWarmupCaption, IDC_WARMUP_IGNORE, nullptr});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_EQ(s.scanner.toolkitOpen, 1u);
    EXPECT_EQ(s.scanner.resolutionCount, 5);
    EXPECT_EQ(s.scanner.maxWidth, 14);
    EXPECT_EQ(WarmupDialog(), nullptr);
}

TEST_F(StartUp, NotReadyForMoreThanTwentyPollsCompletesButCloses)
{
    // 0x0600 is no code the digitizer documents: it counts as not ready too.
    for (uint16_t code : {uint16_t(TK_NOT_READY), uint16_t(TK_NO_MEDIUM), uint16_t(0x0600)}) {
        InstallScriptedKit();
        ResetMainDialogCloseCount();
        ClockUseVirtual(0);
        Script().statuses = {code};
        EXPECT_EQ(Run(), 0) << std::hex << code;
        EXPECT_EQ(Script().statusPolls, 21);
        EXPECT_EQ(ClockSleptTotal(), 21u * 500);
        EXPECT_EQ(MainDialogCloseCount(), 1);
        EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    }
}

TEST_F(StartUp, WarmingUpStartsTheNotReadyCountAgain)
{
    std::vector<uint16_t> statuses(15, TK_NOT_READY);
    statuses.push_back(TK_WARMING_UP);
    statuses.insert(statuses.end(), 15, TK_NO_MEDIUM);
    statuses.push_back(TK_READY);
    Script().statuses = statuses;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_EQ(Script().statusPolls, 32);
}

TEST_F(StartUp, LostCommunication)
{
    Script().statuses = {TK_NO_COMMUNICATION};
    EXPECT_EQ(Run(), 2);
    ExpectOneBox("ERROR", "Unable to communicate with the logical unit", BOX_ICON_STOP);
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    EXPECT_EQ(MainDialogCloseCount(), 1);
    EXPECT_TRUE(CallsStartingWith("closeToolKit").empty());
}

TEST_F(StartUp, OperatorCancelsWhileWaiting)
{
    Script().statuses = {TK_NOT_READY, TK_READY};
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    BoxResponderAdd({"", IDYES, nullptr});
    EXPECT_EQ(Run(), 1);
    ExpectOneBox("MESSAGE", "Do you want to cancel?", BOX_ICON_QUESTION);
    EXPECT_EQ(BoxResponderMessageBoxes()[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(MainDialogCloseCount(), 1);
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
}

TEST_F(StartUp, OperatorDeclinesToCancel)
{
    Script().statuses = {TK_NOT_READY, TK_READY};
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    BoxResponderAdd({"", IDNO, nullptr});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(BoxResponderMessageBoxes().size(), 1u);
    EXPECT_EQ(MainDialogCloseCount(), 0);
}

TEST_F(StartUp, UnrecognisedModel)
{
    Script().modelCode = 5;
    EXPECT_EQ(Run(), 4);
    ExpectOneBox("ERROR", "Unrecognizable scanner.", BOX_ICON_STOP);
    EXPECT_STREQ(s.scanner.modelName, "None");
    EXPECT_EQ(s.scanner.toolkitOpen, 0u);
    EXPECT_EQ(MainDialogCloseCount(), 1);
}

TEST_F(StartUp, UnreadableIdentityLeavesTheToolkitOpen)
{
    Script().scannerInfoStatus = 1;
    EXPECT_EQ(Run(), 5);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    EXPECT_EQ(MainDialogCloseCount(), 0);
    EXPECT_EQ(s.scanner.toolkitOpen, 1u);
    EXPECT_STREQ(s.scanner.modelName, "NQT-12");
}

TEST_F(StartUp, OversizedRepliesAreCutToTheirFields)
{
    KitScript& k = Script();
    k.serial = "SERIAL-NUMBER-FAR-TOO-LONG";
    k.firmware = "1.2345";
    k.page2Text = TextBytes("9EXTRA");   // the rest of the 80 bytes is unterminated filler
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

TEST_F(StartUp, UndeliveredPagesAndOldHardware)
{
    KitScript& k = Script();
    k.page2Status = 0;
    k.page14Status = 0;
    k.hardwareVersion = 4;
    k.capabilities[1] = {0, 99};  // neither range nor single value
    s.settings.exposure = 30;
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(s.scanner.modelVariant, "NA");
    EXPECT_STREQ(s.scanner.optionString, "");
    EXPECT_EQ(s.image.averageCountSupported, 0u);
    EXPECT_EQ(s.image.averageCount, 1);
    EXPECT_EQ(s.settings.exposureMax, 20);
    EXPECT_EQ(s.settings.exposure, 20);
}

TEST_F(StartUp, ExposureCapabilityKinds)
{
    Script().capabilities[1] = {2, 5, 41, 0, 0, 12};
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(s.settings.exposureMax, 41) << "41 is not tenths";
    EXPECT_EQ(s.settings.exposure, 12);

    InstallScriptedKit();
    Script().hardwareVersion = 4;
    Script().capabilities[1] = {3, 15};
    s.settings.exposure = 30;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(s.settings.exposureMin, 15);
    EXPECT_EQ(s.settings.exposureMax, 15);
    EXPECT_EQ(s.settings.exposureDefault, 15);
    EXPECT_EQ(s.settings.exposure, 20) << "kind 3 leaves the exposure itself alone";
}

TEST(FileVersion, ReadsTheFixedVersionOfAModule)
{
    char system[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryA(system, sizeof system), 0u);
    std::string path = std::string(system) + "\\kernel32.dll";
    char text[51] = "untouched";
    ASSERT_EQ(ReadFileVersionText(path.c_str(), text, sizeof text), 1);
    int parts[4];
    EXPECT_EQ(sscanf(text, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]), 4) << text;
    char missing[51] = "untouched";
    EXPECT_EQ(ReadFileVersionText("c:\\no\\such.dll", missing, sizeof missing), 0);
    EXPECT_STREQ(missing, "untouched");
}

TEST(PumpMessages, CommandsForTheWindowAreHeldBack)
{
    BoxResponderStart();
    ResetMainDialogCloseCount();
    HWND main = CreateTestMainDialog();
    EXPECT_EQ(PumpMessages(main, 0, 1), 1);
    PostMessageA(main, WM_CLOSE, 0, 0);
    PostMessageA(main, WM_COMMAND, IDC_SCAN, 0);
    EXPECT_EQ(PumpMessages(main, 10, 0), 1) << "dropped without asking";
    EXPECT_EQ(MainDialogCloseCount(), 1) << "other messages are dispatched";
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
    PostQuitMessage(3);
    EXPECT_EQ(PumpMessages(main, 10, 1), 1);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "quit kept for the host";
    DestroyWindow(main);
    BoxResponderStop();
}

}  // namespace
