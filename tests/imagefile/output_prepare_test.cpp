// Output preparation as the scan command runs it: the depth check, the
// format choice and the output file check with the operator's answers.
#include "dialog_test_support.h"


#include "frame/text_copy.h"
#include "imagefile/output_prepare.h"
#include "res/resource.h"

namespace {

class OutputPrepare : public DialogTest {
protected:
    // The patient dialog the next DICOM preparation opens, filled and confirmed.
    void ConfirmPatientData()
    {
        OnDialog("Patient Information", 0, [&](HWND d) {
            for (int id : {IDC_PATIENT_NAME, IDC_PATIENT_ID, IDC_STUDY_ID})
                Type(d, id, "X");
            Type(d, IDC_PATIENT_DOB, "20041104");
            Press(d, IDOK);
        });
    }
};

TEST_F(OutputPrepare, DepthCheckOverModeDiskFormatAndDepth)
{
    // Depths 1 and 8 always pass; 12 and 16 are refused where a bitmap is written.
    struct Row { uint32_t mode, disk; const char* format; bool deepRefused; };
    const Row rows[] = {{1, 0, "Bitmap", false}, {1, 0, "TIFF", false}, {1, 1, "Bitmap", true}, {1, 1, "bitmap", true},
                        {1, 1, "DICOM", false}, {2, 0, "Bitmap", true}, {2, 0, "TIFF", false}, {2, 1, "DICOM", false},
                        {3, 0, "TIFF", true}, {3, 0, "DICOM", true}, {3, 1, "TIFF", false}, {3, 1, "Bitmap", true}};
    for (const Row& row : rows)
        for (uint32_t depth : {1u, 8u, 12u, 16u}) {
            s.output.transferMode = row.mode;
            s.image.saveToDisk = row.disk;
            CopyText(s.output.formatName, sizeof s.output.formatName, row.format);
            s.settings.bitDepth = depth;
            EXPECT_EQ(depth > 8 && row.deepRefused ? -1 : 0, CheckFormatDepth(nullptr, &s.ds))
                << "mode " << row.mode << " disk " << row.disk << " " << row.format << " " << depth;
        }
    EXPECT_TRUE(BoxResponderSeen().empty());
}

TEST_F(OutputPrepare, FormatChoiceAndOutputFileCheckMessages)
{
    s.image.saveToDisk = 0;
    s.image.saveToDiskActive = 1;
    CopyText(s.output.formatName, sizeof s.output.formatName, "bitmap");
    EXPECT_EQ(1, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ(0u, s.image.saveToDiskActive);
    EXPECT_EQ(1u, s.output.outputFormat);

    CopyText(s.output.formatName, sizeof s.output.formatName, "JPEG");
    EXPECT_EQ(0, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ("Error|Bad file format is specified.|exclamation", LastBox());

    // The host's name, when it gave none, becomes the output name; nothing is asked.
    s.output.hostFileName[0] = '\0';
    CopyText(s.output.outputPath, sizeof s.output.outputPath, InFolder("out.tif").c_str());
    CopyText(s.output.formatName, sizeof s.output.formatName, "Tiff");
    EXPECT_EQ(1, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_STREQ(InFolder("out.tif").c_str(), s.output.hostFileName);
    EXPECT_EQ(2u, s.output.outputFormat);
    EXPECT_FALSE(FileExists(InFolder("out.tif")));  // the trial file is gone

    EXPECT_EQ(1, CheckOutputFile(nullptr, ""));
    EXPECT_EQ("Error|Invalid file name|stop", LastBox());
    std::string missing = InFolder("no such folder\\a.tif");
    EXPECT_EQ(1, CheckOutputFile(nullptr, missing.c_str()));
    EXPECT_EQ("Error|Output file " + missing + " can not be generated.  Make sure path is correct.|stop", LastBox());
}

TEST_F(OutputPrepare, FirstFilmToDiskOpensTheBatchDialogAndLaterFilmsThePatientDialogOnly)
{
    s.image.saveToDisk = 1;
    CopyText(s.output.formatName, sizeof s.output.formatName, "DICOM");
    CopyText(s.output.hostFileName, sizeof s.output.hostFileName, InFolder("host.dcm").c_str());
    OnDialog("File Naming", IDCANCEL);
    EXPECT_EQ(0, PrepareOutputFile(nullptr, &s.ds));
    ASSERT_EQ(1u, BoxResponderSeen().size());
    EXPECT_STREQ("DICOM", s.output.formatName);  // the list does not offer it; it stays

    BoxResponderClear();
    s.settings.currentFilm = 2;
    uint32_t requested = 0, mode = 0;  // while the dialog is open
    OnDialog("Patient Information", IDCANCEL, [&](HWND) {
        requested = s.settings.patientInfoRequested;
        mode = s.settings.patientDialogMode;
    });
    EXPECT_EQ(0, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ(1u, requested);
    EXPECT_EQ(1u, mode);
    EXPECT_EQ(0u, s.settings.patientInfoRequested + s.settings.patientDialogMode);

    ConfirmPatientData();
    EXPECT_EQ(1, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ(3u, s.output.outputFormat);
}

// The host's file is never written by a scan, so its existence is never a
// question; the names a scan writes are asked about once, when the batch
// dialog confirms them.
TEST_F(OutputPrepare, OnlyFilesTheScanWritesAreAskedAboutAndOnlyOnce)
{
    const std::string hostFile = InFolder("temp.dat");
    WriteFileText(hostFile, "the host's file");
    CopyText(s.output.hostFileName, sizeof s.output.hostFileName, hostFile.c_str());
    s.image.saveToDisk = 0;
    CopyText(s.output.formatName, sizeof s.output.formatName, "TIFF");
    EXPECT_EQ(1, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ(2u, s.output.outputFormat);
    CopyText(s.output.formatName, sizeof s.output.formatName, "DICOM");
    ConfirmPatientData();
    EXPECT_EQ(1, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ(3u, s.output.outputFormat);
    EXPECT_TRUE(BoxResponderMessageBoxes().empty()) << LastBox();

    // Save To Disk, first film: the batch dialog asks about its existing name.
    s.image.saveToDisk = 1;
    s.settings.currentFilm = 1;
    s.settings.filmCount = 1;
    CopyText(s.output.formatName, sizeof s.output.formatName, "TIFF");
    CopyText(s.output.savePath, sizeof s.output.savePath, folder.c_str());
    WriteFileText(InFolder("knee.tif"), "earlier image");
    OnDialog("File Naming", 0, [&](HWND d) {
        Type(d, IDC_BATCH_NAME_FIRST, "knee");
        BoxResponderAdd({"", IDOK, nullptr});
        Press(d, IDOK);
    });
    EXPECT_EQ(1, PrepareOutputFile(nullptr, &s.ds));
    EXPECT_EQ(InFolder("knee.tif"), s.output.outputPath);
    ASSERT_EQ(1u, BoxResponderMessageBoxes().size());
    EXPECT_EQ("Warning|" + InFolder("knee.tif") +
                  " is already existing.\nSelect OK to overwrite.\nSelect CANCEL to return.|exclamation",
              LastBox());
    EXPECT_EQ("the host's file", ReadFileText(hostFile));
    EXPECT_EQ("earlier image", ReadFileText(InFolder("knee.tif")));  // until a scan finishes
}

}  // namespace
