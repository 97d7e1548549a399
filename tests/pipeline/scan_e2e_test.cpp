// The file scan pipeline end to end with the installed virtual digitizer.
// Every file scan leaves its file, the digitizer's truth (every byte it
// delivered) and a manifest line in e2e/, for check_readers.py to compare
// pixel for pixel and size for size; here, status texts, earlier files and
// temporaries.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "box_responder.h"
#include "frame/clock.h"
#include "scan_fixture.h"
#include "digitizer/toolkit.h"

namespace {

const char kEarlierImage[] = "an earlier image of the same name";
const uint16_t kDpi = 75;
const uint32_t kThreshold = 128;

struct Window {
    uint32_t pixels, lines;
    uint8_t depth;
    uint32_t offsetX = 60;   // across the film's borders into the field
};

class ScanEndToEnd : public ScanFixture {
protected:
    std::string folder, truth;

    void SetUp() override { Start(""); }

    // Powers the installed digitizer on with `extra` configuration and opens
    // it as start-up does.
    void Start(const std::string& extra)
    {
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(sizeof cwd, cwd);
        folder = std::string(cwd) + "\\e2e";
        truth = folder + "\\truth.raw";
        CreateDirectoryA(folder.c_str(), nullptr);
        StartDigitizer("truthFile = " + truth + "\n" + extra, false);
        ASSERT_EQ(1, ToolkitBind());
        uint16_t adapters = 0;
        uint32_t value = 0;
        ASSERT_TRUE(!Toolkit()->findSCSIAdaptors(&adapters) && !Toolkit()->setSCSIAdaptorId(0) &&
                    !Toolkit()->openToolKit(3, &value) && !Toolkit()->stageFilmInFD());
        s.image.bitThreshold = kThreshold;
        // What the host gives every DICOM image (the writer adds the size).
        uint16_t one = 1, zero = 0;
        DcmSetElemValue(0x00020028, &one, 2);
        DcmSetElemValue(0x00040028, "MONOCHROME2", 11);
        DcmSetElemValue(0x01030028, &zero, 2);
        NoteMemory();
    }

    // Programs the digitizer as the scan parameters do and the session as
    // the scan command leaves it, over an earlier image of the same name in
    // e2e/, whose path it returns.
    std::string Program(const Window& w, const std::string& file, bool landscape = false, uint32_t cutWidth = 0)
    {
        const ScanKit* kit = Toolkit();
        EXPECT_TRUE(!kit->setAverageCount(1) && !kit->setResolution(kDpi) && !kit->initScanner());
        kit->setBitOrder(1);
        kit->setOutputMode(w.depth <= 8 ? 4 : 6);
        kit->setScanMode(0);
        EXPECT_TRUE(!kit->setPixelSize(w.pixels, w.lines) && !kit->setBitsPerPixel(w.depth));
        kit->setOffset(w.offsetX, 0);
        EXPECT_EQ(0, kit->initScanner());
        const std::string kind = file.substr(file.size() - 3), path = folder + "\\" + file;
        SetScan(kDpi, w.pixels, w.lines, w.depth, path, kind == "bmp" ? 1 : kind == "tif" ? 2 : 3);
        s.settings.selectionFlags = cutWidth ? 0 : 1;
        s.area.cropRight = (float)((cutWidth + 0.5) / kDpi);
        s.image.landscape = landscape ? 1 : 0;
        WriteFileText(path, kEarlierImage);
        ResetScanDialogStub();
        BoxResponderClear();
        return path;
    }

    // The scan's part files are "<path>.<8 hex digits>.part"; the old
    // temporary names are checked too, in case one comes back.
    bool Temporaries(const std::string& path)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + ".*.part").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return search != INVALID_HANDLE_VALUE || FileExists(path + ".tmp") || FileExists(path + "~");
    }

    // Keeps the file's truth and tells the checker how to read it.
    void Record(const std::string& file, const Window& w, bool landscape)
    {
        const std::string name = file.substr(0, file.size() - 4);
        ASSERT_TRUE(CopyFileA(truth.c_str(), (folder + "\\" + name + ".raw").c_str(), FALSE));
        std::ofstream(folder + "\\manifest.txt", std::ios::app)
            << name << ' ' << file.substr(file.size() - 3) << ' ' << file << ' ' << name << ".raw " << w.pixels << ' '
            << s.settings.imageHeight << ' ' << int(w.depth) << ' ' << s.settings.scanWidth << ' ' << landscape << ' '
            << kThreshold << '\n';
    }
};

}  // namespace

TEST_F(ScanEndToEnd, EachWriterDepthOrientationAndCutAndAPrescan)
{
    DeleteFileA((folder + "\\manifest.txt").c_str());
    // cutWidth 0: the whole frame.
    const struct { const char* file; uint8_t depth; bool landscape; uint32_t cutWidth, pixels, lines; } cases[] = {
        {"bmp8_portrait_whole.bmp", 8, false, 0, 161, 90}, {"bmp1_landscape_cut.bmp", 1, true, 113, 160, 87},
        {"bmp8_landscape_cut.bmp", 8, true, 97, 140, 60}, {"tif1_portrait_whole.tif", 1, false, 0, 163, 90},
        {"tif8_landscape_whole.tif", 8, true, 0, 150, 83}, {"tif12_portrait_cut.tif", 12, false, 101, 150, 90},
        {"tif8_portrait_cut_past_the_line.tif", 8, false, 400, 150, 60},
        {"tif16_landscape_cut.tif", 16, true, 90, 130, 71},
        {"tif16_landscape_in_two_strips.tif", 16, true, 0, 900, 1200},   // 2 MB of segments at a time
        {"dcm8_portrait_cut.dcm", 8, false, 113, 160, 90}, {"dcm12_landscape_whole.dcm", 12, true, 0, 120, 77},
        {"dcm16_portrait_whole.dcm", 16, false, 0, 141, 90},
        {"prescan.bmp", 8, false, 0, 200, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Window w{c.pixels, c.lines, c.depth};
        const std::string path = Program(w, c.file, c.landscape, c.cutWidth);
        const bool prescan = std::string(c.file) == "prescan.bmp";
        s.area.prescanMode = prescan;
        if (prescan)   // a prescan opens no file: not even one it could not open
            snprintf(s.output.outputPath, sizeof s.output.outputPath, "%s", (folder + "\\none\\x.bmp").c_str());
        ASSERT_EQ(1, Run()) << StubStatusText() << " " << ::testing::PrintToString(BoxResponderLines());
        EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
        EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{});
        EXPECT_EQ(c.lines, s.settings.imageHeight);
        EXPECT_EQ(c.cutWidth && c.cutWidth < c.pixels ? c.cutWidth : c.pixels, s.settings.scanWidth);
        EXPECT_EQ(prescan, kEarlierImage == ReadFileText(path)) << "replaced by a file scan only";
        EXPECT_FALSE(Temporaries(path)) << "the landscape line file or the writer's";
        if (!prescan)
            Record(c.file, w, c.landscape);
    }
    EXPECT_NE(nullptr, s.settings.prescanBits);
    EXPECT_EQ(200u, s.area.prescanPixels);
    EXPECT_EQ(120u, s.area.prescanLines);
}

TEST_F(ScanEndToEnd, LengthLimitStopsADigitizerThatGoesOn)
{
    // 17 inches at 75 dpi are 1275 lines; the 16-inch film ends at 1200 and
    // the digitizer delivers 300 more.
    TearDown();
    Start("overDeliver = 300\n");
    // 600-pixel lines make 54-line requests: the 24th passes 1275 lines.
    const Window w{600, 0, 8, 200};
    Program(w, "length_limit.tif");
    s.settings.scanLines = 2000;
    ASSERT_EQ(1, Run());
    EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
    EXPECT_EQ(1275u, s.settings.imageHeight);
    const std::string log = CallLog();   // what the digitizer was asked
    std::vector<unsigned long> requests;
    for (size_t at = log.find("getImage "); at != std::string::npos; at = log.find("getImage ", at + 1))
        requests.push_back(strtoul(log.c_str() + at + 9, nullptr, 10));
    EXPECT_EQ(requests, std::vector<unsigned long>(24, 54 * 600)) << "whole lines, no read past the limit";
    Record("length_limit.tif", w, false);
}

TEST_F(ScanEndToEnd, CancelLeavesTheEarlierFileOrNoneAndNoTemporaries)
{
    const struct { const char* what; bool earlier, landscape, prescan; } cases[] = {
        {"portrait, a new name", false, false, false},
        {"landscape, over an earlier file", true, true, false},
        {"prescan", true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Program(Window{600, 400, 16}, "cancelled.dcm", c.landscape);
        if (!c.earlier)
            DeleteFileA(path.c_str());
        s.area.prescanMode = c.prescan;
        StubCancelAfterProgress(3);
        ASSERT_EQ(1, Run());
        EXPECT_EQ("Scan Cancelled.", StubStatusText());
        EXPECT_EQ(1u, s.settings.scanCancelled);
        EXPECT_LT(s.image.linesDone, 400u) << "stopped early";
        EXPECT_EQ(c.earlier ? kEarlierImage : "", ReadFileText(path));
        EXPECT_EQ(c.earlier, FileExists(path));
        EXPECT_FALSE(Temporaries(path)) << "the landscape line file or the writer's";
    }
}

TEST_F(ScanEndToEnd, StalledDigitizerEndsAtOnceUnderTheVirtualClock)
{
    TearDown();
    Start("stallLine = 20\nstallInstant = 1\n");
    const std::string path = Program(Window{200, 100, 8}, "stalled.tif");
    EXPECT_EQ(0, Run());
    EXPECT_GE(ClockSleptTotal(), 10000u) << "ten seconds on the library's clock";
    EXPECT_LT(ClockSleptTotal(), 11000u);
    EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{"ERROR|Error in Scan process.|1"});
    EXPECT_EQ(kEarlierImage, ReadFileText(path));
    EXPECT_FALSE(Temporaries(path)) << "the landscape line file or the writer's";
}
