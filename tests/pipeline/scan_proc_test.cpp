// The file scan pipeline against a scripted digitizer: what it asks for and
// writes, an empty digitizer, memory refused. Cancel, stalls: scan_e2e_test.
#include <cstring>

#include "box_responder.h"
#include "frame/memgroups.h"
#include "frame/sysblock.h"
#include "pipeline/dib.h"
#include "pipeline/scan_proc.h"
#include "scan_fixture.h"
#include "test_files.h"
#include "res/resource.h"

TEST_F(ScriptedScan, FileScansAskForWholeLinesAndWriteEveryLine)
{
    const char* const kFile = "scanproc_lines.bmp";
    // cutRight 0: the whole frame; path "": the default bitmap; width: of the written rows.
    const struct { const char* what; uint16_t averageCount; uint32_t pixels, depth, lines, maxChunk; float cutRight;
                   const char* path; uint32_t width; std::vector<uint32_t> requests; } cases[] = {
        {"15 lines a read, then the 10 missing", 1, 2100, 8, 40, 0, 0, kFile, 2100, {31500, 31500, 21000}},
        {"at most 64 lines a read", 1, 100, 8, 150, 0, 0, kFile, 100, {6400, 6400, 2200}},
        {"two bytes a sample", 1, 2100, 16, 20, 0, 0, kFile, 2100, {29400, 29400, 25200}},
        {"averaging: full reads, split lines completed", 4, 2100, 8, 40, 0, 0, kFile, 2100,
         {32768, 832, 32768, 832, 32768}},
        {"1000 bytes a call", 1, 2100, 8, 3, 1000, 0, kFile, 2100,
         {31500, 1100, 100, 4200, 1100, 100, 2100, 1100, 100}},
        {"a line longer than a read", 1, 17000, 16, 3, 0, 0, kFile, 17000, {34000, 34000, 34000}},
        {"region", 1, 700, 8, 30, 0, 2.0f, kFile, 300, {32200}},
        {"region of two-byte samples", 1, 700, 16, 30, 0, 2.0f, kFile, 300, {32200, 9800}},
        {"region past the delivered line", 1, 700, 8, 30, 0, 10.0f, kFile, 700, {32200}},
        {"no output path", 1, 100, 8, 10, 0, 0, "", 100, {6400}},
    };
    files.push_back("c:\\nqt\\temp\\temp.bmp");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NewImage();
        Program(c.pixels, c.lines, c.depth, c.path);
        const std::string path = c.path[0] ? c.path : files[0];
        std::remove(path.c_str());
        s.settings.selectionFlags = c.cutRight > 0 ? 0 : 1;
        s.area.cropRight = c.cutRight;
        Image().averageCount = c.averageCount;
        Image().maxChunk = c.maxChunk;
        bool roomForReadAndLine = true;
        Image().onCall = [&](int) {
            roomForReadAndLine &= uint32_t(s.image.lineArea - s.image.rawArea) >= 32768 + s.image.bytesPerLine;
        };
        ASSERT_EQ(Run(), 1);
        EXPECT_EQ(Image().requests, c.requests);
        EXPECT_TRUE(roomForReadAndLine);
        EXPECT_STREQ(s.output.outputPath, path.c_str());
        EXPECT_EQ(s.settings.scanWidth, c.width);
        int32_t width = 0;
        const auto rows = BmpRows(path, &width);
        EXPECT_EQ(width, int32_t(c.width));
        ASSERT_EQ(rows.size(), c.lines);
        for (uint32_t y = 0; y < c.lines; ++y) {
            std::vector<uint8_t> line = ScriptLine(y);
            line.resize(c.width * (c.depth > 8 ? 2 : 1));
            ASSERT_EQ(rows[y], line) << "row " << y;
        }
        EXPECT_EQ(s.settings.imageHeight, c.lines);
        EXPECT_EQ(StubStatusText(), "Scan Completed Successfully.");
        EXPECT_TRUE(BoxResponderLines().empty());
        EXPECT_NE(s.settings.scanPreviewBits, nullptr);
    }
}

TEST_F(ScriptedScan, OneBitLinesAreThresholdedWiderThan4800Pixels)
{
    Program(5000, 300, 1, "scanproc_bits.bmp");
    s.image.bitThreshold = 100;
    Image().sample = [](uint32_t line, uint32_t x) { return uint16_t((x * 7 + line) & 0xFF); };
    ASSERT_EQ(Run(), 1);
    int32_t width = 0;
    const auto rows = BmpRows("scanproc_bits.bmp", &width);
    EXPECT_EQ(width, 5000);
    ASSERT_EQ(rows.size(), 300u);
    ASSERT_EQ(rows[0].size(), 625u) << "one bit a pixel";
    for (uint32_t y = 0; y < 300; ++y)
        for (uint32_t x = 0; x < 5000; ++x)
            ASSERT_EQ(bool(rows[y][x / 8] & (0x80 >> (x % 8))), ((x * 7 + y) & 0xFF) >= 100)
                << "row " << y << " pixel " << x;
    // The preview, black and white: bit k of the 16th, 32nd, ... line is its bit 16 k.
    const DibInfoHeader header{40, 312, 18, 1, 1, 0, 40 * 18, 2000, 2000, 2, 0};
    const uint8_t table[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    ASSERT_EQ(0, std::memcmp(s.settings.scanPreviewInfo, &header, 40));
    EXPECT_EQ(0, std::memcmp(static_cast<uint8_t*>(s.settings.scanPreviewInfo) + 40, table, 8));
    for (uint32_t k = 0; k < 312; ++k)
        ASSERT_EQ(bool(s.settings.scanPreviewBits[k / 8] & (0x80 >> (k % 8))), ((16 * k * 7 + 15) & 0xFF) >= 100) << k;
}

TEST_F(ScriptedScan, EmptyDigitizerIsRecognisedOnShortScansOnly)
{
    const struct { uint32_t resolution, lines, depth; uint16_t sample; bool warned; } cases[] = {
        {150, 200, 8, 255, true}, {150, 200, 8, 90, false},
        {100, 300, 8, 255, false},   // not short: not checked
        // Short by one bound only: under twice the resolution, or under 250 lines.
        {300, 400, 8, 255, true}, {300, 599, 8, 255, true}, {300, 600, 8, 255, false},
        {75, 200, 8, 255, true}, {75, 249, 8, 255, true}, {75, 250, 8, 255, false},
        {150, 0, 8, 0, true},        // no preview line at all
        {150, 200, 16, 0xFFFF, true},
        {150, 200, 1, 255, true}, {150, 200, 1, 20, false},   // the 1-bit list read as bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines, " << c.resolution << " dpi, " << c.depth << " bits");
        NewImage();
        Program(600, c.lines, c.depth, "scanproc_nofilm.bmp");
        s.settings.resolution = c.resolution;
        Image().sample = [v = c.sample](uint32_t, uint32_t) { return v; };
        EXPECT_EQ(Run(), c.warned ? 0 : 1);
        EXPECT_EQ(BoxResponderLines(), c.warned ? std::vector<std::string>{"WARNING|Please Load a Film in the Digitizer.|2"}
                                       : std::vector<std::string>{});
        EXPECT_EQ(BmpRows("scanproc_nofilm.bmp").size(), c.warned ? 0u : c.lines);
        EXPECT_EQ(FileExists("scanproc_nofilm.bmp"), !c.warned);
    }
}

TEST_F(ScriptedScan, InitialisationFailuresAreReportedAndReleaseOnlyWhatWasTaken)
{
    const struct { uint16_t average; uint32_t depth, pixels; const char* box; } cases[] = {
        {0, 8, 100, "ERROR|Bad averageCount|1"}, {1, 4, 100, "ERROR|Bad BitDepth|1"},
        {1, 8, 0, "ERROR|Bad scanWidth|1"},
    };
    for (const auto& c : cases) {
        NewImage();
        Program(c.pixels, 10, c.depth, "scanproc_badinit.bmp");
        Image().averageCount = c.average;
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{c.box});
        EXPECT_EQ(s.image.preview.group, FC_NO_GROUP);
    }
    // Refuse each system allocation of a scan in turn: whatever fails, all
    // is given back, and a file under the final name is a whole image.
    for (int allowed = 0; allowed < 14; ++allowed) {
        for (uint32_t variant = 0; variant < 3; ++variant) {
            SCOPED_TRACE(testing::Message() << allowed << " allocations allowed, variant " << variant);
            NewImage();
            const std::string path = variant == 0 ? "scanproc_refused.dcm" : "scanproc_refused.bmp";
            Program(700, 30, variant == 1 ? 1 : 8, path, variant == 0 ? 3 : 1);
            s.image.landscape = variant == 2;
            SysBlockRefuseAfter(allowed);
            const int32_t result = Run();
            SysBlockRefuseAfter(-1);
            EXPECT_EQ(s.image.preview.group, FC_NO_GROUP);
            EXPECT_EQ(s.image.blockMemory, nullptr);
            if (variant != 0 && FileExists(path)) {
                EXPECT_EQ(BmpRows(path).size(), variant == 2 ? 700u : 30u);
            } else if (variant != 0) {
                EXPECT_EQ(result, 0);
            }
        }
    }
}

TEST_F(ScriptedScan, FreeMemTwiceNeverFreesAnotherOwnersGroup)
{
    for (uint32_t depth : {8u, 1u}) {
        NewImage();
        Program(700, 30, depth, "scanproc_twice.bmp");
        ASSERT_EQ(Run(), 1);
        MemFreeGroup(s.settings.scanPreviewGroup);
        s.settings.scanPreviewGroup = FC_NO_GROUP;
        // The scan's group numbers are free again: someone else takes one.
        int32_t other = FC_NO_GROUP;
        ASSERT_EQ(MemGetGroupID(&other), FC_OK);
        EXPECT_EQ(ScanProcFreeMem(main, &s.ds), 1);
        EXPECT_EQ(ScanProcFreeMem(main, &s.ds), 1);
        EXPECT_EQ(MemGetGroupPtr(other, nullptr), FC_OK);
        EXPECT_EQ(s.image.preview.group, FC_NO_GROUP);
        MemFreeGroup(other);
    }
}

// Every name the naming dialog takes can be scanned, landscape included,
// whose line file needs the most room; longer names are refused there, at
// once, never by a scan that fails later. Files beside the output that are
// not the scan's own come through the scan as they were.
TEST_F(ScriptedScan, NamesTheNamingDialogTakesAreScannedAndLongerOnesRefusedThere)
{
    const std::string folder = TestTempPath("scanproc_long_") + std::string(40, 'd');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const uint32_t pixels = 40, lines = 30;
    for (size_t total : {240u, 241u, 242u, 251u, 252u, 259u, 260u}) {
        SCOPED_TRACE(total);
        NewImage();
        s.settings.filmCount = 1;
        s.output.transferMode = 2;
        snprintf(s.output.formatName, sizeof s.output.formatName, "Bitmap");
        snprintf(s.output.savePath, sizeof s.output.savePath, "%s", folder.c_str());
        const std::string typed(total - folder.size() - 1 - 4, 'n');
        bool refused = false;
        BoxResponderAdd({"File Naming", 0, [&](HWND d) {
            SetDlgItemTextA(d, IDC_BATCH_NAME_FIRST, typed.c_str());
            SendMessageA(d, WM_COMMAND, IDOK, 0);
            refused = s.host.batchDialog != nullptr;  // still open
            if (refused)
                SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
        }});
        const int32_t named = OpenOutFileDlg(nullptr, nullptr, &s.ds);
        EXPECT_EQ(refused, total > 241);
        if (refused) {
            EXPECT_EQ(named, 0);
            EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{
                "Error|Image save path is too long.  Please shorten it and try again.|1"});
            continue;
        }
        ASSERT_EQ(named, 1);
        const std::string path = folder + "\\" + typed + ".bmp";
        ASSERT_EQ(std::string(s.output.outputPath), path);
        Program(pixels, lines, 8, path);
        s.image.landscape = 1;
        const std::vector<std::string> foreign = {path + ".tmp", path + "~"};
        for (const std::string& name : foreign)
            WriteFileText(name, "kept: " + name);
        ASSERT_EQ(Run(), 1);
        EXPECT_TRUE(BoxResponderLines().empty());
        int32_t width = 0;
        const auto rows = BmpRows(path, &width);
        EXPECT_EQ(width, int32_t(lines));
        ASSERT_EQ(rows.size(), pixels);
        for (uint32_t r = 0; r < pixels; ++r)
            for (uint32_t x = 0; x < lines; ++x)
                ASSERT_EQ(rows[r][x], ScriptLine(lines - 1 - x)[r]) << r << "," << x;
        for (const std::string& name : foreign)
            EXPECT_EQ(ReadFileText(name), "kept: " + name);
        DeleteFileA(path.c_str());
        for (const std::string& name : foreign)
            DeleteFileA(name.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}
