// The table in force: stand-ins that fail safely, and installed tables.
#include <gtest/gtest.h>

#include <string.h>

#include "scanner/toolkit.h"

namespace {

void ExpectEveryCallFails(const ScanKit* kit)
{
    uint16_t count = 7;
    EXPECT_NE(0, kit->findSCSIAdaptors(&count));
    EXPECT_EQ(0, count);
    uint32_t value = 7;
    EXPECT_NE(0, kit->openToolKit(0, &value));
    EXPECT_EQ(0u, value);
    uint8_t buffer[128];
    EXPECT_NE(0, kit->doInquiry(buffer, 52));
    ScannerInfo info;
    memset(&info, 0, sizeof info);
    EXPECT_NE(0, kit->findScanner(&info));
    EXPECT_EQ(TK_NO_COMMUNICATION, kit->scannerStatus());
    char text[16] = "x";
    EXPECT_NE(0, kit->getSerialNo(text));
    EXPECT_STREQ("", text);
    uint16_t ram = 9;
    uint8_t hardware = 9;
    strcpy(text, "x");
    EXPECT_NE(0, kit->getScannerInfo(&ram, text, &hardware));
    EXPECT_EQ(0, ram);
    EXPECT_EQ(0, hardware);
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, kit->IsFDSupported());
    EXPECT_EQ(0, kit->getFDStatus());
    uint16_t words[15];
    memset(words, 0xAB, sizeof words);
    EXPECT_NE(0, kit->getCapability(0, words, sizeof words));
    for (uint16_t word : words) EXPECT_EQ(0, word);
    uint16_t average = 5;
    EXPECT_NE(0, kit->getAverageCount(&average));
    EXPECT_EQ(0, average);
    int32_t got = 99;
    EXPECT_NE(0, kit->getImage(buffer, sizeof buffer, &got));
    EXPECT_EQ(0, got);
    // Not 0 and not 10: a scan over the stand-ins ends as a failure.
    EXPECT_NE(10, kit->getImage(buffer, sizeof buffer, &got));
    buffer[0] = 1;
    EXPECT_NE(0, kit->getPaperStatus(buffer));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_NE(0, kit->initScanner());
    EXPECT_NE(0, kit->Diagnostics(buffer, 5, buffer, 80));
    EXPECT_NE(0, kit->diagCalibrate(0, buffer, 128));
    EXPECT_NE(6, kit->diagCalibrate(0, buffer, 128));
    EXPECT_NE(0, kit->doTestUnitReady());
    // Null out-pointers are tolerated.
    EXPECT_NE(0, kit->findSCSIAdaptors(nullptr));
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
    ExpectEveryCallFails(ToolkitStandIns());
    ToolkitInstall(nullptr);
    ExpectEveryCallFails(Toolkit());
}

TEST(ToolkitTable, InstalledTableKeepsStandInsForMissingSlots)
{
    ScanKit scripted;
    memset(&scripted, 0, sizeof scripted);
    scripted.findSCSIAdaptors = ScriptedAdaptors;
    ToolkitInstall(&scripted);
    // The caller's table may go away: the binding keeps a copy.
    memset(&scripted, 0, sizeof scripted);

    g_adapterCalls = 0;
    uint16_t count = 0;
    EXPECT_EQ(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(2, count);
    EXPECT_EQ(1, g_adapterCalls);
    ASSERT_NE(nullptr, Toolkit()->setSCSIAdaptorId);
    EXPECT_NE(0, Toolkit()->setSCSIAdaptorId(0));
    EXPECT_EQ(TK_NO_COMMUNICATION, Toolkit()->scannerStatus());

    ToolkitInstall(nullptr);
    EXPECT_NE(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(1, g_adapterCalls);
}
