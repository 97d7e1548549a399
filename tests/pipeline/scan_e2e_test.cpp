// The file scan pipeline end to end with the installed virtual digitizer:
// each writer at each depth it stores, portrait and landscape, the whole
// frame and a region cut. Every scan leaves its file, the digitizer's truth
// file (every byte it delivered) and a manifest line in e2e/, and
// check_scan_e2e.py compares each file, read by Pillow or pydicom, with the
// truth pixel for pixel. Here: status texts, earlier files, temporaries.
#include <cstdlib>

#include "box_responder.h"
#include "frame/clock.h"
#include "frame/memgroups.h"
#include "scan_fixture.h"
#include "scanner/toolkit.h"

namespace {

const char kEarlierImage[] = "an earlier image of the same name";
const uint16_t kDpi = 75;
const uint32_t kThreshold = 128;

struct Window {
    uint32_t pixels, lines;
    uint8_t depth;
    uint32_t offsetX = 60, offsetY = 0;   // across the film's borders into the field
};

const char* Kind(uint32_t format) { return format == 1 ? "bmp" : format == 2 ? "tif" : "dcm"; }

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
        const std::string ini = folder + "\\digitizer.ini";
        WriteFileText(ini, "truthFile = " + truth + "\ncallLog = " + folder + "\\calls.log\n" + extra);
        SetEnvironmentVariableA("SCANKIT_CONFIG", ini.c_str());
        OpenSession();
        ASSERT_EQ(1, ToolkitBind());
        auto powerCycle = (void (*)(void))GetProcAddress((HMODULE)ToolkitModule(), "scankitPowerCycle");
        ASSERT_NE(nullptr, powerCycle);
        powerCycle();
        const ScanKit* kit = Toolkit();
        uint16_t adapters = 0;
        uint32_t value = 0;
        ASSERT_EQ(0, kit->findSCSIAdaptors(&adapters));
        ASSERT_EQ(0, kit->setSCSIAdaptorId(0));
        ASSERT_EQ(0, kit->openToolKit(3, &value));
        ASSERT_EQ(0, kit->stageFilmInFD());
        s.image.bitThreshold = kThreshold;
        // What the host gives every DICOM image (the writer adds the size).
        uint16_t one = 1, zero = 0;
        DcmSetElemValue(0x00020028, &one, 2);
        DcmSetElemValue(0x00040028, "MONOCHROME2", 11);
        DcmSetElemValue(0x01030028, &zero, 2);
        NoteMemory();
    }

    void Restart(const std::string& extra)
    {
        TearDown();
        Start(extra);
    }

    void ReleaseDigitizer() override
    {
        ToolkitUnbind();
        SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
    }

    // Programs the digitizer as the scan parameters do and the session as
    // the scan command leaves it.
    void Program(const Window& w, const std::string& path, uint32_t format, bool landscape, uint32_t cutWidth)
    {
        const ScanKit* kit = Toolkit();
        ASSERT_EQ(0, kit->setAverageCount(1));
        ASSERT_EQ(0, kit->setResolution(kDpi));
        ASSERT_EQ(0, kit->initScanner());
        kit->setBitOrder(1);
        kit->setOutputMode(w.depth <= 8 ? 4 : 6);
        kit->setScanMode(0);
        ASSERT_EQ(0, kit->setPixelSize(w.pixels, w.lines));
        ASSERT_EQ(0, kit->setBitsPerPixel(w.depth));
        kit->setOffset(w.offsetX, w.offsetY);
        ASSERT_EQ(0, kit->initScanner());

        ScanSettings& st = s.settings;
        st.resolution = kDpi;
        st.scanPixels = w.pixels;
        st.scanLines = w.lines;
        st.maxLength = 17;
        st.bitDepth = w.depth;
        st.sampleBits = w.depth < 12 ? 8 : w.depth;
        st.selectionFlags = cutWidth ? 0 : 1;
        st.progressTotal = w.pixels * w.lines * (w.depth > 8 ? 2 : 1);
        s.area.cropLeft = 0.0f;
        s.area.cropRight = (float)((cutWidth + 0.5) / kDpi);
        s.area.prescanMode = 0;
        s.image.landscape = landscape ? 1 : 0;
        s.output.outputFormat = format;
        snprintf(s.output.outputPath, sizeof s.output.outputPath, "%s", path.c_str());
        ResetScanDialogStub();
        BoxResponderClear();
    }

    void ExpectNoTemporaries(const std::string& path)
    {
        EXPECT_FALSE(FileExists(path + ".tmp")) << "the landscape line file";
        EXPECT_FALSE(FileExists(path + "~")) << "the writer's temporary";
    }

    // The sizes asked of getImage, as the digitizer logged them.
    std::vector<unsigned long> Requests()
    {
        std::vector<unsigned long> sizes;
        const std::string log = FileText(folder + "\\calls.log");
        for (size_t at = log.find("getImage "); at != std::string::npos; at = log.find("getImage ", at + 1))
            sizes.push_back(strtoul(log.c_str() + at + 9, nullptr, 10));
        return sizes;
    }

    // Keeps the file's truth and tells the checker how to read it.
    void Record(const std::string& name, const std::string& kind, const Window& w, bool landscape)
    {
        ASSERT_TRUE(CopyFileA(truth.c_str(), (folder + "\\" + name + ".raw").c_str(), FALSE));
        FILE* manifest = fopen((folder + "\\manifest.txt").c_str(), "ab");
        ASSERT_NE(nullptr, manifest);
        fprintf(manifest, "%s %s %s.%s %s.raw %u %u %u %u %d %u\n", name.c_str(), kind.c_str(), name.c_str(),
                kind.c_str(), name.c_str(), w.pixels, (unsigned)s.settings.imageHeight, w.depth,
                (unsigned)s.settings.scanWidth, landscape ? 1 : 0, kThreshold);
        fclose(manifest);
    }
};

}  // namespace

TEST_F(ScanEndToEnd, EachWriterDepthOrientationAndCut)
{
    DeleteFileA((folder + "\\manifest.txt").c_str());
    const struct {
        const char* name;
        uint32_t format;    // 1 BMP, 2 TIFF, 3 DICOM
        uint8_t depth;
        bool landscape;
        uint32_t cutWidth;  // 0: the whole frame
        uint32_t pixels, lines;
    } cases[] = {
        {"bmp8_portrait_whole", 1, 8, false, 0, 161, 90},
        {"bmp1_landscape_cut", 1, 1, true, 113, 160, 87},
        {"bmp8_landscape_cut", 1, 8, true, 97, 140, 60},
        {"tif1_portrait_whole", 2, 1, false, 0, 163, 90},
        {"tif8_landscape_whole", 2, 8, true, 0, 150, 83},
        {"tif8_portrait_cut_past_the_line", 2, 8, false, 400, 150, 60},
        {"tif12_portrait_cut", 2, 12, false, 101, 150, 90},
        {"tif16_landscape_cut", 2, 16, true, 90, 130, 71},
        {"dcm8_portrait_cut", 3, 8, false, 113, 160, 90},
        {"dcm12_landscape_whole", 3, 12, true, 0, 120, 77},
        {"dcm16_portrait_whole", 3, 16, false, 0, 141, 90},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder + "\\" + c.name + "." + Kind(c.format);
        WriteFileText(path, kEarlierImage);
        const Window w{c.pixels, c.lines, c.depth};
        Program(w, path, c.format, c.landscape, c.cutWidth);
        ASSERT_EQ(1, Run()) << StubStatusText() << " " << ::testing::PrintToString(BoxTexts());
        EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
        EXPECT_EQ(c.lines, s.settings.imageHeight);
        EXPECT_EQ(c.cutWidth && c.cutWidth < c.pixels ? c.cutWidth : c.pixels, s.settings.scanWidth);
        EXPECT_NE(kEarlierImage, FileText(path)) << "replaced by the scan";
        ExpectNoTemporaries(path);
        Record(c.name, Kind(c.format), w, c.landscape);
    }
}

TEST_F(ScanEndToEnd, LengthLimitStopsADigitizerThatGoesOn)
{
    // 17 inches at 75 dpi are 1275 lines; the 16-inch film ends at 1200 and
    // the digitizer delivers 300 more.
    Restart("overDeliver = 300\n");
    // 640-pixel lines make 51-line requests, 25 of which are 1275 lines.
    const Window w{640, 0, 8, 200, 0};
    Program(w, folder + "\\length_limit.tif", 2, false, 0);
    s.settings.scanLines = 2000;
    ASSERT_EQ(1, Run());
    EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
    EXPECT_EQ(1275u, s.settings.imageHeight);
    EXPECT_EQ(Requests(), std::vector<unsigned long>(25, 51 * 640)) << "whole lines, no read past the limit";
    Record("length_limit", "tif", w, false);
}

TEST_F(ScanEndToEnd, PrescanWritesNoFileAndKeepsItsPreview)
{
    const std::string path = folder + "\\prescan_target.bmp";
    WriteFileText(path, kEarlierImage);
    Program(Window{200, 120, 8}, path, 1, false, 0);
    s.area.prescanMode = 1;
    ASSERT_EQ(1, Run());
    EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
    EXPECT_NE(nullptr, s.settings.prescanBits);
    EXPECT_EQ(200u, s.area.prescanPixels);
    EXPECT_EQ(120u, s.area.prescanLines);
    EXPECT_EQ(kEarlierImage, FileText(path));
    ExpectNoTemporaries(path);
}

TEST_F(ScanEndToEnd, CancelLeavesTheEarlierFileOrNoneAndNoTemporaries)
{
    const struct { const char* what; bool earlier, landscape, prescan; } cases[] = {
        {"portrait, a new name", false, false, false},
        {"landscape, over an earlier file", true, true, false},
        {"prescan", true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder + "\\cancelled.dcm";
        DeleteFileA(path.c_str());
        if (c.earlier)
            WriteFileText(path, kEarlierImage);
        Program(Window{600, 400, 16}, path, 3, c.landscape, 0);
        s.area.prescanMode = c.prescan;
        StubCancelAfterProgress(3);
        ASSERT_EQ(1, Run());
        EXPECT_EQ("Scan Cancelled.", StubStatusText());
        EXPECT_EQ(1u, s.settings.scanCancelled);
        EXPECT_LT(s.image.linesDone, 400u) << "stopped early";
        EXPECT_EQ(c.earlier ? kEarlierImage : "", FileText(path));
        EXPECT_EQ(c.earlier, FileExists(path));
        ExpectNoTemporaries(path);
    }
}

TEST_F(ScanEndToEnd, StalledDigitizerEndsAtOnceUnderTheVirtualClock)
{
    Restart("stallLine = 20\nstallInstant = 1\n");
    const std::string path = folder + "\\stalled.tif";
    WriteFileText(path, kEarlierImage);
    Program(Window{200, 100, 8}, path, 2, false, 0);
    EXPECT_EQ(0, Run());
    EXPECT_GE(ClockSleptTotal(), 10000u) << "ten seconds on the library's clock";
    EXPECT_LT(ClockSleptTotal(), 11000u);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"ERROR: Error in Scan process."});
    EXPECT_EQ(kEarlierImage, FileText(path));
    ExpectNoTemporaries(path);
}
