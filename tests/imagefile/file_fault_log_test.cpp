// Every file fault leaves a line in the log with the operation, the file
// and the system's reason, as the operator's box cannot say which file or why.
#include <gtest/gtest.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "image_test_support.h"
#include "imagefile/session_images.h"

namespace {

#ifdef _WIN32
std::string LogPath() { return "c:\\nqt\\twnqt32.log"; }
const std::string kFullDevice = "Z:\\dev\\full";
const char kSeparator = '\\';
#else
std::string LogPath() { return TestFilePath("twnqt32.log"); }
const std::string kFullDevice = "/dev/full";
const char kSeparator = '/';
#endif

class FileFaultLog : public ::testing::Test {
protected:
    size_t before = 0;
    void SetUp() override
    {
#ifndef _WIN32
        setenv("FILMCORE_LOG", LogPath().c_str(), 1);
#endif
        before = ReadFileText(LogPath()).size();
    }
    // What was appended to the log since the test began.
    std::string Added() const { return ReadFileText(LogPath()).substr(before); }
};

TEST_F(FileFaultLog, CreateFailureNamesTheFileAndTheReason)
{
    std::string target = TestFilePath("no such folder") + kSeparator + "x.bmp";
    OutputWriter writer = {};
    ASSERT_EQ(201, OpenOutputWriter(&writer, target.c_str(), OUTPUT_BITMAP));
    EXPECT_EQ("OpenOutputWriter: cannot create a part file for " + target + ": " + strerror(ENOENT) + "\n",
              Added());
}

TEST_F(FileFaultLog, ShortWriteOfTheSessionListIsLogged)
{
    SessionImage image = {};
    snprintf(image.name, sizeof image.name, "A");
    ASSERT_EQ(FC_SHORT_WRITE, SaveSessionImageList(kFullDevice.c_str(), &image));
    EXPECT_EQ("SaveSessionImageList: cannot write " + kFullDevice + ": " + strerror(ENOSPC) + "\n", Added());
}

#ifndef _WIN32
// Wine shows its devices as regular files, so the writers meet the full
// device only natively, where they write it in place.
TEST_F(FileFaultLog, ShortWriteOfEveryFormatIsLogged)
{
    const struct { uint32_t format; const char* line; } cases[] = {
        {OUTPUT_BITMAP, "FinishOutputImage: cannot write "},
        {OUTPUT_TIFF, "AppendImageToTIF: cannot write "},
        {OUTPUT_DICOM, "FinishOutputImage: cannot write "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        SetUp();
        OutputWriter writer = {};
        ASSERT_EQ(0, OpenOutputWriter(&writer, kFullDevice.c_str(), c.format));
        uint32_t width = 16, bits = 8;
        SetWriterParam(&writer, ImageWidth, &width, 4);
        SetWriterParam(&writer, BitsPerSample, &bits, 4);
        if (c.format != OUTPUT_TIFF) {
            ASSERT_EQ(0, BeginOutputImage(&writer));
        }
        ASSERT_EQ(0, WriteOutputRow(&writer, TestRow(width, 0, 8).data()));  // still buffered
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(203, FinishOutputImage(&writer));
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.line + kFullDevice + ": " + strerror(ENOSPC) + "\n", Added());
        EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    }
}
#endif

}  // namespace
