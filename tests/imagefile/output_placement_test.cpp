// Every writer writes beside its target and puts the file in place only at
// a successful finish: an earlier image of the same name survives a
// cancelled or failed scan, and no temporary file is left behind.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "image_test_support.h"

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#define getcwd _getcwd
#define chmod _chmod
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct FormatCase {
    uint32_t format;
    const char* extension;
};

const FormatCase kFormats[] = {{OUTPUT_BITMAP, "bmp"}, {OUTPUT_TIFF, "tif"}, {OUTPUT_DICOM, "dcm"}};
const char kEarlierImage[] = "the operator's earlier image";

void WriteText(const std::string& path, const char* text)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    fputs(text, f);
    fclose(f);
}

std::string TextOf(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Where the temporary file of `target` would be, under either naming.
bool TemporaryLeft(const std::string& target)
{
    std::string shortened = target;
    shortened.back() = '~';
    return FileExists(target + "~") || FileExists(shortened);
}

// Open, parameters, begin and `rows` rows; the writer is left unfinished.
uint16_t StartImage(OutputWriter* writer, const std::string& path, uint32_t format, uint32_t rows)
{
    uint16_t code = OpenOutputWriter(writer, path.c_str(), format);
    if (code != 0)
        return code;
    uint32_t width = 301, bits = 8;
    SetWriterParam(writer, ImageWidth, &width, 4);
    SetWriterParam(writer, BitsPerSample, &bits, 4);
    if ((code = BeginOutputImage(writer)) != 0)
        return code;
    for (uint32_t y = 0; y < rows && code == 0; ++y)
        code = WriteOutputRow(writer, TestRow(width, y, bits).data());
    return code;
}

std::string LongTarget(const std::string& extension, size_t length)
{
    char folder[1024];
    if (!getcwd(folder, sizeof folder))
        return "";
#ifdef _WIN32
    std::string path = std::string(folder) + "\\";
#else
    std::string path = std::string(folder) + "/";
#endif
    path += "imagefile_long_";
    if (path.size() + 4 < length)
        path.append(length - path.size() - 4, 'n');
    return path + "." + extension;
}

}  // namespace

TEST(OutputPlacement, UnfinishedWriterLeavesTheEarlierFileAlone)
{
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string path = TestFilePath(std::string("placement_cancel.") + c.extension);
        WriteText(path, kEarlierImage);
        OutputWriter writer = {};
        ASSERT_EQ(0, StartImage(&writer, path, c.format, 20));
        EXPECT_EQ(kEarlierImage, TextOf(path)) << "untouched while the scan runs";
        EXPECT_EQ(0, ReleaseOutputWriter(&writer));
        EXPECT_EQ(kEarlierImage, TextOf(path));
        EXPECT_FALSE(TemporaryLeft(path));
        EXPECT_EQ(0, ReleaseOutputWriter(&writer)) << "a second release is harmless";
        remove(path.c_str());
    }
}

TEST(OutputPlacement, FinishReplacesTheEarlierFileWithTheSameBytes)
{
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string fresh = TestFilePath(std::string("placement_fresh.") + c.extension);
        std::string path = TestFilePath(std::string("placement_replace.") + c.extension);
        remove(fresh.c_str());
        WriteText(path, kEarlierImage);
        ASSERT_EQ(0, WriteTestImage(fresh, c.format, 301, 20, 8));
        ASSERT_EQ(0, WriteTestImage(path, c.format, 301, 20, 8));
        std::vector<uint8_t> written = ReadFileBytes(path);
        EXPECT_GT(written.size(), 20u * 301);
        EXPECT_EQ(ReadFileBytes(fresh), written) << "as if written in place";
        EXPECT_FALSE(TemporaryLeft(path));
        EXPECT_FALSE(TemporaryLeft(fresh));
    }
}

TEST(OutputPlacement, FailedWriterLeavesTheEarlierFileAlone)
{
    // A begin that cannot write the image (no bitmap row can be this long,
    // DICOM cannot store packed bits) and, natively, writes cut short by a
    // full disk.
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string path = TestFilePath(std::string("placement_fail.") + c.extension);
        WriteText(path, kEarlierImage);
        OutputWriter writer = {};
        ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), c.format));
        uint32_t width = c.format == OUTPUT_BITMAP ? 0xFFFFFFF0u : 64, bits = c.format == OUTPUT_DICOM ? 1 : 8;
        SetWriterParam(&writer, ImageWidth, &width, 4);
        SetWriterParam(&writer, BitsPerSample, &bits, 4);
        if (c.format != OUTPUT_TIFF) {
            EXPECT_NE(0, BeginOutputImage(&writer));
            EXPECT_NE(0, FinishOutputImage(&writer));
        }
        ReleaseOutputWriter(&writer);
        EXPECT_EQ(kEarlierImage, TextOf(path));
        EXPECT_FALSE(TemporaryLeft(path));

#ifndef _WIN32
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit saved;
        getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        OutputWriter full = {};
        uint16_t code = StartImage(&full, path, c.format, 400);  // 120 KB of rows
        if (code == 0)
            code = FinishOutputImage(&full);
        ReleaseOutputWriter(&full);
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(203, code);
        EXPECT_EQ(kEarlierImage, TextOf(path));
        EXPECT_FALSE(TemporaryLeft(path));
#endif
        remove(path.c_str());
    }
}

TEST(OutputPlacement, TargetNameOf259Characters)
{
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string path = LongTarget(c.extension, 259);
        ASSERT_EQ(259u, path.size());
        WriteText(path, kEarlierImage);
        OutputWriter writer = {};
        ASSERT_EQ(0, StartImage(&writer, path, c.format, 5));
        ReleaseOutputWriter(&writer);
        EXPECT_EQ(kEarlierImage, TextOf(path));
        EXPECT_FALSE(TemporaryLeft(path));

        ASSERT_EQ(0, WriteTestImage(path, c.format, 301, 5, 8));
        EXPECT_GT(ReadFileBytes(path).size(), 5u * 301);
        EXPECT_FALSE(TemporaryLeft(path));
        remove(path.c_str());
    }
}

TEST(OutputPlacement, ReadOnlyTargetFailsAtOpenAsBefore)
{
    std::string path = TestFilePath("placement_readonly.bmp");
    WriteText(path, kEarlierImage);
    chmod(path.c_str(), 0444);
    if (FILE* probe = fopen(path.c_str(), "r+b")) {
        fclose(probe);
        chmod(path.c_str(), 0666);
        remove(path.c_str());
        GTEST_SKIP() << "this account writes read-only files (root)";
    }
    OutputWriter writer = {};
    EXPECT_EQ(201, OpenOutputWriter(&writer, path.c_str(), OUTPUT_BITMAP));
    ReleaseOutputWriter(&writer);
    EXPECT_EQ(kEarlierImage, TextOf(path));
    EXPECT_FALSE(TemporaryLeft(path));
    chmod(path.c_str(), 0666);
    remove(path.c_str());
}
