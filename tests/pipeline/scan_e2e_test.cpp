// The file scan pipeline end to end with the installed virtual digitizer:
// each writer at each depth it stores, portrait and landscape, the whole
// frame and a region cut, and a prescan. Every scan leaves its file, the
// digitizer's truth file (every byte it delivered) and a manifest line in
// e2e/; check_scan_e2e.py then compares the files, read by Pillow, pydicom
// and dcmdump, with the truth pixel for pixel. Here: the status texts,
// the earlier file of the same name, temporaries and memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "box_responder.h"
#include "frame/clock.h"
#include "frame/memgroups.h"
#include "pipeline/scan_proc.h"
#include "scan_dialog_stub.h"
#include "scanner/toolkit.h"
#include "session_fixture.h"

namespace {

const char kEarlierImage[] = "an earlier image of the same name";
const uint16_t kDpi = 75;
const uint32_t kThreshold = 128;

std::string Folder()
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    return std::string(cwd) + "\\e2e";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string TextOf(const std::string& path)
{
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, got);
        fclose(f);
    }
    return text;
}

void WriteText(const std::string& path, const std::string& text)
{
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
}

int GroupsInUse()
{
    int groups = 0;
    for (int32_t id = 0; id < 4096; ++id)
        if (MemGetGroupPtr(id, nullptr) == FC_OK) ++groups;
    return groups;
}

struct Window {
    uint32_t pixels, lines;
    uint8_t depth;
    uint32_t offsetX = 60, offsetY = 0;   // across the film's borders into the field
};

struct Case {
    const char* name;
    uint32_t format;   // 1 BMP, 2 TIFF, 3 DICOM
    uint8_t depth;
    bool landscape;
    uint32_t cutWidth;  // 0: the whole frame
    uint32_t pixels, lines;
};

const char* Kind(uint32_t format) { return format == 1 ? "bmp" : format == 2 ? "tif" : "dcm"; }

class ScanEndToEnd : public ::testing::Test {
protected:
    TestSession s;
    HWND dialog = nullptr;
    std::string folder = Folder();
    std::string truth = folder + "\\truth.raw";
    int groupsBefore = 0;
    uint32_t blocksBefore = 0;

    void SetUp() override { Start(""); }

    // Powers the installed digitizer on with `extra` configuration and opens
    // it as start-up does.
    void Start(const std::string& extra)
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        std::string ini = folder + "\\digitizer.ini";
        WriteText(ini, "truthFile = " + truth + "\ncallLog = " + folder + "\\calls.log\n" + extra);
        SetEnvironmentVariableA("SCANKIT_CONFIG", ini.c_str());
        StartTestSession(&s);
        BoxResponderStart();
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
        ClockUseVirtual(0);
        dialog = CreateScanDialogStub(&s.ds);
        ASSERT_NE(nullptr, dialog);
        s.host.mainDialog = dialog;
        s.image.autoEject = 1;
        s.image.bitThreshold = kThreshold;
        // What the host gives every DICOM image (the writer adds the size).
        uint16_t one = 1, zero = 0;
        DcmSetElemValue(0x00020028, &one, 2);
        DcmSetElemValue(0x00040028, "MONOCHROME2", 11);
        DcmSetElemValue(0x01030028, &zero, 2);
        groupsBefore = GroupsInUse();
        blocksBefore = MemBlocksInUse();
    }

    void TearDown() override
    {
        DestroyWindow(dialog);
        PumpPending();
        BoxResponderStop();
        ToolkitUnbind();
        SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
        ClockUseReal();
        DeInitDSData();
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

    int32_t Run()
    {
        s.settings.scanState = 1;
        int32_t result = ScanProcRun(dialog, &s.ds);
        s.settings.scanState = 0;
        return result;
    }

    void ExpectMemoryBack()
    {
        for (int32_t* group : {&s.settings.scanPreviewGroup, &s.settings.prescanGroup}) {
            if (*group != FC_NO_GROUP) MemFreeGroup(*group);
            *group = FC_NO_GROUP;
        }
        s.settings.scanPreviewBits = s.settings.prescanBits = nullptr;
        s.settings.scanPreviewInfo = s.settings.prescanInfo = nullptr;
        EXPECT_EQ(groupsBefore, GroupsInUse());
        EXPECT_EQ(blocksBefore, MemBlocksInUse());
    }

    void ExpectNoTemporaries(const std::string& path)
    {
        EXPECT_FALSE(Exists(path + ".tmp")) << "the landscape line file";
        EXPECT_FALSE(Exists(path + "~")) << "the writer's temporary";
    }

    // The sizes asked of getImage, as the digitizer logged them.
    std::vector<unsigned long> Requests()
    {
        std::vector<unsigned long> sizes;
        std::string log = TextOf(folder + "\\calls.log");
        for (size_t at = log.find("getImage "); at != std::string::npos; at = log.find("getImage ", at + 1))
            sizes.push_back(strtoul(log.c_str() + at + 9, nullptr, 10));
        return sizes;
    }

    std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const SeenBox& box : BoxResponderMessageBoxes()) texts.push_back(box.caption + ": " + box.text);
        return texts;
    }

    // Keeps the file's truth and tells the checker how to read it.
    void Record(const std::string& name, const std::string& kind, const std::string& file, const Window& w,
                uint32_t width, bool landscape)
    {
        std::string raw = folder + "\\" + name + ".raw";
        ASSERT_TRUE(CopyFileA(truth.c_str(), raw.c_str(), FALSE));
        FILE* manifest = fopen((folder + "\\manifest.txt").c_str(), "ab");
        ASSERT_NE(nullptr, manifest);
        fprintf(manifest, "%s %s %s %s.raw %u %u %u %u %d %u\n", name.c_str(), kind.c_str(), file.c_str(),
                name.c_str(), w.pixels, (unsigned)s.settings.imageHeight, w.depth, width, landscape ? 1 : 0,
                kThreshold);
        fclose(manifest);
    }
};

}  // namespace

TEST_F(ScanEndToEnd, EachWriterDepthOrientationAndCut)
{
    DeleteFileA((folder + "\\manifest.txt").c_str());
    const Case cases[] = {
        {"bmp8_portrait_whole", 1, 8, false, 0, 161, 90},
        {"bmp1_landscape_cut", 1, 1, true, 113, 160, 87},
        {"bmp8_landscape_cut", 1, 8, true, 97, 140, 60},
        {"tif1_portrait_whole", 2, 1, false, 0, 163, 90},
        {"tif8_landscape_whole", 2, 8, true, 0, 150, 83},
        {"tif12_portrait_cut", 2, 12, false, 101, 150, 90},
        {"tif16_landscape_cut", 2, 16, true, 90, 130, 71},
        {"dcm8_portrait_cut", 3, 8, false, 113, 160, 90},
        {"dcm12_landscape_whole", 3, 12, true, 0, 120, 77},
        {"dcm16_portrait_whole", 3, 16, false, 0, 141, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = std::string(c.name) + "." + Kind(c.format);
        std::string path = folder + "\\" + file;
        WriteText(path, kEarlierImage);
        Window w{c.pixels, c.lines, c.depth};
        Program(w, path, c.format, c.landscape, c.cutWidth);
        ASSERT_EQ(1, Run()) << StubStatusText() << " " << ::testing::PrintToString(BoxTexts());
        EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
        EXPECT_EQ(c.lines, s.settings.imageHeight);
        EXPECT_EQ(c.cutWidth ? c.cutWidth : c.pixels, s.settings.scanWidth);
        EXPECT_NE(kEarlierImage, TextOf(path)) << "replaced by the scan";
        ExpectNoTemporaries(path);
        ExpectMemoryBack();
        Record(c.name, Kind(c.format), file, w, s.settings.scanWidth, c.landscape);
    }
}

TEST_F(ScanEndToEnd, LengthLimitStopsADigitizerThatGoesOn)
{
    // 17 inches at 75 dpi are 1275 lines; the 16-inch film ends at 1200 and
    // the digitizer delivers 300 more.
    TearDown();
    Start("overDeliver = 300\n");
    std::string path = folder + "\\length_limit.tif";
    // 640-pixel lines make 51-line requests, 25 of which are 1275 lines.
    Window w{640, 0, 8, 200, 0};
    Program(w, path, 2, false, 0);
    s.settings.scanLines = 2000;
    ASSERT_EQ(1, Run());
    EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
    EXPECT_EQ(1275u, s.settings.imageHeight);
    EXPECT_EQ(Requests(), std::vector<unsigned long>(25, 51 * 640)) << "whole lines, no read past the limit";
    ExpectMemoryBack();
    Record("length_limit", "tif", "length_limit.tif", w, 640, false);
}

TEST_F(ScanEndToEnd, PrescanWritesNoFileAndKeepsItsPreview)
{
    std::string path = folder + "\\prescan_target.bmp";
    WriteText(path, kEarlierImage);
    Program(Window{200, 120, 8}, path, 1, false, 0);
    s.area.prescanMode = 1;
    ASSERT_EQ(1, Run());
    EXPECT_EQ("Scan Completed Successfully.", StubStatusText());
    EXPECT_NE(nullptr, s.settings.prescanBits);
    EXPECT_EQ(200u, s.area.prescanPixels);
    EXPECT_EQ(120u, s.area.prescanLines);
    EXPECT_EQ(kEarlierImage, TextOf(path));
    ExpectNoTemporaries(path);
    ExpectMemoryBack();
}

TEST_F(ScanEndToEnd, CancelLeavesTheEarlierFileOrNoneAndNoTemporaries)
{
    for (bool landscape : {false, true}) {
        SCOPED_TRACE(landscape ? "landscape, over an earlier file" : "portrait, a new name");
        std::string path = folder + "\\cancelled.dcm";
        DeleteFileA(path.c_str());
        if (landscape) WriteText(path, kEarlierImage);
        Program(Window{600, 400, 16}, path, 3, landscape, 0);
        StubCancelAfterProgress(3);
        ASSERT_EQ(1, Run());
        StubCancelAfterProgress(0);
        EXPECT_EQ("Scan Cancelled.", StubStatusText());
        EXPECT_EQ(1u, s.settings.scanCancelled);
        EXPECT_LT(s.image.linesDone, 400u) << "stopped early";
        if (landscape)
            EXPECT_EQ(kEarlierImage, TextOf(path));
        else
            EXPECT_FALSE(Exists(path));
        ExpectNoTemporaries(path);
        ExpectMemoryBack();
    }
}

TEST_F(ScanEndToEnd, StalledDigitizerEndsAtOnceUnderTheVirtualClock)
{
    TearDown();
    Start("stallLine = 20\nstallInstant = 1\n");
    std::string path = folder + "\\stalled.tif";
    WriteText(path, kEarlierImage);
    Program(Window{200, 100, 8}, path, 2, false, 0);
    DWORD start = GetTickCount();
    EXPECT_EQ(0, Run());
    EXPECT_LT(GetTickCount() - start, 8000u) << "no real 10-second wait";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"ERROR: Error in Scan process."});
    EXPECT_EQ(kEarlierImage, TextOf(path));
    ExpectNoTemporaries(path);
    ExpectMemoryBack();
}
