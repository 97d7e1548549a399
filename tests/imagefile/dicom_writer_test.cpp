#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "image_test_support.h"
#include "imagefile/dicom_table.h"

namespace {

void SetText(uint32_t tag, const char* text) { DcmSetElemValue(tag, text, (int32_t)strlen(text)); }

class DicomWriter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { MemInit(0); }
    // What the host and the dialogs put into the table before a scan.
    void SetUp() override
    {
        DcmClearElementTable();
        SetText(DCM_SOP_CLASS_UID, "1.2.840.10008.5.1.4.1.1.7");
        SetText(DCM_TAG(0x0008, 0x0060), "OT");
        SetText(DCM_TAG(0x0010, 0x0010), "SMITH");
        SetText(DCM_TAG(0x0028, 0x0004), "MONOCHROME2");
        DcmSetElemU16(DCM_TAG(0x0028, 0x0002), 1);
        DcmSetElemU16(DCM_TAG(0x0028, 0x0103), 0);
        DcmGenInstUIDs(1);
    }
};

#ifndef _WIN32
// dcmdump reads the bare data set without complaint, dcmftest finds no
// preamble, pydicom reads the pixels (odd rows padded with a zero column).
std::string CheckedDump(const std::string& path)
{
    int exitCode = 0;
    std::string dump = RunCommand("dcmdump -f -ti " + path, &exitCode);
    EXPECT_EQ(0, exitCode) << dump;
    EXPECT_EQ(std::string::npos, dump.find("E:")) << dump;
    EXPECT_EQ(std::string::npos, dump.find("W:")) << dump;
    RunCommand("dcmftest " + path, &exitCode);
    EXPECT_NE(0, exitCode);
    return dump;
}

void ExpectElement(const std::string& dump, const std::string& element)
{
    EXPECT_NE(std::string::npos, dump.find(element)) << element << "\n" << dump;
}

class DicomFiles : public DicomWriter, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(DicomFiles, BareDataSetAsDcmtkAndPydicomReadIt)
{
    const ImageCase c = GetParam();
    const uint32_t rows = 11;
    std::string path = TestFilePath("dicom_" + std::to_string(c.bits) + "_" + std::to_string(c.width) + ".dcm");
    ASSERT_EQ(0, WriteTestImage(path, OUTPUT_DICOM, c.width, rows, c.bits));
    std::string dump = CheckedDump(path);
    uint32_t allocated = c.bits > 8 ? 16 : 8, pad = (c.width * allocated / 8) % 2;
    ExpectElement(dump, "(0010,0010) PN [SMITH]");
    ExpectElement(dump, "(0028,0010) US " + std::to_string(rows) + " ");
    ExpectElement(dump, "(0028,0011) US " + std::to_string(c.width + pad) + " ");
    ExpectElement(dump, "(0028,0100) US " + std::to_string(allocated) + " ");
    ExpectElement(dump, "(0028,0101) US " + std::to_string(c.bits) + " ");
    ExpectElement(dump, "(0028,0102) US " + std::to_string(c.bits - 1) + " ");
    ExpectElement(dump, "# " + std::to_string(rows * (c.width + pad) * allocated / 8) + ", 1 PixelData");
    EXPECT_EQ("match\n", RunImageCheck("dicom", path, c.width, rows, c.bits));
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Depths, DicomFiles,
                         ::testing::Values(ImageCase{8, 1001}, ImageCase{8, 64}, ImageCase{12, 33},
                                           ImageCase{16, 34}),
                         CaseName);

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
    std::string dump = CheckedDump(path);
    ExpectElement(dump, "(0028,0010) US 1500 ");
    ExpectElement(dump, "# 6000, 1 PixelData");
    remove(path.c_str());
}
#endif

}  // namespace
