// The binary session image list with real files, and deleting a session's images.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imagefile/session_images.h"

namespace {

namespace fs = std::filesystem;

class SessionImages : public ::testing::Test {
protected:
    fs::path folder = fs::temp_directory_path() / "fcimages";
    std::vector<SessionImage> records;

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::string In(const std::string& name) const { return (folder / name).string(); }

    // Records named as given, linked in order, each marked in its last byte.
    SessionImage* List(const std::vector<std::string>& names)
    {
        records.assign(names.size(), SessionImage{});
        for (size_t i = 0; i < names.size(); ++i) {
            strncpy(records[i].name, names[i].c_str(), sizeof records[i].name - 1);
            records[i].name[sizeof records[i].name - 1] = static_cast<char>('a' + i);
            records[i].next = i + 1 < names.size() ? &records[i + 1] : nullptr;
        }
        return records.empty() ? nullptr : &records[0];
    }

    // "name:mark" of every stored record, then the bytes left over.
    static std::string Stored(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string names;
        for (size_t at = 0; at + SESSION_IMAGE_BYTES <= bytes.size(); at += SESSION_IMAGE_BYTES)
            names += std::string(bytes.c_str() + at + 8) + ":" + bytes[at + SESSION_IMAGE_BYTES - 1] + " ";
        return names + std::to_string(bytes.size() % SESSION_IMAGE_BYTES);
    }
};

TEST_F(SessionImages, LaterListsFillEmptyRecordsFirstThenTheEnd)
{
    std::string file = In("images.inf");
    ASSERT_EQ(0, SaveSessionImageList(file.c_str(), List({"A", "", "C", ""})));
    ASSERT_EQ(0, SaveSessionImageList(file.c_str(), List({"X", "Y", "Z"})));
    EXPECT_EQ("A:a X:a C:c Y:b Z:c 0", Stored(file));
    // A torn last record is written over, so the records stay in step.
    std::ofstream(file, std::ios::binary | std::ios::app) << "torn";
    ASSERT_EQ(0, SaveSessionImageList(file.c_str(), List({"W"})));
    ASSERT_EQ(0, SaveSessionImageList(file.c_str(), nullptr));
    EXPECT_EQ("A:a X:a C:c Y:b Z:c W:a 0", Stored(file));
    ASSERT_EQ(0, SaveSessionImageList(In("empty.inf").c_str(), nullptr));
    EXPECT_EQ(0u, fs::file_size(In("empty.inf")));
}

TEST_F(SessionImages, FailuresAndDeletion)
{
    EXPECT_EQ(FC_OPEN_FAILED, SaveSessionImageList(In("missing/images.inf").c_str(), List({"A"})));
    // A device that takes nothing: the short write shows at the latest when flushed.
#ifdef _WIN32
    EXPECT_EQ(FC_SHORT_WRITE, SaveSessionImageList("Z:\\dev\\full", List({"A"})));
#else
    EXPECT_EQ(FC_SHORT_WRITE, SaveSessionImageList("/dev/full", List({"A"})));
#endif
    std::ofstream(In("one.tif")) << "1";
    std::ofstream(In("two.dcm")) << "2";
    EXPECT_EQ(0, DeleteSessionImages(List({In("one.tif"), In("gone.bmp"), In("two.dcm")})));
    EXPECT_FALSE(fs::exists(In("one.tif")) || fs::exists(In("two.dcm")));
}

}  // namespace
