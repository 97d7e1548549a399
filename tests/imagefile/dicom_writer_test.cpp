#include <gtest/gtest.h>

#include <string.h>

#include "image_test_support.h"
#include "imagefile/dicom_table.h"

namespace {

struct Element {
    uint32_t tag;
    uint32_t length;
    size_t valueAt;
};

// Walks a bare implicit-VR little-endian data set from offset 0 up to and
// including Pixel Data.
std::vector<Element> WalkDataSet(const std::vector<uint8_t>& f)
{
    std::vector<Element> elements;
    size_t at = 0;
    while (at + 8 <= f.size()) {
        Element e{U32At(f, at), U32At(f, at + 4), at + 8};
        elements.push_back(e);
        if (e.tag == DCM_PIXEL_DATA)
            break;
        at = e.valueAt + e.length;
    }
    return elements;
}

const Element* Find(const std::vector<Element>& elements, uint32_t tag)
{
    for (const Element& e : elements) {
        if (e.tag == tag)
            return &e;
    }
    return nullptr;
}

void SetText(uint32_t tag, const char* text)
{
    DcmSetElemValue(tag, text, (int32_t)strlen(text));
}

// What the host and the dialogs put into the table before a scan.
void FillTableAsTheHostDoes()
{
    DcmClearElementTable();
    SetText(DCM_SOP_CLASS_UID, "1.2.840.10008.5.1.4.1.1.7");
    SetText(DCM_TAG(0x0008, 0x0060), "OT");
    SetText(DCM_TAG(0x0010, 0x0010), "SMITH");
    SetText(DCM_TAG(0x0010, 0x0020), "ID42");
    SetText(DCM_TAG(0x0028, 0x0004), "MONOCHROME2");
    DcmSetElemU16(DCM_TAG(0x0028, 0x0002), 1);
    DcmSetElemU16(DCM_TAG(0x0028, 0x0103), 0);
    DcmGenInstUIDs(1);
}

class DicomWriter : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static bool started = (MemInit(0), true);
        (void)started;
    }
    void SetUp() override { FillTableAsTheHostDoes(); }
};

struct DicomCase {
    uint32_t bits;
    uint32_t width;
};

class DicomFiles : public DicomWriter, public ::testing::WithParamInterface<DicomCase> {};

TEST_P(DicomFiles, BareDataSetWithPatchedRowsAndPaddedRows)
{
    const DicomCase c = GetParam();
    const uint32_t rows = 11;
    std::string name = "dicom_" + std::to_string(c.bits) + "_" + std::to_string(c.width);
    std::string path = TestFilePath(name + ".dcm");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_DICOM, c.width, rows, c.bits));

    std::vector<uint8_t> f = ReadFileBytes(path);
    std::vector<Element> elements = WalkDataSet(f);
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(DCM_SOP_CLASS_UID, elements.front().tag);  // no preamble, no meta group
    uint32_t previous = 0;
    for (const Element& e : elements) {
        uint32_t order = (e.tag & 0xFFFF) << 16 | e.tag >> 16;
        EXPECT_GT(order, previous) << std::hex << e.tag;
        previous = order;
        EXPECT_EQ(0u, e.length % 2) << std::hex << e.tag;
    }
    uint32_t rowBytes = c.bits > 8 ? 2 * c.width : c.width;
    uint32_t pad = rowBytes % 2;
    const Element* pixels = Find(elements, DCM_PIXEL_DATA);
    ASSERT_NE(nullptr, pixels);
    EXPECT_EQ(rows * (rowBytes + pad), pixels->length);
    ASSERT_EQ(pixels->valueAt + pixels->length, f.size());
    EXPECT_EQ(rows, U16At(f, Find(elements, DCM_ROWS)->valueAt));
    EXPECT_EQ(c.width + pad, U16At(f, Find(elements, DCM_COLUMNS)->valueAt));
    EXPECT_EQ(c.bits > 8 ? 16 : 8, U16At(f, Find(elements, DCM_BITS_ALLOCATED)->valueAt));
    EXPECT_EQ(c.bits, U16At(f, Find(elements, DCM_BITS_STORED)->valueAt));
    EXPECT_EQ(c.bits - 1, U16At(f, Find(elements, DCM_HIGH_BIT)->valueAt));
    for (uint32_t y = 0; y < rows; ++y) {
        std::vector<uint8_t> row = TestRow(c.width, y, c.bits);  // 12-bit: not shifted
        size_t at = pixels->valueAt + (size_t)y * (rowBytes + pad);
        ASSERT_TRUE(std::equal(row.begin(), row.end(), f.begin() + at)) << "row " << y;
        if (pad) {
            ASSERT_EQ(0, f[at + rowBytes]);
        }
    }
#ifndef _WIN32
    int exitCode = 0;
    std::string dump = RunCommand("dcmdump -f -ti " + path, &exitCode);
    EXPECT_EQ(0, exitCode) << dump;
    EXPECT_EQ(std::string::npos, dump.find("E:")) << dump;
    EXPECT_EQ(std::string::npos, dump.find("W:")) << dump;
    EXPECT_NE(std::string::npos, dump.find("(0010,0010) PN [SMITH]")) << dump;
    EXPECT_NE(std::string::npos, dump.find("(0028,0010) US " + std::to_string(rows) + " ")) << dump;
    EXPECT_NE(std::string::npos, dump.find("(0028,0011) US " + std::to_string(c.width + pad) + " "))
        << dump;
    EXPECT_NE(std::string::npos,
              dump.find("(0028,0100) US " + std::to_string(c.bits > 8 ? 16 : 8) + " "))
        << dump;
    EXPECT_NE(std::string::npos, dump.find("(0028,0101) US " + std::to_string(c.bits) + " "))
        << dump;
    EXPECT_NE(std::string::npos, dump.find("(0028,0102) US " + std::to_string(c.bits - 1) + " "))
        << dump;
    EXPECT_NE(std::string::npos, dump.find("# " + std::to_string(pixels->length) + ", 1 PixelData"))
        << dump;
    RunCommand("dcmftest " + path, &exitCode);
    EXPECT_NE(0, exitCode);  // not a DICOM file with preamble and meta group

    std::string expected = TestFilePath(name + ".expect");
    WriteExpectedSamples(expected, c.width, rows, c.bits, true);
    EXPECT_EQ("match\n", RunImageCheck("dicom", path, expected, c.width, rows, c.bits));
#endif
}

INSTANTIATE_TEST_SUITE_P(Depths, DicomFiles,
                         ::testing::Values(DicomCase{8, 1001}, DicomCase{8, 64}, DicomCase{12, 33},
                                           DicomCase{16, 34}),
                         [](const ::testing::TestParamInfo<DicomCase>& info) {
                             return "bits" + std::to_string(info.param.bits) + "_width" +
                                    std::to_string(info.param.width);
                         });

TEST_F(DicomWriter, RowsHoldsTheRowsWrittenNotTheRowsExpected)
{
    std::string path = TestFilePath("dicom_rows.dcm");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_DICOM));
    uint32_t expected = 2000, width = 4, bits = 8;
    SetWriterParam(&writer, ImageLength, &expected, 4);
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    ASSERT_EQ(0, BeginOutputImage(&writer));
    std::vector<uint8_t> row = TestRow(width, 0, 8);
    for (int i = 0; i < 1500; ++i)
        ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
    ASSERT_EQ(0, FinishOutputImage(&writer));
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    std::vector<uint8_t> f = ReadFileBytes(path);
    std::vector<Element> elements = WalkDataSet(f);
    EXPECT_EQ(1500, U16At(f, Find(elements, DCM_ROWS)->valueAt));
    EXPECT_EQ(6000u, Find(elements, DCM_PIXEL_DATA)->length);
}

TEST_F(DicomWriter, BilevelRowsAreRefusedBeforeAnyFileExists)
{
    std::string path = TestFilePath("dicom_bilevel.dcm");
    remove(path.c_str());
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_DICOM));
    uint32_t width = 2000, bits = 1;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    EXPECT_EQ(1, BeginOutputImage(&writer));
    uint8_t row[250] = {0};
    EXPECT_EQ(2, WriteOutputRow(&writer, row));
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(DicomWriter, LongPathsAreKeptWhole)
{
    std::string name = TestFilePath("dicom_" + std::string(150, 'n') + ".dcm");
    ASSERT_GT(name.size(), 128u);
    remove(name.c_str());
    ASSERT_EQ(0, WriteTestImage(name, OUTPUT_DICOM, 8, 2, 8));
    EXPECT_TRUE(FileExists(name));
    EXPECT_FALSE(FileExists(name.substr(0, 128)));
}

TEST_F(DicomWriter, ReleaseAfterACancelFreesTheMemoryGroup)
{
    std::string path = TestFilePath("dicom_cancel.dcm");
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_DICOM));
    int32_t group = writer.state.dicom.memoryGroup;
    ASSERT_NE(FC_NO_GROUP, group);
    uint32_t used, allocated;
    EXPECT_EQ(0, MemGroupUsage(group, &used, &allocated));
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
    EXPECT_EQ(3, MemGroupUsage(group, &used, &allocated));
    EXPECT_EQ(FC_NO_GROUP, writer.state.dicom.memoryGroup);
}

TEST_F(DicomWriter, RecordPreparationCopiesTheSessionTexts)
{
    OutputSettings settings = {};
    strcpy(settings.patientName, "SMITH^ANN");
    strcpy(settings.patientId, "P7");
    strcpy(settings.birthDate, "19700101");
    strcpy(settings.patientSex, "F");
    strcpy(settings.studyId, "S1");
    strcpy(settings.seriesNumber, "1");
    strcpy(settings.imageNumber, "3");
    DSData ds = {};
    ds.OutputSettings = &settings;
    OutputWriter writer = {};
    std::string path = TestFilePath("dicom_record.dcm");
    ASSERT_EQ(0, OpenOutputWriter(&writer, path.c_str(), OUTPUT_DICOM));
    ASSERT_EQ(0, PrepareDicomRecord(&writer, &ds));
    const char* expected[12] = {"SMITH^ANN", "P7", "19700101", "F", "S1", "1", "3",
                                "SC", "1.2.3", "1", "1.2.3.1", "1.2.3.1.1"};
    for (int i = 0; i < 12; ++i)
        EXPECT_STREQ(expected[i], (const char*)writer.state.dicom.recordCopies[i]) << i;
    ReleaseOutputWriter(&writer);

    writer.state.dicom.memoryGroup = FC_NO_GROUP;  // a group that could not be taken
    EXPECT_EQ(102, PrepareDicomRecord(&writer, &ds));
}

TEST_F(DicomWriter, OpenFailureAtBeginIs201)
{
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, "no_such_folder_here/x.dcm", OUTPUT_DICOM));
    uint32_t width = 8, bits = 16;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    EXPECT_EQ(201, BeginOutputImage(&writer));
    EXPECT_EQ(2, FinishOutputImage(&writer));
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
}

#ifndef _WIN32
TEST_F(DicomWriter, FullDiskAtFinishIsReported)
{
    OutputWriter writer = {};
    ASSERT_EQ(0, OpenOutputWriter(&writer, "/dev/full", OUTPUT_DICOM));
    uint32_t width = 8, bits = 8;
    SetWriterParam(&writer, ImageWidth, &width, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    ASSERT_EQ(0, BeginOutputImage(&writer));  // the data set is still in the stream buffer
    std::vector<uint8_t> row = TestRow(width, 0, 8);
    ASSERT_EQ(0, WriteOutputRow(&writer, row.data()));
    EXPECT_EQ(203, FinishOutputImage(&writer));
    EXPECT_EQ(nullptr, writer.state.dicom.file);
    EXPECT_EQ(0, ReleaseOutputWriter(&writer));
}
#endif

TEST(OutputWriterDispatch, UnknownFormatsAnswer1FromEveryOperation)
{
    for (uint32_t format : {0u, 4u}) {
        OutputWriter writer = {};
        EXPECT_EQ(1, OpenOutputWriter(&writer, TestFilePath("never.bin").c_str(), format));
        writer.format = format;
        uint32_t value = 8;
        uint8_t row[8] = {0};
        EXPECT_EQ(1, SetWriterParam(&writer, BitsPerSample, &value, 4));
        EXPECT_EQ(1, BeginOutputImage(&writer));
        EXPECT_EQ(1, WriteOutputRow(&writer, row));
        EXPECT_EQ(1, FinishOutputImage(&writer));
        EXPECT_EQ(1, ReleaseOutputWriter(&writer));
    }
    EXPECT_FALSE(FileExists(TestFilePath("never.bin")));
    EXPECT_EQ(0, FixImageOrientation(nullptr));
}

}  // namespace
