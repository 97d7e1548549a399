// Every writer writes beside its target and puts the file in place only at
// a successful finish: an earlier image of the same name survives a
// cancelled or failed scan, and no temporary file is left behind.
#include <gtest/gtest.h>

#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "image_test_support.h"


namespace {

const struct { uint32_t format; const char* extension; } kFormats[] = {{OUTPUT_BITMAP, "bmp"}, {OUTPUT_TIFF, "tif"}, {OUTPUT_DICOM, "dcm"}};
const std::string kEarlierImage = "the operator's earlier image";
std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

namespace fs = std::filesystem;

// The names in the folder of `target` that say they are its part files:
// the target's name, a dot, eight hex digits, ".part".
std::set<std::string> PartFilesOf(const std::string& target)
{
    fs::path path(target);
    std::regex partName(std::regex_replace(path.filename().string(), std::regex(R"([.^$|()\[\]{}*+?\\])"),
                                           R"(\$&)") + R"(\.[0-9a-fA-F]{8}\.part)");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path.parent_path()))
        if (std::regex_match(entry.path().filename().string(), partName))
            names.insert(entry.path().filename().string());
    return names;
}

bool TemporaryLeft(const std::string& target)
{
    return !PartFilesOf(target).empty();
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
// with the bytes it would have written in place. Also for a target of the
// longest name a scan takes; one character more is refused at open.
TEST(OutputPlacement, OnlyAFinishReplacesTheEarlierFile)
{
    for (const auto& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string fresh = TestFilePath(std::string("placement_fresh.") + c.extension);
        std::string target = TestFilePath("placement_");
        std::string longTarget = target + std::string(241 - target.size() - 4, 'n') + "." + c.extension;
        ASSERT_EQ(0, WriteTestImage(fresh, c.format, 301, 20, 8));
        for (const std::string& path : {target + c.extension, longTarget}) {
            std::ofstream(path, std::ios::binary) << kEarlierImage;
            OutputWriter writer = {};
            ASSERT_EQ(0, StartImage(&writer, path, c.format, 20));
            EXPECT_EQ(Bytes(kEarlierImage), ReadFileBytes(path)) << "untouched while the scan runs";
            EXPECT_EQ(1u, PartFilesOf(path).size()) << "the image goes to a part file";
            EXPECT_EQ(0, ReleaseOutputWriter(&writer));
            EXPECT_EQ(0, ReleaseOutputWriter(&writer)) << "a second release is harmless";
            EXPECT_EQ(Bytes(kEarlierImage), ReadFileBytes(path));
            EXPECT_FALSE(TemporaryLeft(path));
            ASSERT_EQ(0, WriteTestImage(path, c.format, 301, 20, 8));
            EXPECT_EQ(ReadFileBytes(fresh), ReadFileBytes(path));
            EXPECT_FALSE(TemporaryLeft(path));
            remove(path.c_str());
        }
        std::string tooLong = longTarget.substr(0, longTarget.size() - 4) + "n." + c.extension;
        std::ofstream(tooLong, std::ios::binary) << kEarlierImage;
        OutputWriter writer = {};
        EXPECT_EQ(201, OpenOutputWriter(&writer, tooLong.c_str(), c.format));
        EXPECT_EQ(Bytes(kEarlierImage), ReadFileBytes(tooLong));
        EXPECT_FALSE(TemporaryLeft(tooLong));
        remove(tooLong.c_str());
        remove(fresh.c_str());
    }
}

// Files beside the target that look like temporaries are someone else's:
// no scan, finished or cancelled, opens, cuts or deletes them.
TEST(OutputPlacement, FilesBesideTheTargetThatAreNotOursSurvive)
{
    fs::path folder = TestFilePath("placement_foreign");
    fs::create_directories(folder);
    for (const auto& c : kFormats) {
        SCOPED_TRACE(c.extension);
        std::string target = (folder / (std::string("chest.") + c.extension)).string();
        std::vector<std::string> foreign = {target + "~", target + ".tmp", target + ".part",
                                            target + ".0000000g.part", target + ".1234567.part"};
        for (const std::string& name : foreign)
            std::ofstream(name, std::ios::binary) << "kept: " << name;
        for (bool finish : {false, true}) {
            OutputWriter writer = {};
            ASSERT_EQ(0, StartImage(&writer, target, c.format, 5));
            if (finish) {
                EXPECT_EQ(0, FinishOutputImage(&writer));
            }
            EXPECT_EQ(0, ReleaseOutputWriter(&writer));
            EXPECT_EQ(finish, FileExists(target));
            for (const std::string& name : foreign)
                EXPECT_EQ(Bytes("kept: " + name), ReadFileBytes(name)) << name;
            EXPECT_FALSE(TemporaryLeft(target));
        }
    }
    fs::remove_all(folder);
}

// A scan that died left part files for its target: the next scan to that
// target removes them, and only them.
TEST(OutputPlacement, TheNextScanRemovesPartFilesLeftForItsTarget)
{
    fs::path folder = TestFilePath("placement_leftovers");
    fs::create_directories(folder);
    std::string target = (folder / "knee.bmp").string();
    std::vector<std::string> left = {target + ".0123abcd.part", target + ".FFFFFFFF.part"};
    std::vector<std::string> others = {(folder / "knee.bm.0123abcd.part").string(),
                                       (folder / "knee.bmpx.0123abcd.part").string(),
                                       (folder / "other.bmp.0123abcd.part").string(),
                                       target + ".0123abcd.part.old", target + ".0123abcd.tmp",
                                       target + ".0123abcde.part"};
    for (const std::string& name : left)
        std::ofstream(name, std::ios::binary) << "died";
    for (const std::string& name : others)
        std::ofstream(name, std::ios::binary) << "kept";
    OutputWriter writer = {};
    ASSERT_EQ(0, StartImage(&writer, target, OUTPUT_BITMAP, 3));
    for (const std::string& name : left)
        EXPECT_FALSE(FileExists(name)) << name;
    for (const std::string& name : others)
        EXPECT_EQ(Bytes("kept"), ReadFileBytes(name)) << name;
    EXPECT_EQ(1u, PartFilesOf(target).size()) << "only this scan's own";
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    fs::remove_all(folder);
}

}  // namespace
