// The table in force: stand-ins that fail safely, and installed tables.
#include <gtest/gtest.h>

#include <string.h>

#include "scanner/toolkit.h"

namespace {

// A scan over the stand-ins finds nothing and ends as a failure.
void ExpectEveryCallFails(const ScanKit* kit)
{
    uint16_t count = 7;
    EXPECT_NE(0, kit->findSCSIAdaptors(&count));
    EXPECT_EQ(0, count);
    uint32_t value = 7;
    EXPECT_NE(0, kit->openToolKit(0, &value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ(TK_NO_COMMUNICATION, kit->scannerStatus());
    char text[16] = "x";
    EXPECT_NE(0, kit->getSerialNo(text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, kit->IsFDSupported());
    uint16_t words[15];
    memset(words, 0xAB, sizeof words);
    EXPECT_NE(0, kit->getCapability(0, words, sizeof words));
    for (uint16_t word : words)
        EXPECT_EQ(0, word);
    uint8_t buffer[128];
    int32_t got = 99;
    TkStatus status = kit->getImage(buffer, sizeof buffer, &got);
    EXPECT_TRUE(status != 0 && status != 10) << status;
    EXPECT_EQ(0, got);
    buffer[0] = 1;
    EXPECT_NE(0, kit->getPaperStatus(buffer));
    EXPECT_EQ(0, buffer[0]);
    status = kit->diagCalibrate(0, buffer, 128);
    EXPECT_TRUE(status != 0 && status != 6) << status;
    EXPECT_NE(0, kit->findSCSIAdaptors(nullptr)) << "null out-pointers are tolerated";
    EXPECT_NE(0, kit->getImage(nullptr, 0, nullptr));
}

uint16_t g_adapterCalls;
TkStatus ScriptedAdaptors(uint16_t* count)
{
    ++g_adapterCalls;
    *count = 2;
    return 0;
}

}  // namespace

TEST(ToolkitTable, StandInsFailWithZeroCounts)
{
    ToolkitInstall(nullptr);
    ExpectEveryCallFails(Toolkit());
}

TEST(ToolkitTable, InstalledTableKeepsStandInsForMissingSlots)
{
    ScanKit scripted;
    memset(&scripted, 0, sizeof scripted);
    scripted.findSCSIAdaptors = ScriptedAdaptors;
    ToolkitInstall(&scripted);
    memset(&scripted, 0, sizeof scripted);  // the binding keeps a copy
    g_adapterCalls = 0;
    uint16_t count = 0;
    EXPECT_EQ(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(2, count);
    EXPECT_EQ(1, g_adapterCalls);
    EXPECT_EQ(TK_NO_COMMUNICATION, Toolkit()->scannerStatus());
    ToolkitInstall(nullptr);
    EXPECT_NE(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(1, g_adapterCalls);
}
