// The digitizer's test aids: over-delivery, an instant stall, strictness
// about the call order, the call log and the truth file.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "digitizer_fixture.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    fclose(file);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

Window SmallWindow()
{
    Window w;
    w.resolution = 100;
    w.pixels = 200;
    w.lines = 30;
    w.offsetY = 100;
    return w;
}

class DigitizerRecords : public ::testing::Test {
protected:
    std::string Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
    void Use(const std::string& ini)
    {
        ASSERT_TRUE(UseDigitizer(Name(), ini));
        Toolkit()->stageFilmInFD();
    }
    void TearDown() override { ReleaseDigitizer(); }
};

}  // namespace

TEST_F(DigitizerRecords, OverDeliveryGoesPastTheWindowAndTheFilmsEnd)
{
    Use("overDeliver = 7\n");
    Window w = SmallWindow();
    Program(w);
    ScanResult scan = ReadImage(32768);
    EXPECT_EQ(10, scan.lastStatus);
    EXPECT_EQ((size_t)(30 + 7) * 200, scan.bytes.size());

    // The film is 16 inches long: at 100 dpi a window from line 1590 has 10
    // lines of film, then 7 more of the clear transport (full scale).
    w.offsetY = 1590;
    w.lines = 0;
    Program(w);
    scan = ReadImage(32768);
    ASSERT_EQ((size_t)(10 + 7) * 200, scan.bytes.size());
    for (uint32_t y = 10; y < 17; ++y) EXPECT_GT(Sample(scan.bytes, 200, 1, 100, y), 230u) << y;
}

TEST_F(DigitizerRecords, InstantStallAnswersEmptyAtOnceForEver)
{
    Use("stallLine = 3\nstallInstant = 1\nstallMs = 600000\n");
    Program(SmallWindow());
    // A real wait of even a second would show: 5000 calls at 20 ms each
    // would take 100 s.
    ScanResult scan = ReadImage(200, 5000);
    EXPECT_EQ(0, scan.lastStatus);
    ASSERT_EQ(5000u, scan.reads.size());
    EXPECT_EQ(200, scan.reads[2]);
    EXPECT_EQ(100, scan.reads[3]);   // half of line 3
    for (size_t i = 4; i < scan.reads.size(); ++i) ASSERT_EQ(0, scan.reads[i]) << i;
}

TEST_F(DigitizerRecords, CallsOutOfOrderFail)
{
    Use("");
    const ScanKit* kit = Toolkit();
    uint8_t buffer[256];
    int32_t got = 9;
    // Open, but nothing programmed since power-on.
    EXPECT_EQ(TK_FAILED, kit->getImage(buffer, sizeof buffer, &got));
    EXPECT_EQ(0, got);

    Program(SmallWindow());
    EXPECT_EQ(0, kit->stopScan());   // nothing running yet: still programmed
    ASSERT_EQ(0, kit->getImage(buffer, 200, &got));
    EXPECT_EQ(200, got);
    EXPECT_EQ(0, kit->stopScan());
    // A scan that ran needs initScanner again.
    EXPECT_EQ(TK_FAILED, kit->getImage(buffer, 200, &got));
    EXPECT_EQ(0, got);
    EXPECT_EQ(0, kit->initScanner());
    EXPECT_EQ(0, kit->getImage(buffer, 200, &got));
    EXPECT_EQ(200, got);
    // Programmed while the last scan still runs, stopped, then scanned: the
    // order of a scan command.
    EXPECT_EQ(0, kit->initScanner());
    EXPECT_EQ(0, kit->stopScan());
    EXPECT_EQ(0, kit->getImage(buffer, 200, &got));
    EXPECT_EQ(200, got);

    // After closeToolKit only discovery answers.
    EXPECT_EQ(0, kit->closeToolKit());
    EXPECT_EQ(TK_FAILED, kit->initScanner());
    EXPECT_EQ(TK_FAILED, kit->stopScan());
    EXPECT_EQ(TK_FAILED, kit->getImage(buffer, 200, &got));
    uint16_t average = 0;
    EXPECT_EQ(TK_FAILED, kit->getAverageCount(&average));
    EXPECT_EQ(TK_NO_COMMUNICATION, kit->scannerStatus());
    EXPECT_EQ(0, kit->IsFDSupported());
    char serial[7];
    EXPECT_EQ(TK_FAILED, kit->getSerialNo(serial));
    uint16_t adapters = 0;
    EXPECT_EQ(0, kit->findSCSIAdaptors(&adapters));
    EXPECT_EQ(0, kit->setSCSIAdaptorId(0));
    uint32_t value = 0;
    EXPECT_EQ(0, kit->openToolKit(3, &value));
    EXPECT_EQ(0, kit->getSerialNo(serial));
}

TEST_F(DigitizerRecords, CallLogAndTruthFileRecordWhatWasAskedAndSent)
{
    std::string log = TempFile(Name() + ".log"), truth = TempFile(Name() + ".raw");
    Use("callLog = " + log + "\ntruthFile = " + truth + "\nsplitReads = 1\n");
    Window w = SmallWindow();
    Program(w);
    ScanResult first = ReadImage(2000);
    Program(w);   // initScanner starts the truth file afresh
    ScanResult scan = ReadImage(2000);
    ASSERT_EQ(10, scan.lastStatus);
    EXPECT_EQ(first.bytes, scan.bytes);

    std::string sent = ReadText(truth);
    ASSERT_EQ(scan.bytes.size(), sent.size());
    EXPECT_EQ(0, memcmp(sent.data(), scan.bytes.data(), sent.size()));

    std::vector<std::string> lines = Lines(ReadText(log));
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ("findSCSIAdaptors", lines[0]);
    EXPECT_EQ("setSCSIAdaptorId", lines[1]);
    EXPECT_EQ("openToolKit", lines[2]);
    // Every read of 2000 bytes (10 lines) ends half a line short.
    std::vector<std::string> reads;
    for (const std::string& line : lines)
        if (line.compare(0, 9, "getImage ") == 0) reads.push_back(line);
    ASSERT_EQ(2 * scan.reads.size(), reads.size());
    EXPECT_EQ("getImage 2000 1900 0", reads[0]);
    EXPECT_EQ("getImage 2000 " + std::to_string(scan.reads.back()) + " 10", reads.back());
    EXPECT_EQ("stopScan", lines.back());
}
