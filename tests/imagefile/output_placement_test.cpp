// Every writer writes beside its target and puts the file in place only at
// a successful finish: an earlier image of the same name survives a
// cancelled or failed scan, and no temporary file is left behind.
#include <gtest/gtest.h>

#include <stdio.h>

#include <fstream>
#include <string>
#include <vector>

#include "image_test_support.h"


namespace {

const struct { uint32_t format; const char* extension; } kFormats[] = {{OUTPUT_BITMAP, "bmp"}, {OUTPUT_TIFF, "tif"}, {OUTPUT_DICOM, "dcm"}};
const std::string kEarlierImage = "the operator's earlier image";
std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Where the temporary file of `target` would be, under either naming.
bool TemporaryLeft(const std::string& target)
{
    std::string shortened = target;
    shortened.back() = '~';
    return FileExists(target + "~") || FileExists(shortened);
}

// Open, parameters, begin and `rows` rows; the writer is left unfinished.
uint16_t StartImage(OutputWriter* writer, const std::string& path, uint32_t format, uint32_t rows,
                    uint32_t width = 301, uint32_t bits = 8)
{
    uint16_t code = OpenOutputWriter(writer, path.c_str(), format);
    if (code != 0)
        return code;
    SetWriterParam(writer, ImageWidth, &width, 4);
    SetWriterParam(writer, BitsPerSample, &bits, 4);
    if ((code = BeginOutputImage(writer)) != 0)
        return code;
    for (uint32_t y = 0; y < rows && code == 0; ++y)
        code = WriteOutputRow(writer, TestRow(width, y, bits).data());
    return code;
}

// A cancelled writer leaves the earlier file; a finished one replaces it
// with the bytes it would have written in place. Also for a 259-character
// target, whose temporary name cannot be longer.
TEST(OutputPlacement, OnlyAFinishReplacesTheEarlierFile)
{
    for (const auto& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string fresh = TestFilePath(std::string("placement_fresh.") + c.extension);
        std::string target = TestFilePath("placement_");
        std::string longTarget = target + std::string(259 - target.size() - 4, 'n') + "." + c.extension;
        ASSERT_EQ(0, WriteTestImage(fresh, c.format, 301, 20, 8));
        for (const std::string& path : {target + c.extension, longTarget}) {
            std::ofstream(path, std::ios::binary) << kEarlierImage;
            OutputWriter writer = {};
            ASSERT_EQ(0, StartImage(&writer, path, c.format, 20));
            EXPECT_EQ(Bytes(kEarlierImage), ReadFileBytes(path)) << "untouched while the scan runs";
            EXPECT_EQ(0, ReleaseOutputWriter(&writer));
            EXPECT_EQ(0, ReleaseOutputWriter(&writer)) << "a second release is harmless";
            EXPECT_EQ(Bytes(kEarlierImage), ReadFileBytes(path));
            EXPECT_FALSE(TemporaryLeft(path));
            ASSERT_EQ(0, WriteTestImage(path, c.format, 301, 20, 8));
            EXPECT_EQ(ReadFileBytes(fresh), ReadFileBytes(path));
            EXPECT_FALSE(TemporaryLeft(path));
            remove(path.c_str());
        }
        remove(fresh.c_str());
    }
}

}  // namespace
