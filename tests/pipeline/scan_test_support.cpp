#include "scan_test_support.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "box_responder.h"
#include "frame/clock.h"
#include "frame/memgroups.h"
#include "pipeline/scan_proc.h"
#include "scanner/toolkit.h"
#include "scripted_kit.h"

MemoryInUse MemoryNow(void)
{
    int groups = 0;
    for (int32_t id = 0; id < 4096; ++id)
        if (MemGetGroupPtr(id, nullptr) == FC_OK)
            ++groups;
    return {groups, MemBlocksInUse()};
}

void PrintTo(const MemoryInUse& m, std::ostream* os)
{
    *os << m.groups << " groups, " << m.blocks << " blocks";
}

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileHolds(const std::string& path, const std::string& text)
{
    const std::vector<uint8_t> bytes = FileBytes(path);
    return std::string(bytes.begin(), bytes.end()) == text;
}

void WriteFileBytes(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

static uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

BmpImage ReadBmp(const std::string& path)
{
    BmpImage image;
    const std::vector<uint8_t> b = FileBytes(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return image;
    image.width = int32_t(U32(b, 18));
    image.height = int32_t(U32(b, 22));
    image.bits = uint16_t(b[28] | b[29] << 8);
    const uint32_t offset = U32(b, 10);
    const size_t rowBytes = (size_t(image.bits) * image.width + 7) / 8;
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    if (image.height < 0 || offset + stride * size_t(image.height) > b.size())
        return image;
    for (int32_t y = 0; y < image.height; ++y)
        image.rows.emplace_back(b.begin() + offset + y * stride, b.begin() + offset + y * stride + rowBytes);
    image.valid = true;
    return image;
}

void ScanTest::SetUp()
{
    StartTestSession(&s);
    BoxResponderStart();
    InstallScriptedKit();
    InstallScriptedImage();
    ClockUseVirtual(0);
    dialog = CreateScanDialogStub(&s.ds);
    ASSERT_NE(dialog, nullptr);
    s.host.mainDialog = dialog;
    s.image.landscape = 0;
    s.image.autoEject = 1;
    before = MemoryNow();
}

void ScanTest::TearDown()
{
    DestroyWindow(dialog);
    PumpPending();
    BoxResponderStop();
    ToolkitInstall(nullptr);
    ClockUseReal();
    DeInitDSData();
}

void ScanTest::Program(uint32_t pixels, uint32_t lines, uint32_t depth, const std::string& path,
                       uint32_t format)
{
    s.settings.resolution = 150;
    s.settings.maxLength = 17;
    s.settings.scanPixels = pixels;
    s.settings.scanLines = lines;
    s.settings.bitDepth = depth;
    s.settings.sampleBits = depth < 12 ? 8 : depth;
    s.settings.selectionFlags = 1;
    s.settings.progressTotal = pixels * lines * (depth > 8 ? 2 : 1);
    s.area.prescanMode = 0;
    s.output.outputFormat = format;
    snprintf(s.output.outputPath, sizeof s.output.outputPath, "%s", path.c_str());
    ImageScript& image = Image();
    image.bytesPerSample = depth > 8 ? 2 : 1;
    image.lineBytes = pixels * image.bytesPerSample;
    image.lines = lines;
    std::remove(path.c_str());
}

int32_t ScanTest::Run()
{
    s.settings.scanState = 1;
    const int32_t result = ScanProcRun(dialog, &s.ds);
    s.settings.scanState = 0;
    return result;
}

void ScanTest::FreePreviews()
{
    for (int32_t* group : {&s.settings.scanPreviewGroup, &s.settings.prescanGroup}) {
        if (*group != FC_NO_GROUP)
            MemFreeGroup(*group);
        *group = FC_NO_GROUP;
    }
    s.settings.scanPreviewBits = s.settings.prescanBits = nullptr;
    s.settings.scanPreviewInfo = s.settings.prescanInfo = nullptr;
}

std::vector<std::string> ScanTest::BoxTexts() const
{
    std::vector<std::string> texts;
    for (const SeenBox& box : BoxResponderMessageBoxes())
        texts.push_back(box.caption + ": " + box.text);
    return texts;
}
