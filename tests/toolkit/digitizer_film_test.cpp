// What the virtual digitizer sees on the film: tone curves, dark enhance,
// averaging, an empty transport, the feeder's numbered stack and image files.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "digitizer_fixture.h"

namespace {

class DigitizerFilm : public ::testing::Test {
protected:
    std::string Name() const { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
    void Use(const std::string& ini) { ASSERT_TRUE(UseDigitizer(Name(), ini)); }
    void TearDown() override { ReleaseDigitizer(); }
};

// A band across the body, 16 bits, through translation table `table`.
ScanResult BodyBand(int16_t table, uint16_t darkEnhance = 0, uint16_t averageCount = 1)
{
    Window w;
    w.resolution = 75;
    w.pixels = 1050;
    w.lines = 40;
    w.offsetY = 600;
    w.bits = 16;
    w.table = table;
    w.darkEnhance = darkEnhance;
    w.averageCount = averageCount;
    Program(w);
    return ReadImage(32768);
}

double Mean(const ScanResult& scan)
{
    double sum = 0;
    size_t n = scan.bytes.size() / 2;
    for (size_t i = 0; i < n; ++i) sum += scan.bytes[2 * i] | scan.bytes[2 * i + 1] << 8;
    return n ? sum / n : 0;
}

// Spread of the samples of the open exposed field above the step wedge.
double FieldSpread(uint16_t averageCount)
{
    Window w;
    w.resolution = 200;
    w.offsetX = 400;
    w.pixels = 1000;
    w.offsetY = 84;
    w.lines = 30;
    w.bits = 16;
    w.table = 2;   // optical density: samples linear in density
    w.averageCount = averageCount;
    Program(w);
    ScanResult scan = ReadImage(32768);
    double sum = 0, squares = 0;
    size_t n = scan.bytes.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        double v = scan.bytes[2 * i] | scan.bytes[2 * i + 1] << 8;
        sum += v;
        squares += v * v;
    }
    double mean = sum / n;
    return sqrt(squares / n - mean * mean);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

void Append(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back((uint8_t)(value >> (8 * i)));
}

// 200 x 100 pixels: the left half black, the right half clear.
std::vector<uint8_t> HalfPgm16()
{
    std::string header = "P5\n# test film\n200 100\n65535\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            uint16_t v = x < 100 ? 0 : 65535;
            bytes.push_back((uint8_t)(v >> 8));
            bytes.push_back((uint8_t)v);
        }
    return bytes;
}

std::vector<uint8_t> HalfBmp8()
{
    const int width = 201, height = 100, stride = 204;
    std::vector<uint8_t> bytes = {'B', 'M'};
    Append(bytes, 54 + 1024 + stride * height, 4);
    Append(bytes, 0, 4);
    Append(bytes, 54 + 1024, 4);
    Append(bytes, 40, 4);
    Append(bytes, width, 4);
    Append(bytes, height, 4);
    Append(bytes, 1, 2);
    Append(bytes, 8, 2);
    Append(bytes, 0, 4);
    Append(bytes, stride * height, 4);
    Append(bytes, 2835, 4);
    Append(bytes, 2835, 4);
    Append(bytes, 256, 4);
    Append(bytes, 0, 4);
    for (int i = 0; i < 256; ++i) Append(bytes, (uint32_t)(i | i << 8 | i << 16), 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x) bytes.push_back(x < 100 ? 0 : 255);
    return bytes;
}

}  // namespace

TEST_F(DigitizerFilm, TablesDarkEnhanceAndAveragingShapeTheSamples)
{
    Use("");
    Toolkit()->stageFilmInFD();
    double means[8];
    for (int16_t table = 0; table < 8; ++table) means[table] = Mean(BodyBand(table));
    // Brighter as the curve lifts the dense parts; power 1.0 is linear.
    EXPECT_LT(means[0], means[4]);
    EXPECT_LT(means[4], means[5]);
    EXPECT_LT(means[5], means[6]);
    EXPECT_DOUBLE_EQ(means[0], means[7]);
    EXPECT_DOUBLE_EQ(means[3], means[5]);
    EXPECT_LT(means[0], means[1]);
    EXPECT_LT(means[0], means[2]);
    EXPECT_GT(Mean(BodyBand(0, 1)), means[0] * 1.2);

    double single = FieldSpread(1), four = FieldSpread(4);
    EXPECT_GT(single, 0.0);
    EXPECT_LT(four, single * 0.7);
}

TEST_F(DigitizerFilm, EmptyTransportGivesAShortBrightScan)
{
    Use("noFilm = 1\n");
    uint8_t paper = 1;
    ASSERT_EQ(0, Toolkit()->getPaperStatus(&paper));
    EXPECT_EQ(0, paper);
    EXPECT_NE(0, Toolkit()->stageFilmInFD());
    Window w;
    w.resolution = 150;
    w.scanMode = 1;
    w.pixels = 2100;
    w.lines = 17 * 150;
    Program(w);
    ScanResult scan = ReadImage(32768);
    EXPECT_EQ(10, scan.lastStatus);
    size_t lines = scan.bytes.size() / 2100;
    EXPECT_GT(lines, 0u);
    EXPECT_LT(lines, 250u);
    size_t dark = 0;
    for (uint8_t b : scan.bytes)
        if (b < 243) ++dark;
    EXPECT_EQ(0u, dark);   // the darkest tenth stays above 95 % of full scale
}

TEST_F(DigitizerFilm, FeederStacksNumberedFilms)
{
    Use("films = 2\n");
    const ScanKit* kit = Toolkit();
    uint8_t paper = 1, reply[80];
    const uint8_t position[5] = {0x8E, 0, 0, 1, 0};
    kit->getPaperStatus(&paper);
    EXPECT_EQ(0, paper);
    ASSERT_EQ(6, kit->Diagnostics(position, 5, reply, sizeof reply));
    EXPECT_STREQ("00", (const char*)reply + 5);
    EXPECT_EQ(0, kit->setFDStageMode(2));
    ASSERT_EQ(0, kit->stageFilmInFD());
    kit->getPaperStatus(&paper);
    EXPECT_EQ(1, paper);
    ASSERT_EQ(6, kit->Diagnostics(position, 5, reply, sizeof reply));
    EXPECT_STREQ("0F", (const char*)reply + 5);

    // The film's number sits in the top right corner.
    Window w;
    w.resolution = 75;
    w.offsetX = 75 * 9;
    w.pixels = 300;
    w.offsetY = 30;
    w.lines = 120;
    Program(w);
    ScanResult first = ReadImage(32768);
    EXPECT_EQ(0, kit->loadMedium());   // the same film again
    Program(w);
    EXPECT_EQ(Checksum(first.bytes), Checksum(ReadImage(32768).bytes));

    EXPECT_EQ(0, kit->unloadMedium());
    ASSERT_EQ(0, kit->stageFilmInFD());
    Program(w);
    ScanResult second = ReadImage(32768);
    ASSERT_EQ(first.bytes.size(), second.bytes.size());
    size_t differing = 0;
    for (size_t i = 0; i < first.bytes.size(); ++i)
        if (abs(first.bytes[i] - second.bytes[i]) > 100) ++differing;
    EXPECT_GT(differing, first.bytes.size() / 50);

    EXPECT_EQ(0, kit->unloadMedium());
    EXPECT_EQ(18, kit->stageFilmInFD());   // the feeder is empty
    EXPECT_NE(0, kit->loadMedium());
    EXPECT_NE(0, kit->setFDStageMode(3));
}

TEST_F(DigitizerFilm, ImageFilesAreScannedAtTheProgrammedResolution)
{
    std::string pgm = TempFile(Name() + ".pgm"), bmp = TempFile(Name() + ".bmp");
    WriteFile(pgm, HalfPgm16());
    WriteFile(bmp, HalfBmp8());
    for (const std::string& file : {pgm, bmp}) {
        SCOPED_TRACE(file);
        // 100 pixels per inch on a 14-inch bed: the film is 2 inches wide,
        // centred, so it starts 6 inches in; its dark half is 1 inch wide.
        Use("feederPresent = 0\nfileDpi = 100\nfilmFile = " + file + "\n");
        Window w;
        w.resolution = 200;
        w.offsetX = 1100;
        w.pixels = 600;
        w.offsetY = 20;
        w.lines = 10;
        Program(w);
        ScanResult scan = ReadImage(32768);
        ASSERT_EQ(6000u, scan.bytes.size());
        EXPECT_GT(Sample(scan.bytes, 600, 1, 50, 0), 240u);    // open bed
        EXPECT_LT(Sample(scan.bytes, 600, 1, 150, 0), 10u);    // dark half
        EXPECT_GT(Sample(scan.bytes, 600, 1, 380, 5), 240u);   // clear half
        EXPECT_GT(Sample(scan.bytes, 600, 1, 550, 9), 240u);   // open bed again
    }

    // A file shorter than its header says cannot be scanned.
    std::vector<uint8_t> cut = HalfPgm16();
    cut.resize(cut.size() / 2);
    WriteFile(pgm, cut);
    Use("feederPresent = 0\nfilmFile = " + pgm + "\n");
    Program(Window());
    int32_t got = 1;
    uint8_t buffer[64];
    EXPECT_EQ(TK_FAILED, Toolkit()->getImage(buffer, sizeof buffer, &got));
    EXPECT_EQ(0, got);
}
