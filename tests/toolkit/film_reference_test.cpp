// The film reference is what the digitizer delivers: a whole film, and a
// window anywhere on it, equal the reference's pixels at the same film
// coordinates; every film carries its number as a readable bar code.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <vector>

#include "digitizer/toolkit.h"
#include "test_files.h"
#include "vd_config.h"
#include "vd_digitizer.h"
#include "vd_reference.h"

namespace {

const double kFilmLeftOnBed = 1.0;   // a 12-inch film centred on the 14-inch bed

struct DigitizerUnderTest {
    VdConfig config;

    explicit DigitizerUnderTest(const std::string& ini)
    {
        std::string path = TestTempPath("reference.ini");
        std::ofstream(path, std::ios::binary) << ini;
        setenv("SCANKIT_CONFIG", path.c_str(), 1);
        ToolkitInstall(VdKit());
        uint16_t adapters = 0;
        uint32_t value = 0;
        Toolkit()->findSCSIAdaptors(&adapters);
        Toolkit()->setSCSIAdaptorId(0);
        Toolkit()->openToolKit(3, &value);
        VdDefaultConfig(&config);
        VdParseConfig(&config, ini.c_str());
    }
    ~DigitizerUnderTest() { ToolkitInstall(nullptr); }

    // Programs as the library does (bit order 1, one or two bytes a sample)
    // and reads the whole scan.
    std::vector<uint8_t> Scan(uint16_t resolution, uint16_t scanMode, uint32_t pixels, uint32_t lines,
                              uint32_t offsetX, uint32_t offsetY, uint8_t bits, int16_t table = 0)
    {
        const ScanKit* kit = Toolkit();
        kit->setAverageCount(1);
        kit->setResolution(resolution);
        kit->initScanner();
        kit->setBitOrder(1);
        kit->setOutputMode(bits == 8 ? 4 : 6);
        kit->setScanMode(scanMode);
        kit->setPixelSize(pixels, lines);
        kit->setBitsPerPixel(bits);
        kit->setOffset(offsetX, offsetY);
        kit->setTranslationTable(table);
        kit->initScanner();
        std::vector<uint8_t> bytes, buffer(65536);
        for (int call = 0; call < 100000; ++call) {
            int32_t got = 0;
            TkStatus status = kit->getImage(buffer.data(), (uint32_t)buffer.size(), &got);
            bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + (got > 0 ? got : 0));
            if (status != 0) break;
        }
        kit->stopScan();
        return bytes;
    }

    std::vector<uint8_t> Reference(const VdReference& r)
    {
        std::vector<uint8_t> out((size_t)r.columns * r.rows * (r.depth == 8 ? 1 : 2));
        EXPECT_TRUE(VdRenderReference(&config, &r, out.data()));
        return out;
    }
};

VdReference Region(int film, uint16_t dpi, uint8_t depth, int64_t column, int64_t row, uint32_t columns,
                   uint32_t rows)
{
    VdReference r = {};
    r.film = film;
    r.resolution = dpi;
    r.depth = depth;
    r.averageCount = 1;
    r.firstColumn = column;
    r.firstRow = row;
    r.columns = columns;
    r.rows = rows;
    return r;
}

// The bar code as a reader that knows only its published geometry sees it:
// a quiet cell, a start bar, 8 bits, 0.2 inch each, down from 0.4 inch at
// 0.2 inch from the left edge. -1 when the start bar does not stand out.
int ReadBarCode(const std::vector<uint8_t>& image, uint32_t columns, uint16_t dpi)
{
    auto cell = [&](int i) {
        int y = (int)((0.4 + (i + 0.5) * 0.2) * dpi), x = (int)(0.2 * dpi), r = (int)(0.05 * dpi);
        double sum = 0;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) sum += image[(size_t)(y + dy) * columns + x + dx];
        return sum / ((2 * r + 1) * (2 * r + 1));
    };
    double quiet = cell(0), start = cell(1);
    if (quiet - start < 50) return -1;
    int number = 0;
    for (int bit = 0; bit < 8; ++bit) number = number << 1 | (cell(2 + bit) < (quiet + start) / 2);
    return number;
}

}  // namespace

TEST(FilmReference, WholeFilmAndWindowsEqualTheReferenceAtTheirFilmCoordinates)
{
    DigitizerUnderTest digitizer("films = 2\n");
    for (int film = 1; film <= 2; ++film) {
        ASSERT_EQ(0, Toolkit()->stageFilmInFD());
        for (uint8_t depth : {8, 16}) {
            SCOPED_TRACE(testing::Message() << "film " << film << ", " << (int)depth << " bits");
            // The whole film, whole-width mode: the strip from its left edge.
            uint32_t columns = 0, rows = 0;
            ASSERT_TRUE(VdReferenceFilmSize(&digitizer.config, film, 75, &columns, &rows));
            EXPECT_EQ(900u, columns);
            EXPECT_EQ(1200u, rows);
            EXPECT_TRUE(digitizer.Scan(75, 1, 0, 0, 0, 0, depth) ==
                        digitizer.Reference(Region(film, 75, depth, 0, 0, columns, rows)));
            // Windows counted from the bed: one inside the film off its
            // origin, one from the open bed across the film's left edge.
            const struct { uint32_t offsetX, offsetY, pixels, lines; } windows[] = {
                {237, 413, 301, 150}, {50, 1490, 200, 40}};
            for (const auto& w : windows) {
                SCOPED_TRACE(w.offsetX);
                int64_t column = (int64_t)w.offsetX - (int64_t)(kFilmLeftOnBed * 100);
                EXPECT_TRUE(digitizer.Scan(100, 0, w.pixels, w.lines, w.offsetX, w.offsetY, depth) ==
                            digitizer.Reference(Region(film, 100, depth, column, w.offsetY, w.pixels, w.lines)));
            }
        }
        // Another table goes through the same curve on both sides.
        EXPECT_TRUE(digitizer.Scan(100, 0, 120, 60, 400, 700, 8, 2) ==
                    digitizer.Reference([&] {
                        VdReference r = Region(film, 100, 8, 300, 700, 120, 60);
                        r.table = 2;
                        return r;
                    }()));
        ASSERT_EQ(0, Toolkit()->unloadMedium());
    }
}

// Every film of a stack looks different, and each reads back as its number,
// on the synthetic film and on a film file alike.
TEST(FilmReference, EachFilmCarriesItsNumberAsABarCode)
{
    std::string pgm = TestTempPath("reference-film.pgm");
    {
        std::ofstream file(pgm, std::ios::binary);
        file << "P5 400 500 255\n";
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 400; ++x) file.put((char)((x + y) % 256));
    }
    const std::string configs[] = {"films = 5\n", "films = 3\nfilmFile = " + pgm + "\nfileDpi = 100\n"};
    for (const std::string& ini : configs) {
        SCOPED_TRACE(ini);
        DigitizerUnderTest digitizer(ini);
        std::vector<uint8_t> previous;
        for (int film = 1; film <= digitizer.config.films; ++film) {
            ASSERT_EQ(0, Toolkit()->stageFilmInFD());
            uint32_t columns = 0, rows = 0;
            ASSERT_TRUE(VdReferenceFilmSize(&digitizer.config, film, 75, &columns, &rows));
            std::vector<uint8_t> scan = digitizer.Scan(75, 1, 0, 0, 0, 0, 8);
            ASSERT_EQ((size_t)columns * rows, scan.size());
            EXPECT_EQ(film, ReadBarCode(scan, columns, 75));
            if (!previous.empty()) {
                size_t differing = 0;
                for (size_t i = 0; i < scan.size(); ++i) differing += abs(scan[i] - previous[i]) > 40;
                // Synthetic films differ over the body, file films only in the codes.
                EXPECT_GT(differing, digitizer.config.filmFile[0] ? 100u : scan.size() / 50);
            }
            previous = scan;
            ASSERT_EQ(0, Toolkit()->unloadMedium());
        }
    }
}
