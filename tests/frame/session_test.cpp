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

TEST_F(Session, InitLeavesNoPreviewGroupAndNoStaleListBuffer)
{
    NewTestSession(&s);
    ASSERT_EQ(InitDSData(&s.ds), 1);
    EXPECT_EQ(s.image.preview.group, -1) << "a zeroed record said group 0, which may be anyone's";

    // The host gave the list buffer back and the next one cannot be had.
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

TEST_F(Session, TableChoiceLoadsTheLastMarkedAndSavesAsOneAndZeros)
{
    NewTestSession(&s);
    SetProfile(&s, "TranslationTable", "OD", "1");
    SetProfile(&s, "TranslationTable", "Power05", "1");
    SetProfile(&s, "TranslationTable", "Power03", "x");  // not a number counts as 0
    SetProfile(&s, "TranslationTable", "Linear", "0");
    ConnectHost(&s);
    InitDSData(&s.ds);
    EXPECT_STREQ(s.image.tableName, "Power05");
    EXPECT_EQ(s.image.tableIndex, 5);

    TableSaveSelection(&s.ds);
    const char* names[] = {"Linear", "Logarithmic", "OD", "SQRT",
                           "Power07", "Power05", "Power03", "Power10"};
    ASSERT_EQ(s.profileWrites.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(s.profileWrites[i].first, std::string("TranslationTable/") + names[i]);
        EXPECT_EQ(s.profileWrites[i].second, i == 5 ? "1" : "0") << names[i];
    }
    char buffer[8];
    ReadSetting(&s.ds, "X", "Y", buffer, sizeof buffer, "a default longer than the buffer");
    EXPECT_STREQ(buffer, "a defau");
}

}  // namespace
