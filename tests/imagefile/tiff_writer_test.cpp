#include <gtest/gtest.h>

#include <string.h>

#include "image_test_support.h"
#include "imagefile/spool_file.h"

#include <stdlib.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <process.h>
#else
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

struct IfdEntry {
    uint16_t tag, type;
    uint32_t count, value;
};

IfdEntry EntryAt(const std::vector<uint8_t>& f, int n)
{
    size_t at = 10 + 12 * (size_t)n;
    return IfdEntry{U16At(f, at), U16At(f, at + 2), U32At(f, at + 4), U32At(f, at + 8)};
}

void ExpectFixedHeader(const std::vector<uint8_t>& f, uint32_t width, uint32_t rows,
                       uint32_t fileBits, uint32_t maxSample, uint32_t dpi)
{
    ASSERT_GE(f.size(), 528u);
    EXPECT_EQ('I', f[0]);
    EXPECT_EQ('I', f[1]);
    EXPECT_EQ(42, U16At(f, 2));
    EXPECT_EQ(8u, U32At(f, 4));
    ASSERT_EQ(13, U16At(f, 8));
    const IfdEntry expected[13] = {
        {255, 3, 1, 1},      {256, 3, 1, width},   {257, 3, 1, rows},     {258, 3, 1, fileBits},
        {262, 3, 1, 1},      {273, 3, 1, 1024},    {274, 3, 1, 4},        {277, 3, 1, 1},
        {280, 3, 1, 0},      {281, 3, 1, maxSample}, {282, 5, 1, 512},    {283, 5, 1, 520},
        {284, 3, 1, 1},
    };
    for (int n = 0; n < 13; ++n) {
        IfdEntry e = EntryAt(f, n);
        EXPECT_EQ(expected[n].tag, e.tag) << n;
        EXPECT_EQ(expected[n].type, e.type) << n;
        EXPECT_EQ(expected[n].count, e.count) << n;
        EXPECT_EQ(expected[n].value, e.value) << n;
    }
    EXPECT_EQ(0u, U32At(f, 166));
    for (size_t i = 170; i < 512; ++i)
        ASSERT_EQ(0, f[i]) << i;
    EXPECT_EQ(dpi, U32At(f, 512));
    EXPECT_EQ(1u, U32At(f, 516));
    EXPECT_EQ(dpi, U32At(f, 520));
    EXPECT_EQ(1u, U32At(f, 524));
}

struct TiffCase {
    uint32_t bits;
    uint32_t width;
};

class TiffFiles : public ::testing::TestWithParam<TiffCase> {};

TEST_P(TiffFiles, RowsReversedFrom1024AndReadUprightByIndependentReaders)
{
    const TiffCase c = GetParam();
    const uint32_t rows = 9;
    std::string name = "tiff_" + std::to_string(c.bits) + "_" + std::to_string(c.width);
    std::string path = TestFilePath(name + ".tif");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, c.width, rows, c.bits, 150));

    std::vector<uint8_t> f = ReadFileBytes(path);
    uint32_t fileBits = c.bits == 12 ? 16 : c.bits;
    uint32_t maxSample = c.bits == 1 ? 1 : c.bits == 8 ? 255 : 65535;
    uint32_t rowBytes = (fileBits * c.width + 7) / 8;
    ASSERT_EQ(1024u + rows * rowBytes, f.size());
    ExpectFixedHeader(f, c.width, rows, fileBits, maxSample, 150);
    for (size_t i = 528; i < 1024; ++i)
        ASSERT_EQ(0, f[i]) << i;
    for (uint32_t y = 0; y < rows; ++y) {
        std::vector<uint8_t> row = TestRow(c.width, y, c.bits);
        if (c.bits == 12) {
            for (size_t i = 0; i < row.size(); i += 2) {
                uint16_t s = (uint16_t)((row[i] | row[i + 1] << 8) * 16);
                row[i] = (uint8_t)s;
                row[i + 1] = (uint8_t)(s >> 8);
            }
        }
        size_t at = 1024 + (size_t)(rows - 1 - y) * rowBytes;  // last row first
        ASSERT_TRUE(std::equal(row.begin(), row.end(), f.begin() + at)) << "row " << y;
    }
#ifndef _WIN32
    std::string directory =
        "Directory 0: offset 8 (0x8) next 0 (0)\n"
        "OldSubFileType (255) SHORT (3) 1<1>\n"
        "ImageWidth (256) SHORT (3) 1<" + std::to_string(c.width) + ">\n"
        "ImageLength (257) SHORT (3) 1<" + std::to_string(rows) + ">\n"
        "BitsPerSample (258) SHORT (3) 1<" + std::to_string(fileBits) + ">\n"
        "Photometric (262) SHORT (3) 1<1>\n"
        "StripOffsets (273) SHORT (3) 1<1024>\n"
        "Orientation (274) SHORT (3) 1<4>\n"
        "SamplesPerPixel (277) SHORT (3) 1<1>\n"
        "MinSampleValue (280) SHORT (3) 1<0>\n"
        "MaxSampleValue (281) SHORT (3) 1<" + std::to_string(maxSample) + ">\n"
        "XResolution (282) RATIONAL (5) 1<150>\n"
        "YResolution (283) RATIONAL (5) 1<150>\n"
        "PlanarConfig (284) SHORT (3) 1<1>\n";
    std::string dump = RunCommand("tiffdump " + path);
    EXPECT_NE(std::string::npos, dump.find(directory)) << dump;

    std::string info = RunCommand("tiffinfo " + path);
    EXPECT_NE(std::string::npos, info.find("Image Width: " + std::to_string(c.width) +
                                           " Image Length: " + std::to_string(rows)))
        << info;
    EXPECT_NE(std::string::npos, info.find("Bits/Sample: " + std::to_string(fileBits))) << info;
    EXPECT_NE(std::string::npos, info.find("Orientation: row 0 bottom, col 0 lhs")) << info;
    EXPECT_NE(std::string::npos, info.find("Resolution: 150, 150")) << info;
    EXPECT_NE(std::string::npos, info.find("Photometric Interpretation: min-is-black")) << info;

    // Pillow with the Orientation honoured shows the first delivered row on top.
    std::string expected = TestFilePath(name + ".expect");
    WriteExpectedSamples(expected, c.width, rows, c.bits, true, c.bits == 12 ? 16 : 1);
    EXPECT_EQ("match\n", RunImageCheck("tiff", path, expected, c.width, rows, c.bits));
#endif
}

INSTANTIATE_TEST_SUITE_P(Depths, TiffFiles,
                         ::testing::Values(TiffCase{1, 13}, TiffCase{1, 2000}, TiffCase{8, 101},
                                           TiffCase{8, 102}, TiffCase{12, 33}, TiffCase{16, 34}),
                         [](const ::testing::TestParamInfo<TiffCase>& info) {
                             return "bits" + std::to_string(info.param.bits) + "_width" +
                                    std::to_string(info.param.width);
                         });

TEST(TiffWriter, TwelveBitRowsAreShiftedInTheWritersOwnBuffer)
{
    std::string path = TestFilePath("tiff_12_caller.tif");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_TIFF));
    uint32_t width = 3, bits = 12;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    ASSERT_EQ(0, BeginOutputImage(&writer));
    const uint8_t original[6] = {0xFF, 0x0F, 0x01, 0x00, 0x34, 0x02};
    uint8_t row[6];
    memcpy(row, original, sizeof row);
    ASSERT_EQ(0, WriteOutputRow(&writer, row));
    EXPECT_EQ(0, memcmp(row, original, sizeof row));  // the preview sees what the scanner sent
    ASSERT_EQ(0, FinishOutputImage(&writer));
    ASSERT_EQ(0, ReleaseOutputWriter(&writer));
    std::vector<uint8_t> f = ReadFileBytes(path);
    ASSERT_EQ(1030u, f.size());
    EXPECT_EQ(0xFFF0, U16At(f, 1024));
    EXPECT_EQ(0x0010, U16At(f, 1026));
    EXPECT_EQ(0x2340, U16At(f, 1028));
}

TEST(TiffWriter, NoRowsGivesTheBareHeaderAndDefaultResolution)
{
    std::string path = TestFilePath("tiff_empty.tif");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_TIFF));
    uint32_t width = 20, bits = 8;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    EXPECT_EQ(1, SetWriterParam(&writer, 7, &bits, 4));
    ASSERT_EQ(0, BeginOutputImage(&writer));
    ASSERT_EQ(0, FinishOutputImage(&writer));
    ASSERT_EQ(0, ReleaseOutputWriter(&writer));
    std::vector<uint8_t> f = ReadFileBytes(path);
    ASSERT_EQ(528u, f.size());
    ExpectFixedHeader(f, 20, 0, 8, 255, 300);
}

// Past 32767 rows (a 51-inch film at 800 dpi) the counters keep counting;
// past 65535 the length entry turns to LONG so the file stays readable.
TEST(TiffWriter, LongFilmsKeepTheirLength)
{
    const uint32_t lengths[2] = {40800, 70000};
    for (uint32_t rows : lengths) {
        std::string path = TestFilePath("tiff_long_" + std::to_string(rows) + ".tif");
        ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, 3, rows, 8));
        std::vector<uint8_t> f = ReadFileBytes(path);
        ASSERT_EQ(1024u + 3u * rows, f.size());
        IfdEntry length = EntryAt(f, 2);
        EXPECT_EQ(257, length.tag);
        EXPECT_EQ(rows > 65535 ? 4 : 3, length.type);
        EXPECT_EQ(rows, length.value);
        std::vector<uint8_t> first = TestRow(3, 0, 8);
        std::vector<uint8_t> last = TestRow(3, rows - 1, 8);
        EXPECT_TRUE(std::equal(last.begin(), last.end(), f.begin() + 1024));
        EXPECT_TRUE(std::equal(first.begin(), first.end(), f.end() - 3));
#ifndef _WIN32
        std::string dump = RunCommand("tiffdump " + path);
        std::string type = rows > 65535 ? "LONG (4)" : "SHORT (3)";
        EXPECT_NE(std::string::npos,
                  dump.find("ImageLength (257) " + type + " 1<" + std::to_string(rows) + ">"))
            << dump;
#endif
    }
}

// Several megabytes of rows: most of them go through the spool file.
TEST(TiffWriter, LargeImagesKeepEveryRowInPlace)
{
    const uint32_t width = 3001, rows = 1500;
    for (uint32_t bits : {12u, 8u}) {
        std::string path = TestFilePath("tiff_large_" + std::to_string(bits) + ".tif");
        ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, width, rows, bits));
        std::vector<uint8_t> f = ReadFileBytes(path);
        size_t rowBytes = bits == 8 ? width : 2 * width;
        ASSERT_EQ(1024u + rows * rowBytes, f.size());
        for (uint32_t y = 0; y < rows; ++y) {
            std::vector<uint8_t> row = TestRow(width, y, bits);
            for (size_t i = 0; bits == 12 && i < rowBytes; i += 2) {
                uint16_t s = (uint16_t)((row[i] | row[i + 1] << 8) << 4);
                row[i] = (uint8_t)s;
                row[i + 1] = (uint8_t)(s >> 8);
            }
            const uint8_t* stored = f.data() + 1024 + (rows - 1 - y) * rowBytes;
            ASSERT_EQ(0, memcmp(row.data(), stored, rowBytes)) << "row " << y;
        }
        remove(path.c_str());
    }
}

TEST(TiffWriter, OpenFailsWith201)
{
    OutputWriter writer = {};
    EXPECT_EQ(201, OpenOutputWriter(&writer, "no_such_folder_here/x.tif", OUTPUT_TIFF));
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
}

TEST(TiffWriter, SpoolFilesAreUniqueAndInTheTemporaryFolder)
{
    char first[512], second[512];
    FILE* a = OpenSpoolFile(first, sizeof first);
    FILE* b = OpenSpoolFile(second, sizeof second);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_STRNE(first, second);
    EXPECT_EQ(0, strncmp(first, SpoolFolder(), strlen(SpoolFolder())));
    EXPECT_EQ(nullptr, strstr(first, "i9999.dat"));
    fclose(a);
    fclose(b);
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(second));
}

size_t EntriesIn(const std::string& folder)
{
    size_t count = 0;
#ifdef _WIN32
    _finddata_t found;
    intptr_t search = _findfirst((folder + "\\*").c_str(), &found);
    if (search == -1)
        return 0;
    do {
        if (strcmp(found.name, ".") && strcmp(found.name, ".."))
            ++count;
    } while (_findnext(search, &found) == 0);
    _findclose(search);
#else
    DIR* dir = opendir(folder.c_str());
    while (dirent* e = readdir(dir)) {
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
            ++count;
    }
    closedir(dir);
#endif
    return count;
}

// Points the temporary folder variable at a fresh, empty folder.
struct TempFolderScope {
#ifdef _WIN32
    const char* variable = "TMP";
#else
    const char* variable = "TMPDIR";
#endif
    std::string folder;
    std::string saved;
    bool hadSaved;

    // With a name, the folder is only named, not made.
    explicit TempFolderScope(const char* missingFolder = nullptr)
    {
        const char* old = getenv(variable);
        hadSaved = old != nullptr;
        saved = old ? old : "";
#ifdef _WIN32
        folder = missingFolder ? missingFolder : TestFilePath("tmp_" + std::to_string(_getpid()));
        if (!missingFolder)
            _mkdir(folder.c_str());
        _putenv((std::string(variable) + "=" + folder).c_str());
#else
        char templ[] = "imagefile_tmpXXXXXX";
        folder = missingFolder ? missingFolder : mkdtemp(templ);
        setenv(variable, folder.c_str(), 1);
#endif
    }
    ~TempFolderScope()
    {
#ifdef _WIN32
        _putenv((std::string(variable) + "=" + saved).c_str());
        _rmdir(folder.c_str());
#else
        if (hadSaved)
            setenv(variable, saved.c_str(), 1);
        else
            unsetenv(variable);
        rmdir(folder.c_str());
#endif
    }
};

TEST(TiffWriter, NothingIsLeftInTheTemporaryFolder)
{
    TempFolderScope tmp;
    ASSERT_EQ(tmp.folder, std::string(SpoolFolder()));
    ASSERT_EQ(0u, EntriesIn(tmp.folder));
    std::string path = TestFilePath("tiff_spool.tif");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_TIFF, 3001, 1500, 8));  // spooled in blocks
    EXPECT_EQ(0u, EntriesIn(tmp.folder));
    OutputWriter writer = {};  // released without finishing, as after a cancel
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_TIFF));
    uint32_t width = 3001, bits = 8;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    std::vector<uint8_t> row(width, 7);
    for (int y = 0; y < 1500; ++y)
        ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
#ifdef _WIN32
    EXPECT_EQ(1u, EntriesIn(tmp.folder));  // removed by the system when closed
#else
    EXPECT_EQ(0u, EntriesIn(tmp.folder));  // unlinked as soon as it was opened
#endif
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    EXPECT_EQ(0u, EntriesIn(tmp.folder));
    remove(path.c_str());
}

TEST(TiffWriter, MissingTemporaryFolderFailsTheOpenWithAMessage)
{
    OutputWriter writer = {};
    ::testing::internal::CaptureStderr();  // before the temporary folder goes missing
    {
        TempFolderScope tmp("imagefile_no_such_folder");
        EXPECT_EQ(201, OpenOutputWriter(&writer, TestFilePath("tiff_nospool.tif").c_str(), OUTPUT_TIFF));
    }
    std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, message.find("OpenImgFileForWrite: can't open file imagefile_no_such_folder"))
        << message;
    EXPECT_EQ('\n', message.back());
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
}

#ifndef _WIN32
// Two processes writing TIFF at the same time each get their own rows.
TEST(TiffWriter, TwoProcessesDoNotShareASpoolFile)
{
    int ready[2], go[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(go));
    const uint32_t width = 40, rows = 200;
    std::string childPath = TestFilePath("tiff_child.tif");
    std::string parentPath = TestFilePath("tiff_parent.tif");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OutputWriter writer = {};
        uint32_t bits = 8, w = width;
        int ok = OpenOutputWriter(&writer, childPath.c_str(), OUTPUT_TIFF) == 0;
        SetWriterParam(&writer, ImageWidth, &w, 4);
        SetWriterParam(&writer, BitsPerSample, &bits, 4);
        char token = 'r';
        if (write(ready[1], &token, 1) != 1 || read(go[0], &token, 1) != 1)
            _exit(3);
        std::vector<uint8_t> row(width, 0xAA);
        for (uint32_t y = 0; ok && y < rows; ++y)
            ok = WriteOutputRow(&writer, row.data()) == 0;
        ok = ok && FinishOutputImage(&writer) == 0 && ReleaseOutputWriter(&writer) == 0;
        _exit(ok ? 0 : 1);
    }
    char token;
    ASSERT_EQ(1, read(ready[0], &token, 1));  // the child's spool is open
    OutputWriter writer = {};
    uint32_t bits = 8, w = width;
    ASSERT_EQ(0, OpenOutputWriter(&writer, parentPath.c_str(), OUTPUT_TIFF));
    SetWriterParam(&writer, ImageWidth, &w, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    ASSERT_EQ(1, write(go[1], &token, 1));
    std::vector<uint8_t> row(width, 0x55);
    for (uint32_t y = 0; y < rows; ++y)
        ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
    ASSERT_EQ(0, FinishOutputImage(&writer));
    ASSERT_EQ(0, ReleaseOutputWriter(&writer));
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(0, WEXITSTATUS(status));
    for (const auto& expected : {std::pair<std::string, uint8_t>{childPath, 0xAA},
                                 std::pair<std::string, uint8_t>{parentPath, 0x55}}) {
        const std::string& path = expected.first;
        uint8_t value = expected.second;
        std::vector<uint8_t> f = ReadFileBytes(path);
        ASSERT_EQ(1024u + width * rows, f.size()) << path;
        EXPECT_EQ(rows, EntryAt(f, 2).value) << path;
        EXPECT_TRUE(std::all_of(f.begin() + 1024, f.end(), [&](uint8_t b) { return b == value; }))
            << path;
    }
    close(ready[0]);
    close(ready[1]);
    close(go[0]);
    close(go[1]);
}

TEST(TiffWriter, FullDiskIsReportedAtFinish)
{
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, "/dev/full", OUTPUT_TIFF));
    uint32_t width = 16, bits = 8;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    std::vector<uint8_t> row = TestRow(width, 0, 8);
    ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(203, FinishOutputImage(&writer));
    // Moving to the rows flushes the header: that is where the disk refuses.
    EXPECT_EQ("AppendImageToTIF: fwrite error.\n", ::testing::internal::GetCapturedStderr());
    ReleaseOutputWriter(&writer);
}
#endif

}  // namespace
