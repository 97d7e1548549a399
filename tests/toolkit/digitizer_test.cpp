// The virtual digitizer through the library's toolkit table: discovery,
// identity, capabilities, programmed windows, scripted answers and faults.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <chrono>

#include "digitizer_fixture.h"

namespace {

class Digitizer : public ::testing::Test {
protected:
    void Use(const std::string& ini)
    {
        ASSERT_TRUE(UseDigitizer(::testing::UnitTest::GetInstance()->current_test_info()->name(), ini));
        Toolkit()->stageFilmInFD();   // the feeder's first film into the transport
    }
    void TearDown() override { ReleaseDigitizer(); }
};

std::string ResponseText(const uint8_t* response) { return std::string((const char*)response + 5); }

Window DepthWindow(uint8_t bits)
{
    Window w;
    w.resolution = 100;
    w.pixels = 401;
    w.lines = 120;
    w.offsetX = 50;   // from the open bed across the film's border into the film
    w.offsetY = 300;
    w.bits = bits;
    return w;
}

// First pixel of line 0 darker than half of full scale.
int FirstDark(const ScanResult& scan, uint32_t pixels, uint32_t full)
{
    for (uint32_t x = 0; x < pixels; ++x)
        if (Sample(scan.bytes, pixels, 1, x, 0) < full / 2) return (int)x;
    return -1;
}

}  // namespace

TEST_F(Digitizer, DiscoveryFindsTheDigitizerOnItsTargetOnly)
{
    Use("[identity]\nadapters = 2\nadapter = 1\ntarget = 5\n");
    const ScanKit* kit = Toolkit();
    uint16_t adapters = 0;
    ASSERT_EQ(0, kit->findSCSIAdaptors(&adapters));
    EXPECT_EQ(2, adapters);
    EXPECT_NE(0, kit->setSCSIAdaptorId(2));
    int found = 0;
    for (uint16_t adapter = 0; adapter < adapters; ++adapter) {
        ASSERT_EQ(0, kit->setSCSIAdaptorId(adapter));
        for (uint16_t target = 0; target < 8; ++target) {
            uint32_t value = 0;
            ASSERT_EQ(0, kit->openToolKit(target, &value));
            uint8_t inquiry[52];
            memset(inquiry, 0xEE, sizeof inquiry);
            if (kit->doInquiry(inquiry, sizeof inquiry) == 0) {
                EXPECT_EQ(1, adapter);
                EXPECT_EQ(5, target);
                EXPECT_EQ(0, memcmp(inquiry + 16, "NQT-12 ", 7));
                ScannerInfo info;
                memset(&info, 0, sizeof info);
                ASSERT_EQ(0, kit->findScanner(&info));
                EXPECT_EQ(8, info.modelCode);
                ++found;
            } else {
                ScannerInfo info;
                EXPECT_NE(0, kit->findScanner(&info));
            }
            kit->closeToolKit();
        }
    }
    EXPECT_EQ(1, found);
}

TEST_F(Digitizer, OpenFailureAndMissingAdapterAreReported)
{
    Use("openResult = -7\n");
    uint32_t value = 9;
    EXPECT_EQ(-7, Toolkit()->openToolKit(0, &value));
    Use("adapters = 0\n");
    uint16_t adapters = 9;
    EXPECT_EQ(0, Toolkit()->findSCSIAdaptors(&adapters));
    EXPECT_EQ(0, adapters);
}

TEST_F(Digitizer, IdentityAndDiagnosticPages)
{
    Use("");
    const ScanKit* kit = Toolkit();
    char serial[7];
    memset(serial, 'x', sizeof serial);
    ASSERT_EQ(0, kit->getSerialNo(serial));
    EXPECT_STREQ("VD0420", serial);
    uint16_t ram = 0;
    char firmware[5];
    uint8_t hardware = 0;
    ASSERT_EQ(0, kit->getScannerInfo(&ram, firmware, &hardware));
    EXPECT_EQ(512, ram);
    EXPECT_STREQ("2.13", firmware);
    EXPECT_EQ(7, hardware);
    uint8_t id = 0, version = 0;
    ASSERT_EQ(0, kit->getScsiInfo(&id, &version));
    EXPECT_EQ(3, id);
    EXPECT_EQ(2, version);

    uint8_t response[80];
    const uint8_t page2[5] = {0xB6, 0, 0, 1, 2};
    ASSERT_EQ(6, kit->Diagnostics(page2, 5, response, sizeof response));
    EXPECT_EQ("A2", ResponseText(response));
    const uint8_t page14[5] = {0xB6, 0, 0, 1, 0x0E};
    ASSERT_EQ(6, kit->Diagnostics(page14, 5, response, sizeof response));
    EXPECT_EQ("STD", ResponseText(response));
    const uint8_t unknownPage[5] = {0xB6, 0, 0, 1, 7};
    EXPECT_NE(6, kit->Diagnostics(unknownPage, 5, response, sizeof response));
    EXPECT_EQ(0, kit->stopDiagnostic());
    EXPECT_EQ(13, kit->IsFDSupported());
    EXPECT_EQ(16, kit->getFDStatus());

    Use("modelCode = 9\nproduct = NQT-8\nmodelVariant =\nfeederPresent = 0\nhardwareVersion = 4\n");
    EXPECT_NE(6, Toolkit()->Diagnostics(page2, 5, response, sizeof response));
    EXPECT_EQ(0, Toolkit()->IsFDSupported());
    EXPECT_EQ(0, Toolkit()->getFDStatus());
    ASSERT_EQ(0, Toolkit()->getScannerInfo(&ram, firmware, &hardware));
    EXPECT_EQ(4, hardware);
}

TEST_F(Digitizer, ScannerStatusFollowsItsSequenceAndRepeatsTheLast)
{
    Use("status = 0x0401, 0x0401, 0x0402, 0x3A00, 0x0800, 0\n");
    const uint16_t expected[] = {0x0401, 0x0401, 0x0402, 0x3A00, 0x0800, 0, 0, 0};
    for (uint16_t code : expected) EXPECT_EQ(code, Toolkit()->scannerStatus());
}

TEST_F(Digitizer, EveryCapabilityInTheBufferLayout)
{
    Use("");
    const ScanKit* kit = Toolkit();
    uint16_t words[15];
    ASSERT_EQ(0, kit->getCapability(0, words, 30));
    EXPECT_EQ(9, words[1]);
    const uint16_t resolutions[] = {75, 100, 150, 200, 285, 300, 400, 570, 800};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(resolutions[i], words[4 + i]);
    ASSERT_EQ(0, kit->getCapability(1, words, 30));
    EXPECT_EQ(2, words[0]);
    EXPECT_EQ(1, words[1]);
    EXPECT_EQ(40, words[2]);
    EXPECT_EQ(12, words[5]);
    ASSERT_EQ(0, kit->getCapability(2, words, 30));
    EXPECT_EQ(4, words[1]);
    EXPECT_EQ(1, words[4]);
    EXPECT_EQ(8, words[5]);
    EXPECT_EQ(12, words[6]);
    EXPECT_EQ(16, words[7]);
    const struct { uint16_t id, value; } singles[] = {{4, 4}, {5, 14}, {24, 25}, {25, 1}};
    for (const auto& single : singles) {
        ASSERT_EQ(0, kit->getCapability(single.id, words, 30)) << single.id;
        EXPECT_EQ(3, words[0]);
        EXPECT_EQ(single.value, words[1]) << single.id;
    }
    EXPECT_NE(0, kit->getCapability(3, words, 30));

    // A short buffer is never overrun: the list is cut to what fits.
    uint16_t guarded[8];
    memset(guarded, 0x5A, sizeof guarded);
    ASSERT_EQ(0, kit->getCapability(0, guarded, 12));
    EXPECT_EQ(2, guarded[1]);
    EXPECT_EQ(75, guarded[4]);
    EXPECT_EQ(100, guarded[5]);
    EXPECT_EQ(0x5A5A, guarded[6]);

    Use("exposureKind = 3\nexposureDefault = 20\nresolutions = 60, 71\n");
    ASSERT_EQ(0, Toolkit()->getCapability(1, words, 30));
    EXPECT_EQ(3, words[0]);
    EXPECT_EQ(20, words[1]);
    ASSERT_EQ(0, Toolkit()->getCapability(0, words, 30));
    EXPECT_EQ(2, words[1]);
    EXPECT_EQ(71, words[5]);
}

TEST_F(Digitizer, WindowAtEachDepthIsReadWholeAndReproducibly)
{
    Use("");
    const struct { uint8_t bits; uint32_t bytesPerSample, full; } depths[] = {
        {8, 1, 255}, {12, 2, 4095}, {16, 2, 65535}};
    std::vector<uint8_t> eightBit;
    for (const auto& depth : depths) {
        SCOPED_TRACE(depth.bits);
        Window w = DepthWindow(depth.bits);
        Program(w);
        ScanResult first = ReadImage(32768);
        EXPECT_EQ(10, first.lastStatus);
        EXPECT_FALSE(first.otherStatus);
        ASSERT_EQ((size_t)w.pixels * w.lines * depth.bytesPerSample, first.bytes.size());
        Program(w);
        ScanResult second = ReadImage(32768);
        EXPECT_EQ(Checksum(first.bytes), Checksum(second.bytes));

        uint32_t highest = 0;
        for (uint32_t y = 0; y < w.lines; ++y)
            for (uint32_t x = 0; x < w.pixels; ++x)
                highest = std::max(highest, Sample(first.bytes, w.pixels, depth.bytesPerSample, x, y));
        EXPECT_LE(highest, depth.full);
        EXPECT_GT(highest, depth.full / 2);
        if (depth.bits == 8) {
            eightBit = first.bytes;
        } else {
            // The same film through the same curve: the deeper sample, cut to
            // 8 bits, is the 8-bit one.
            int differing = 0;
            for (uint32_t i = 0; i < w.pixels * w.lines; i += 37) {
                uint32_t deep = Sample(first.bytes, w.pixels, 2, i % w.pixels, i / w.pixels);
                uint32_t scaled = (deep * 255 + depth.full / 2) / depth.full;
                if (scaled + 1 < eightBit[i] || scaled > eightBit[i] + 1u) ++differing;
            }
            EXPECT_EQ(0, differing);
        }
    }
}

TEST_F(Digitizer, GeometryFollowsResolutionOffsetAndPixelSize)
{
    Use("");
    // Line at 0.5 inch down the film: bright unexposed border, then the dark
    // exposed field 0.4 inch into the film, which lies 1 inch from the bed's edge.
    Window w;
    w.lines = 3;
    w.pixels = 500;
    w.resolution = 100;
    w.offsetY = 50;
    Program(w);
    ScanResult scan = ReadImage(32768);
    ASSERT_EQ(1500u, scan.bytes.size());
    EXPECT_EQ(140, FirstDark(scan, 500, 255));

    w.resolution = 200;
    w.offsetY = 100;
    w.pixels = 700;
    Program(w);
    scan = ReadImage(32768);
    ASSERT_EQ(2100u, scan.bytes.size());
    EXPECT_EQ(280, FirstDark(scan, 700, 255));

    w.resolution = 100;
    w.offsetY = 50;
    w.offsetX = 50;
    w.pixels = 301;
    Program(w);
    scan = ReadImage(32768);
    ASSERT_EQ(903u, scan.bytes.size());
    EXPECT_EQ(90, FirstDark(scan, 301, 255));

    // Whole-width mode counts from the film strip it found.
    w.scanMode = 1;
    w.offsetX = 0;
    Program(w);
    scan = ReadImage(32768);
    EXPECT_EQ(40, FirstDark(scan, 301, 255));

    // The film ends 16 inches down: a window past it stops there.
    w.scanMode = 0;
    w.offsetY = 1500;
    w.lines = 300;
    Program(w);
    scan = ReadImage(32768);
    EXPECT_EQ(10, scan.lastStatus);
    EXPECT_EQ(100u * 301, scan.bytes.size());
}

TEST_F(Digitizer, LineWidthAndWindowReport)
{
    Use("");
    const ScanKit* kit = Toolkit();
    kit->setResolution(150);
    kit->setScanMode(0);
    kit->initScanner();
    uint8_t report[128];
    ASSERT_EQ(0, kit->diagReportStatus(0, report, sizeof report));
    EXPECT_EQ("2100", ResponseText(report));   // the bed
    kit->setScanMode(1);
    kit->initScanner();
    // The feeder stages the first film; whole-width mode finds its strip.
    ASSERT_EQ(0, kit->stageFilmInFD());
    ASSERT_EQ(0, kit->diagReportStatus(0, report, sizeof report));
    EXPECT_EQ("1800", ResponseText(report));

    kit->setPixelSize(1800, 2550);
    kit->setBitsPerPixel(8);
    kit->setOffset(12, 34);
    kit->initScanner();
    uint8_t window[56];
    ASSERT_EQ(0, kit->doGetWindow(window, sizeof window));
    EXPECT_EQ(150, window[12] << 8 | window[13]);
    EXPECT_EQ(1800u, (uint32_t)(window[22] << 24 | window[23] << 16 | window[24] << 8 | window[25]));
    EXPECT_EQ(2550u, (uint32_t)(window[26] << 24 | window[27] << 16 | window[28] << 8 | window[29]));
    EXPECT_NE(0, kit->doGetWindow(window, 20));
}

TEST_F(Digitizer, ProgrammingRefusesWhatTheDigitizerCannotDo)
{
    Use("");
    const ScanKit* kit = Toolkit();
    EXPECT_NE(0, kit->setResolution(1200));
    EXPECT_NE(0, kit->setResolution(50));
    EXPECT_NE(0, kit->setBitsPerPixel(10));
    EXPECT_NE(0, kit->setOutputMode(5));
    EXPECT_NE(0, kit->setAverageCount(5));
    EXPECT_NE(0, kit->setAverageCount(0));
    EXPECT_NE(0, kit->setTranslationTable(8));
    EXPECT_NE(0, kit->setLineTime(41));
    EXPECT_EQ(0, kit->setAverageCount(4));
    uint16_t average = 0;
    EXPECT_EQ(0, kit->getAverageCount(&average));
    EXPECT_EQ(4, average);
}

TEST_F(Digitizer, UnitReadyTrackingModeAndLostCommunication)
{
    Use("unitReady = tracking, busy, lost, ready\n");
    const ScanKit* kit = Toolkit();
    uint8_t sense[20];
    EXPECT_EQ(-1, kit->doTestUnitReady());
    ASSERT_EQ(0, kit->doRequestSense(sense, 20, 0));
    EXPECT_EQ(2, sense[2]);
    EXPECT_EQ(4, sense[12]);
    EXPECT_EQ(1, sense[13]);
    ASSERT_EQ(0, kit->doRequestSense(sense, 20, 0));
    EXPECT_EQ(0, sense[2]);
    EXPECT_EQ(-1, kit->doTestUnitReady());
    ASSERT_EQ(0, kit->doRequestSense(sense, 20, 0));
    EXPECT_EQ(2, sense[2]);
    EXPECT_EQ(0, sense[13]);
    EXPECT_EQ((uint16_t)0xFFEE, (uint16_t)kit->doTestUnitReady());
    EXPECT_EQ(0, kit->doTestUnitReady());
    EXPECT_EQ(0, kit->doTestUnitReady());
}

TEST_F(Digitizer, CalibrationAndSystemTestScripts)
{
    Use("calibrate = 4; 4; 0:Lamp 212\\n; 6\nfullTest = 1:Lamp failure; 2; 6\n");
    const ScanKit* kit = Toolkit();
    uint8_t reply[256];
    EXPECT_EQ(4, kit->diagCalibrate(0, reply, 256));
    EXPECT_EQ(4, kit->diagCalibrate(0, reply, 256));
    EXPECT_EQ(0, kit->diagCalibrate(0, reply, 256));
    EXPECT_STREQ("Lamp 212\n", (const char*)reply);
    EXPECT_EQ(6, kit->diagCalibrate(0, reply, 256));
    EXPECT_EQ(4, kit->diagCalibrate(2, reply, 256));   // a new calibration starts over

    EXPECT_EQ(1, kit->diagFullTest(reply, 128));
    EXPECT_EQ("Lamp failure", ResponseText(reply));
    EXPECT_EQ(2, kit->diagFullTest(reply, 128));
    EXPECT_EQ(6, kit->diagFullTest(reply, 128));
    EXPECT_EQ(0, kit->resetScanner(1, 0));
}

TEST_F(Digitizer, ReadsEndingInsideLinesAndShortReadsDeliverTheSameImage)
{
    Window w = DepthWindow(16);
    Use("");
    Program(w);
    ScanResult plain = ReadImage(3 * 802);

    Use("splitReads = 1\n");
    Program(w);
    ScanResult split = ReadImage(3 * 802);
    EXPECT_EQ(10, split.lastStatus);
    EXPECT_EQ(Checksum(plain.bytes), Checksum(split.bytes));
    // Every read but the last stops half a line short of what was asked.
    ASSERT_GT(split.reads.size(), 2u);
    for (size_t i = 0; i + 1 < split.reads.size(); ++i) EXPECT_EQ(5 * 802 / 2, split.reads[i]);

    Use("shortRead = 1000\n");
    Program(w);
    ScanResult shortReads = ReadImage(32768);
    EXPECT_EQ(Checksum(plain.bytes), Checksum(shortReads.bytes));
    for (int32_t got : shortReads.reads) EXPECT_LE(got, 1000);
}

TEST_F(Digitizer, OtherStatusStallAndFailingCalls)
{
    Window w = DepthWindow(8);
    Use("badStatus = 7\nbadStatusLine = 5\n");
    Program(w);
    ScanResult bad = ReadImage(32768);
    EXPECT_EQ(7, bad.lastStatus);
    EXPECT_EQ(5u * w.pixels, bad.bytes.size());

    Use("stallLine = 2\nstallMs = 300\n");
    Program(w);
    auto start = std::chrono::steady_clock::now();
    ScanResult stalled = ReadImage(w.pixels);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 0.29);
    EXPECT_EQ(10, stalled.lastStatus);
    EXPECT_EQ((size_t)w.pixels * w.lines, stalled.bytes.size());
    // Lines 0 and 1 whole, then half of line 2, then nothing for a while.
    ASSERT_GE(stalled.reads.size(), 5u);
    EXPECT_EQ((int32_t)w.pixels / 2, stalled.reads[2]);
    EXPECT_EQ(0, stalled.reads[3]);

    Use("failCalls = getImage, initScanner\n");
    int32_t got = 5;
    uint8_t buffer[64];
    EXPECT_EQ(TK_FAILED, Toolkit()->getImage(buffer, sizeof buffer, &got));
    EXPECT_EQ(0, got);
    EXPECT_EQ(TK_FAILED, Toolkit()->initScanner());
    EXPECT_EQ(0, Toolkit()->setResolution(100));
}
