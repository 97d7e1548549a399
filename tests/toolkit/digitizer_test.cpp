// What the product's tests rely on the virtual digitizer to do right: the
// geometry and depths of a window, the feeder's stack, the injected faults
// (start-up checks discovery and identity).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <fstream>

#include "digitizer/toolkit.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "vd_digitizer.h"
#endif

namespace {

struct Window {
    uint16_t resolution, scanMode;
    uint32_t pixels, lines, offsetX, offsetY;
    uint8_t bits;
};

struct ScanResult {
    std::vector<uint8_t> bytes;
    std::vector<int32_t> reads;  // bytes of every call
    TkStatus lastStatus = 0;
};

// Writes `ini` to a temporary file, points SCANKIT_CONFIG at it, binds the
// digitizer (the DLL beside the test under Windows, the core's table
// natively) and opens it where it answers by default (discovery: start-up).
bool UseDigitizer(const std::string& ini)
{
    std::string path = TestTempPath("digitizer.ini");
    std::ofstream(path, std::ios::binary) << ini;
#ifdef _WIN32
    SetEnvironmentVariableA("SCANKIT_CONFIG", path.c_str());
    if (!ToolkitBindFile("scankit32.dll"))  // the program's folder is searched first
        return false;
#else
    setenv("SCANKIT_CONFIG", path.c_str(), 1);
    ToolkitInstall(VdKit());
#endif
    uint16_t adapters = 0;
    uint32_t value = 0;
    return !Toolkit()->findSCSIAdaptors(&adapters) && !Toolkit()->setSCSIAdaptorId(0) &&
           !Toolkit()->openToolKit(3, &value);
}

void ReleaseDigitizer()
{
#ifdef _WIN32
    ToolkitUnbind();
#else
    ToolkitInstall(nullptr);
#endif
}

void Program(const Window& w)
{
    const ScanKit* kit = Toolkit();
    kit->setAverageCount(1);
    kit->setResolution(w.resolution);
    kit->initScanner();
    kit->setBitOrder(1);
    kit->setOutputMode(w.bits <= 8 ? 4 : 6);
    kit->setScanMode(w.scanMode);
    kit->setPixelSize(w.pixels, w.lines);
    kit->setBitsPerPixel(w.bits);
    kit->setOffset(w.offsetX, w.offsetY);
    kit->initScanner();
    kit->setTranslationTable(0);
}

ScanResult ReadImage(uint32_t request)
{
    ScanResult result;
    std::vector<uint8_t> buffer(request);
    for (int call = 0; call < 100000; ++call) {  // ends even if the status never comes
        int32_t got = -1;
        TkStatus status = Toolkit()->getImage(buffer.data(), request, &got);
        if (got > 0)
            result.bytes.insert(result.bytes.end(), buffer.begin(), buffer.begin() + got);
        result.reads.push_back(got);
        result.lastStatus = status;
        if (status != 0)
            break;
    }
    Toolkit()->stopScan();
    return result;
}

uint32_t Sample(const std::vector<uint8_t>& bytes, uint32_t pixels, uint32_t bytesPerSample, uint32_t x,
                uint32_t y)
{
    size_t at = ((size_t)y * pixels + x) * bytesPerSample;
    if (at + bytesPerSample > bytes.size())
        return 0xFFFFFFFFu;
    return bytesPerSample == 1 ? bytes[at] : (uint32_t)(bytes[at] | bytes[at + 1] << 8);
}

class VirtualDigitizer : public ::testing::Test {
protected:
    void Use(const std::string& ini, bool stage = true)
    {
        ASSERT_TRUE(UseDigitizer(ini));
        if (stage)
            Toolkit()->stageFilmInFD();  // the feeder's first film into the transport
    }
    void TearDown() override { ReleaseDigitizer(); }
};

// A window of `pixels` by `lines` at the offset, in scan mode 0.
Window At(uint16_t resolution, uint32_t offsetX, uint32_t offsetY, uint32_t pixels, uint32_t lines, uint8_t bits = 8)
{
    return Window{resolution, 0, pixels, lines, offsetX, offsetY, bits};
}

// A band from the open bed across the film's border into the film.
Window DepthWindow(uint8_t bits) { return At(100, 50, 300, 401, 120, bits); }


}  // namespace

// The same film through the same curve at every depth: whole, reproducible,
// within full scale, and the deeper sample cut to 8 bits is the 8-bit one.
TEST_F(VirtualDigitizer, WindowAtEachDepthIsReadWholeAndReproducibly)
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
            uint32_t scaled = (v * 255 + depth.full / 2) / depth.full;
            highest = std::max(highest, v);
            differing += depth.bits != 8 && (scaled + 1 < eightBit[i] || scaled > eightBit[i] + 1u);
        }
        EXPECT_LE(highest, depth.full);
        EXPECT_GT(highest, depth.full / 2);
        EXPECT_EQ(0u, differing);
        eightBit = depth.bits == 8 ? first.bytes : eightBit;
    }
}

// Half an inch down the film: the bright unexposed border, then the dark
// field 0.4 inch into the film, which lies 1 inch from the bed's edge.
TEST_F(VirtualDigitizer, GeometryFollowsResolutionOffsetAndPixelSize)
{
    Use("");
    const struct { uint16_t scanMode, resolution; uint32_t offsetX, offsetY, pixels; int firstDark; } cases[] = {
        {0, 100, 0, 50, 500, 140}, {0, 200, 0, 100, 700, 280}, {0, 100, 50, 50, 301, 90},
        {1, 100, 0, 50, 301, 40},  // whole-width mode counts from the film strip it found
    };
    for (const auto& c : cases) {
        Window w = At(c.resolution, c.offsetX, c.offsetY, c.pixels, 3);
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
    Program(At(100, 50, 1500, 301, 300));
    ScanResult scan = ReadImage(32768);
    EXPECT_EQ(10, scan.lastStatus);
    EXPECT_EQ(100u * 301, scan.bytes.size());
}

TEST_F(VirtualDigitizer, FeederStacksNumberedFilmsUntilItIsEmpty)
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
    Window corner = At(75, 75 * 9, 30, 300, 120);
    Program(corner);
    ScanResult first = ReadImage(32768);
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

// Split and short reads deliver the same image; a bad status ends the scan
// (stalls, over-delivery, the call log and the truth file: scan_e2e_test).
TEST_F(VirtualDigitizer, InjectedFaults)
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

}
