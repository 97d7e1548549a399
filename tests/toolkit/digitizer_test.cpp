// The virtual digitizer through the library's toolkit table: what the
// product's own tests rely on it to do right. The geometry and depths of a
// programmed window, the feeder's numbered stack, the injected faults,
// the call log and the truth file. Discovery and identity
// are checked by start-up against the installed digitizer.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "digitizer_fixture.h"
#include "test_files.h"

namespace {

class Digitizer : public ::testing::Test {
protected:
    void Use(const std::string& ini, bool stage = true)
    {
        ASSERT_TRUE(UseDigitizer(ini));
        if (stage)
            Toolkit()->stageFilmInFD();  // the feeder's first film into the transport
    }
    void TearDown() override { ReleaseDigitizer(); }
};

Window MakeWindow(uint16_t resolution, uint32_t offsetX, uint32_t offsetY, uint32_t pixels, uint32_t lines,
                  uint8_t bits = 8)
{
    Window w;
    w.resolution = resolution;
    w.offsetX = offsetX;
    w.offsetY = offsetY;
    w.pixels = pixels;
    w.lines = lines;
    w.bits = bits;
    return w;
}

// A band from the open bed across the film's border into the film.
Window DepthWindow(uint8_t bits) { return MakeWindow(100, 50, 300, 401, 120, bits); }

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// The same film through the same curve at every depth: whole, reproducible,
// within full scale, and the deeper sample cut to 8 bits is the 8-bit one.
TEST_F(Digitizer, WindowAtEachDepthIsReadWholeAndReproducibly)
{
    Use("");
    const struct { uint8_t bits; uint32_t bytesPerSample, full; } depths[] = {{8, 1, 255}, {12, 2, 4095}, {16, 2, 65535}};
    std::vector<uint8_t> eightBit;
    for (const auto& depth : depths) {
        SCOPED_TRACE(depth.bits);
        Window w = DepthWindow(depth.bits);
        Program(w);
        ScanResult first = ReadImage(32768);
        EXPECT_EQ(10, first.lastStatus);
        ASSERT_EQ((size_t)w.pixels * w.lines * depth.bytesPerSample, first.bytes.size());
        Program(w);
        EXPECT_EQ(first.bytes, ReadImage(32768).bytes);
        uint32_t highest = 0, differing = 0;
        for (uint32_t i = 0; i < w.pixels * w.lines; ++i) {
            uint32_t v = Sample(first.bytes, w.pixels, depth.bytesPerSample, i % w.pixels, i / w.pixels);
            highest = std::max(highest, v);
            if (depth.bits == 8)
                continue;
            uint32_t scaled = (v * 255 + depth.full / 2) / depth.full;
            differing += scaled + 1 < eightBit[i] || scaled > eightBit[i] + 1u;
        }
        EXPECT_LE(highest, depth.full);
        EXPECT_GT(highest, depth.full / 2);
        EXPECT_EQ(0u, differing);
        if (depth.bits == 8)
            eightBit = first.bytes;
    }
}

// Half an inch down the film: the bright unexposed border, then the dark
// field 0.4 inch into the film, which lies 1 inch from the bed's edge.
TEST_F(Digitizer, GeometryFollowsResolutionOffsetAndPixelSize)
{
    Use("");
    const struct { uint16_t scanMode, resolution; uint32_t offsetX, offsetY, pixels; int firstDark; } cases[] = {
        {0, 100, 0, 50, 500, 140}, {0, 200, 0, 100, 700, 280}, {0, 100, 50, 50, 301, 90},
        {1, 100, 0, 50, 301, 40},  // whole-width mode counts from the film strip it found
    };
    for (const auto& c : cases) {
        Window w = MakeWindow(c.resolution, c.offsetX, c.offsetY, c.pixels, 3);
        w.scanMode = c.scanMode;
        Program(w);
        ScanResult scan = ReadImage(32768);
        ASSERT_EQ(3u * c.pixels, scan.bytes.size());
        int dark = -1;
        for (uint32_t x = 0; x < c.pixels && dark < 0; ++x)
            if (scan.bytes[x] < 128)
                dark = (int)x;
        EXPECT_EQ(c.firstDark, dark) << c.resolution << " " << c.offsetX;
    }
    // The film ends 16 inches down: a window past it stops there.
    Program(MakeWindow(100, 50, 1500, 301, 300));
    ScanResult scan = ReadImage(32768);
    EXPECT_EQ(10, scan.lastStatus);
    EXPECT_EQ(100u * 301, scan.bytes.size());
}

TEST_F(Digitizer, FeederStacksNumberedFilmsUntilItIsEmpty)
{
    Use("films = 2\n", false);
    const ScanKit* kit = Toolkit();
    uint8_t paper = 1;
    kit->getPaperStatus(&paper);
    EXPECT_EQ(0, paper);
    ASSERT_EQ(0, kit->stageFilmInFD());
    kit->getPaperStatus(&paper);
    EXPECT_EQ(1, paper);
    // The film's number sits in the top right corner.
    Window corner = MakeWindow(75, 75 * 9, 30, 300, 120);
    Program(corner);
    ScanResult first = ReadImage(32768);
    EXPECT_EQ(0, kit->loadMedium());  // the same film again
    Program(corner);
    EXPECT_EQ(first.bytes, ReadImage(32768).bytes);
    EXPECT_EQ(0, kit->unloadMedium());
    ASSERT_EQ(0, kit->stageFilmInFD());
    Program(corner);
    ScanResult second = ReadImage(32768);
    ASSERT_EQ(first.bytes.size(), second.bytes.size());
    size_t differing = 0;
    for (size_t i = 0; i < first.bytes.size(); ++i)
        differing += abs(first.bytes[i] - second.bytes[i]) > 100;
    EXPECT_GT(differing, first.bytes.size() / 50);
    EXPECT_EQ(0, kit->unloadMedium());
    EXPECT_EQ(18, kit->stageFilmInFD()) << "the feeder is empty";
    EXPECT_NE(0, kit->loadMedium());
}

// Split and short reads deliver the same image; the other faults end the
// scan as configured.
TEST_F(Digitizer, InjectedFaults)
{
    Window w = DepthWindow(16);
    Use("");
    Program(w);
    ScanResult plain = ReadImage(3 * 802);
    Use("splitReads = 1\n");
    Program(w);
    ScanResult split = ReadImage(3 * 802);
    EXPECT_EQ(10, split.lastStatus);
    EXPECT_EQ(plain.bytes, split.bytes);
    ASSERT_GT(split.reads.size(), 2u);
    EXPECT_EQ(5 * 802 / 2, split.reads[0]) << "half a line short of what was asked";
    Use("shortRead = 1000\n");
    Program(w);
    ScanResult shortReads = ReadImage(32768);
    EXPECT_EQ(plain.bytes, shortReads.bytes);
    EXPECT_LE(*std::max_element(shortReads.reads.begin(), shortReads.reads.end()), 1000);

    w = DepthWindow(8);
    Use("badStatus = 7\nbadStatusLine = 5\n");
    Program(w);
    ScanResult bad = ReadImage(32768);
    EXPECT_EQ(7, bad.lastStatus);
    EXPECT_EQ(5u * w.pixels, bad.bytes.size());

    // An instant stall answers nothing, at once, for ever.
    Use("stallLine = 3\nstallInstant = 1\nstallMs = 600000\n");
    Program(MakeWindow(100, 0, 100, 200, 30));
    ScanResult stalled = ReadImage(200, 5000);
    EXPECT_EQ(0, stalled.lastStatus);
    ASSERT_EQ(5000u, stalled.reads.size());
    EXPECT_EQ(100, stalled.reads[3]) << "half of line 3";
    EXPECT_EQ(0, *std::max_element(stalled.reads.begin() + 4, stalled.reads.end()));

    // Over-delivery goes past the window and past the film's end (16 inches),
    // into the clear transport.
    Use("overDeliver = 7\n");
    Program(MakeWindow(100, 0, 1590, 200, 0));
    ScanResult over = ReadImage(32768);
    EXPECT_EQ(10, over.lastStatus);
    ASSERT_EQ((10u + 7) * 200, over.bytes.size());
    EXPECT_GT(Sample(over.bytes, 200, 1, 100, 16), 230u);

    Use("failCalls = getImage, initScanner\n");
    int32_t got = 5;
    uint8_t buffer[64];
    EXPECT_EQ(TK_FAILED, Toolkit()->getImage(buffer, sizeof buffer, &got));
    EXPECT_EQ(0, got);
    EXPECT_EQ(TK_FAILED, Toolkit()->initScanner());
    EXPECT_EQ(0, Toolkit()->setResolution(100));
}

TEST_F(Digitizer, CallLogAndTruthFileRecordWhatWasAskedAndSent)
{
    std::string log = TestTempPath("digitizer.log"), truth = TestTempPath("digitizer.raw");
    Use("callLog = " + log + "\ntruthFile = " + truth + "\nsplitReads = 1\n");
    Window w = MakeWindow(100, 0, 100, 200, 30);
    Program(w);
    ScanResult first = ReadImage(2000);
    Program(w);  // initScanner starts the truth file afresh
    ScanResult scan = ReadImage(2000);
    ASSERT_EQ(10, scan.lastStatus);
    EXPECT_EQ(first.bytes, scan.bytes);
    std::string sent = ReadText(truth);
    EXPECT_EQ(std::string(scan.bytes.begin(), scan.bytes.end()), sent);
    std::string calls = ReadText(log);
    EXPECT_EQ(0u, calls.find("findSCSIAdaptors\nsetSCSIAdaptorId\nopenToolKit\n")) << calls;
    // Every read of 2000 bytes (10 lines) ends half a line short.
    EXPECT_NE(std::string::npos, calls.find("\ngetImage 2000 1900 0\n"));
    EXPECT_NE(std::string::npos, calls.find("\ngetImage 2000 " + std::to_string(scan.reads.back()) + " 10\nstopScan\n"));
    EXPECT_EQ(calls.size() - 9, calls.rfind("stopScan\n"));
    ReleaseDigitizer();  // the digitizer lets go of its files
    remove(log.c_str());
    remove(truth.c_str());
}
