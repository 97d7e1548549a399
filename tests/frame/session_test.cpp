#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/session.h"
#include "frame/sysblock.h"
#include "frame/tables.h"
#include "session_fixture.h"

namespace {

class Session : public ::testing::Test {
protected:
    TestSession s;
    void TearDown() override { DeInitDSData(); }
};

TEST_F(Session, InitWritesEveryDefault)
{
    NewTestSession(&s);
    s.host.instance = reinterpret_cast<void*>(0x1234);
    s.host.closeRequest = reinterpret_cast<HostCloseRequestFn>(0x5678);
    s.scanner.maxWidth = 14;
    ASSERT_EQ(InitDSData(&s.ds), 1);

    EXPECT_EQ(s.host.instance, nullptr);
    EXPECT_EQ(s.host.closeRequest, nullptr);
    EXPECT_STREQ(s.scanner.modelName, "None.");
    EXPECT_EQ(s.scanner.feederSupport, 14);
    EXPECT_EQ(s.scanner.feederStatus, 15);

    EXPECT_EQ(s.settings.resolution, 150u);
    EXPECT_EQ(s.settings.maxLength, 17u);
    EXPECT_EQ(s.settings.scanLines, 2550u);
    EXPECT_EQ(s.settings.scanPixels, 14u * 150u);
    EXPECT_EQ(s.settings.exposure, 10);
    EXPECT_EQ(s.settings.exposureMin, 10);
    EXPECT_EQ(s.settings.exposureMax, 40);
    EXPECT_EQ(s.settings.exposureDefault, 10);
    EXPECT_EQ(s.settings.autoSize, 1u);
    EXPECT_EQ(s.settings.bitDepth, 8u);
    EXPECT_EQ(s.settings.scanPreviewGroup, -1);
    EXPECT_EQ(s.settings.prescanGroup, -1);
    EXPECT_EQ(s.settings.units, 1u);
    EXPECT_EQ(s.settings.filmCount, 1);
    EXPECT_EQ(s.settings.currentFilm, 1);

    EXPECT_FLOAT_EQ(s.area.left, 0.0f);
    EXPECT_FLOAT_EQ(s.area.right, 14.0f);
    EXPECT_FLOAT_EQ(s.area.bottom, 17.0f);
    EXPECT_EQ(s.area.prescanMode, 1u);
    EXPECT_EQ(s.area.previewDpi, 75u);

    EXPECT_STREQ(s.image.tableName, "Linear");
    EXPECT_EQ(s.image.tableIndex, -1);
    EXPECT_EQ(s.image.averageCount, 1);
    EXPECT_EQ(s.image.bitThreshold, 128u);
    EXPECT_EQ(s.image.memTransferEnabled, 1u);
    EXPECT_EQ(s.image.twelveHigh, 1u);
    EXPECT_EQ(s.image.guiControlMask, 0u);
    const char* names[] = {"Linear", "Logarithmic", "OD", "SQRT",
                           "Power07", "Power05", "Power03", "Power10"};
    for (int i = 0; i < TABLE_COUNT; ++i) {
        EXPECT_EQ(s.image.tableList[i].number, i);
        EXPECT_STREQ(s.image.tableList[i].name, names[i]);
        // Zero-filled after the name, as the 66-byte entries are laid out.
        for (size_t k = std::strlen(names[i]); k < sizeof s.image.tableList[i].name; ++k)
            ASSERT_EQ(s.image.tableList[i].name[k], 0);
    }
    EXPECT_EQ(sizeof(TableEntry), 66u);

    EXPECT_STREQ(s.output.outputPath, "c:\\nqt\\temp\\testscan.dib");
    EXPECT_STREQ(s.output.hostFileName, "c:\\nqt\\temp\\temp.dat");
    EXPECT_EQ(s.output.outputFormat, 1u);
    EXPECT_STREQ(s.output.seriesNumber, "1");
    EXPECT_STREQ(s.output.imageNumber, "1");
    EXPECT_STREQ(s.output.studyId, "");
    EXPECT_EQ(s.output.transferMode, 2u);
    EXPECT_EQ(s.output.sessionImageGroup, -1);
    EXPECT_STREQ(s.output.listName, "imglst.inf");
    EXPECT_STREQ(s.output.imageNamesFile, "imgs.lst");
    ASSERT_NE(s.output.imageListPath, nullptr);
    std::memset(s.output.imageListPath, 'x', 128);  // ASan: the buffer holds 128 bytes
}

TEST_F(Session, ScanPixelsFollowsWhateverMaxWidthHolds)
{
    NewTestSession(&s);
    InitDSData(&s.ds);
    EXPECT_EQ(s.settings.scanPixels, 0u) << "a zeroed record has maxWidth 0";
}

TEST_F(Session, TheLastMarkedTableWins)
{
    NewTestSession(&s);
    SetProfile(&s, "TranslationTable", "OD", "1");
    SetProfile(&s, "TranslationTable", "Power05", "1");
    SetProfile(&s, "TranslationTable", "Linear", "0");
    ConnectHost(&s);
    InitDSData(&s.ds);
    EXPECT_STREQ(s.image.tableName, "Power05");
    EXPECT_EQ(s.image.tableIndex, 5);
}

TEST_F(Session, TableChoiceLoadsAtInitAndSavesAsOneAndZeros)
{
    StartTestSession(&s);
    EXPECT_STREQ(s.image.tableName, "Linear");
    EXPECT_EQ(s.image.tableIndex, -1);
    TableSaveSelection(&s.ds);
    ASSERT_EQ(s.profileWrites.size(), 8u);
    EXPECT_EQ(s.profileWrites[0], std::make_pair(std::string("TranslationTable/Linear"), std::string("1")));
    for (size_t i = 1; i < 8; ++i)
        EXPECT_EQ(s.profileWrites[i].second, "0") << s.profileWrites[i].first;

    // A fresh session over these settings, with Logarithmic marked instead.
    TestSession t;
    NewTestSession(&t);
    SetProfile(&t, "TranslationTable", "Logarithmic", "1");
    SetProfile(&t, "TranslationTable", "Linear", "0");
    SetProfile(&t, "TranslationTable", "SQRT", "x");  // not a number counts as 0
    ConnectHost(&t);
    InitDSData(&t.ds);
    EXPECT_STREQ(t.image.tableName, "Logarithmic");
    EXPECT_EQ(t.image.tableIndex, 1);
}

TEST_F(Session, NoProfileCallbacksMeansDefaultsAndNoWrites)
{
    NewTestSession(&s);
    InitDSData(&s.ds);
    EXPECT_STREQ(s.image.tableName, "Linear");
    TableSaveSelection(&s.ds);  // must not crash without a write callback
    EXPECT_TRUE(s.profileWrites.empty());
    char buffer[8];
    ReadSetting(&s.ds, "MemTransFlag", "Set", buffer, sizeof buffer, "ON");
    EXPECT_STREQ(buffer, "ON");
    ReadSetting(&s.ds, "X", "Y", buffer, sizeof buffer, "a default longer than the buffer");
    EXPECT_STREQ(buffer, "a defau");
}

TEST_F(Session, TableFindIgnoresCase)
{
    StartTestSession(&s);
    const TableEntry* entry = nullptr;
    std::strcpy(s.image.tableName, "power07");
    TableFind(nullptr, &s.ds, &entry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->number, 4);
    std::strcpy(s.image.tableName, "Power 07");
    TableFind(nullptr, &s.ds, &entry);
    EXPECT_EQ(entry, nullptr);
}

TEST_F(Session, NotificationLookupStopsAtTheFirstNullFunction)
{
    StartTestSession(&s);
    EXPECT_NE(NotifyHost(3, &s.ds), nullptr);
    uint32_t value = 300;
    EXPECT_EQ(NotifyHostValue(3, &s.ds, &value, 4), 1);
    ASSERT_EQ(s.notifications.size(), 1u);
    EXPECT_EQ(s.notifications[0].id, 3);
    EXPECT_EQ(s.notifications[0].AsU32(), 300u);
    EXPECT_EQ(s.notifications[0].size, 4u);

    // A table whose first function is null is empty, whatever follows.
    SyncEntry table[] = {{3, nullptr}, {4, s.syncTable[3].function}, {0, nullptr}};
    RegDSSyncFunctions(table, &s.ds);
    EXPECT_EQ(NotifyHost(4, &s.ds), nullptr);
    EXPECT_EQ(NotifyHost(3, &s.ds), nullptr);
    RegDSSyncFunctions(nullptr, &s.ds);
    EXPECT_EQ(NotifyHostValue(3, &s.ds, &value, 4), 0);
    EXPECT_EQ(NotifyHost(3, nullptr), nullptr);

    // Ids without a pair are skipped.
    TestSession only;
    NewTestSessionWithSyncIds(&only, {3});
    ConnectHost(&only);
    EXPECT_EQ(NotifyHostValue(4, &only.ds, &value, 4), 0);
    EXPECT_TRUE(only.notifications.empty());
}

TEST_F(Session, ControlGroupsUseATrueModulo)
{
    StartTestSession(&s);
    s.image.guiControlMask = 1u << 13;
    EXPECT_EQ(IsControlGroupUnlocked(&s.ds, 1023), 1) << "(1023 - 14002) mod 32 is 13";
    EXPECT_EQ(IsControlGroupUnlocked(&s.ds, 14015), 1);
    EXPECT_EQ(IsControlGroupUnlocked(&s.ds, 14002), 0);
    s.image.guiControlMask = 1u;
    EXPECT_EQ(IsControlGroupUnlocked(&s.ds, 14002), 1);
    EXPECT_EQ(IsControlGroupUnlocked(&s.ds, 14034), 1);
    EXPECT_EQ(IsControlGroupUnlocked(&s.ds, INT32_MIN), 0);
    EXPECT_EQ(IsControlGroupUnlocked(nullptr, 14002), 0);
}

TEST_F(Session, NullRecordsDoNotCrash)
{
    EXPECT_EQ(InitDSData(nullptr), 1);
    DSData partial{};
    EXPECT_EQ(InitDSData(&partial), 1);
    EXPECT_EQ(RegDSSyncFunctions(nullptr, nullptr), 1);
}

}  // namespace

namespace {

TEST_F(Session, InitLeavesNoPreviewGroupAndNoStaleListBuffer)
{
    NewTestSession(&s);
    ASSERT_EQ(InitDSData(&s.ds), 1);
    EXPECT_EQ(s.image.preview.group, -1) << "a zeroed record said group 0, which may be anyone's";

    // The host gave the list buffer back and the next one cannot be had.
    ASSERT_NE(s.output.imageListPath, nullptr);
    ASSERT_EQ(MemFreeBlock(s.output.imageListPath), 0);
    char hostsOwn[8];
    s.output.imageListPath = hostsOwn;
    SysBlockRefuseAfter(0);
    EXPECT_EQ(InitDSData(&s.ds), 1);
    SysBlockRefuseAfter(-1);
    EXPECT_EQ(s.output.imageListPath, nullptr);

    ASSERT_EQ(InitDSData(&s.ds), 1);
    char* buffer = s.output.imageListPath;
    ASSERT_NE(buffer, nullptr);
    std::memset(buffer, 'x', 128);
    ASSERT_EQ(InitDSData(&s.ds), 1);
    EXPECT_EQ(s.output.imageListPath, buffer) << "one buffer serves the sessions of the process";
    EXPECT_STREQ(buffer, "") << "and each session finds it empty";
}

}  // namespace
