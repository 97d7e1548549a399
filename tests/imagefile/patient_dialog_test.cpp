// The Patient Information and More DICOM Parameters dialogs: what the
// operator is told, what reaches the fields and the element table (the
// writer's tests carry the table into the file).
#include "dialog_test_support.h"

#include <string.h>

#include "frame/memgroups.h"
#include "frame/text_copy.h"
#include "imagefile/dicom_table.h"
#include "imagefile/grey_palette.h"
#include "imagefile/more_dicom_dialog.h"
#include "imagefile/patient_dialog.h"
#include "res/resource.h"

namespace {

const uint32_t kName = DCM_TAG(0x0010, 0x0010), kId = DCM_TAG(0x0010, 0x0020),
               kBirth = DCM_TAG(0x0010, 0x0030), kSex = DCM_TAG(0x0010, 0x0040),
               kStudyId = DCM_TAG(0x0020, 0x0010), kSeries = DCM_TAG(0x0020, 0x0011),
               kImage = DCM_TAG(0x0020, 0x0013), kModality = DCM_TAG(0x0008, 0x0060),
               kStudyDate = DCM_TAG(0x0008, 0x0020), kStudyUid = DCM_TAG(0x0020, 0x000D),
               kSopUid = DCM_TAG(0x0008, 0x0018);

std::string Element(uint32_t tag)
{
    char value[80];
    uint32_t size = sizeof value;
    return DcmGetElemValue(tag, value, &size) ? std::string(value, size) : "<absent>";
}

void SetElement(uint32_t tag, const std::string& value)
{
    ASSERT_EQ(1u, DcmSetElemValue(tag, value.data(), static_cast<int32_t>(value.size())));
}

class PatientDialog : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        CopyText(s.output.formatName, sizeof s.output.formatName, "DICOM");
    }
    int32_t Run() { return OpenPatDataDlg(nullptr, nullptr, &s.ds); }
};

TEST_F(PatientDialog, DataEntryIsCheckedInOrderThenReachesFieldsTableAndFile)
{
    s.output.transferMode = 2;
    s.settings.patientInfoRequested = 1;
    s.settings.patientDialogMode = 1;
    SetElement(kSeries, "7");
    struct Step { int id; std::string text; const char* complaint; };
    const Step steps[] = {
        {IDC_PATIENT_DOB, "2004-11-04", "Please input a valid Patient DOB (YYYYMMDD)"},
        {IDC_PATIENT_DOB, "200411041", "Please input a valid Patient DOB (YYYYMMDD)"},
        {IDC_PATIENT_DOB, "", "Please input a valid Patient DOB (YYYYMMDD)"},
        {IDC_PATIENT_DOB, "2004.1.4", "Please input patient name."},
        {IDC_PATIENT_NAME, "DOE^JANE", "Please input Patient ID."},
        {IDC_PATIENT_ID, "P1", "Please input Study ID."},
        {IDC_STUDY_ID, "S1", "Please input Series Number."},
        {IDC_SERIES_NUMBER, std::string(40, '9'), "Please input Image Number."},
        {IDC_IMAGE_NUMBER, "3", nullptr},
    };
    OnDialog("Patient Information", 0, [&](HWND d) {
        EXPECT_EQ("O", DialogText(d, IDC_PATIENT_SEX));
        EXPECT_EQ("7 ", DialogText(d, IDC_SERIES_NUMBER));
        EXPECT_EQ("1", DialogText(d, IDC_IMAGE_NUMBER));  // absent from the table: the default stays
        EXPECT_EQ(1, noticeTimerRunning);
        int colour = noticeColourIndex;
        PumpFor(350);
        EXPECT_NE(colour, noticeColourIndex);
        Type(d, IDC_SERIES_NUMBER, "");
        Type(d, IDC_IMAGE_NUMBER, "");
        for (const Step& step : steps) {
            Type(d, step.id, step.text);
            Press(d, IDOK);
            if (!step.complaint)
                break;
            ASSERT_TRUE(IsWindow(d)) << step.text;
            EXPECT_EQ(std::string("MESSAGE|") + step.complaint + "|exclamation", LastBox());
        }
    });
    ASSERT_EQ(1, Run());
    EXPECT_EQ(0, noticeTimerRunning);
    EXPECT_EQ(nullptr, s.host.patientDialog);
    EXPECT_STREQ("2004.1.4", s.output.birthDate);
    EXPECT_EQ(std::string(40, '9'), s.output.seriesNumber);
    EXPECT_EQ("DOE^JANE|P1|2004.1.4|O |S1|7 |3 ", Element(kName) + "|" + Element(kId) + "|" + Element(kBirth) + "|" +
                                                     Element(kSex) + "|" + Element(kStudyId) + "|" +
                                                     Element(kSeries) + "|" + Element(kImage));  // 40 nines do not fit
    ASSERT_EQ(1u, NotificationsOf(&s, 18).size());
    EXPECT_TRUE(&s.ds == NotificationsOf(&s, 18)[0].pointer && 0u == NotificationsOf(&s, 18)[0].size);
}

TEST_F(PatientDialog, ViewOnlyInMemoryTransferStoresTheUnchangedFieldsAndNoFieldOverruns)
{
    s.settings.imageScanned = 1;
    s.settings.patientDialogMode = 2;
    s.output.transferMode = 1;
    memset(s.output.birthDate, 'x', sizeof s.output.birthDate);
    SetElement(kBirth, "1234567890123456");     // fills the field: cannot be shown terminated
    SetElement(kName, std::string(63, 'N'));    // stored with its pad as 64 bytes
    SetElement(kId, "ID7");
    OnDialog("Patient Information", IDOK, [&](HWND d) {
        for (int id = IDC_PATIENT_NAME; id <= IDC_IMAGE_NUMBER; ++id)
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, id))) << id;
        EXPECT_EQ("", DialogText(d, IDC_PATIENT_DOB));
        EXPECT_EQ(std::string(63, 'N'), DialogText(d, IDC_PATIENT_NAME));
        EXPECT_EQ("ID7 ", DialogText(d, IDC_PATIENT_ID));
        Type(d, IDC_PATIENT_ID, "typed");
    });
    ASSERT_EQ(1, Run());
    EXPECT_EQ(0u, s.settings.imageScanned);
    EXPECT_EQ(0, s.output.birthDate[0]);
    EXPECT_EQ(std::string(63, 'N'), s.output.patientName);
    EXPECT_EQ("ID7 ", Element(kId));  // the edits were not read
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
}

TEST_F(PatientDialog, OpensForADicomImageOnlyAndCancelAsksBeforeThrowingItAway)
{
    s.image.multiFilmMode = 1;
    EXPECT_EQ(1, Run());
    s.image.multiFilmMode = 0;
    EXPECT_EQ(0, Run());
    EXPECT_EQ("MESSAGE|Please scan an image.|exclamation", LastBox());
    s.settings.imageScanned = 1;
    CopyText(s.output.formatName, sizeof s.output.formatName, "dicom");
    EXPECT_EQ(1, Run());
    EXPECT_EQ(1u, BoxResponderSeen().size());

    CopyText(s.output.formatName, sizeof s.output.formatName, "DICOM");
    OnDialog("Patient Information", 0, [&](HWND d) {
        BoxResponderAdd({"", IDNO, nullptr});
        Press(d, IDCANCEL);
        ASSERT_TRUE(IsWindow(d));
        EXPECT_EQ("WARNING|Image data is not saved yet.\nDo you want to throw it away anyway?|question", LastBox());
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), BoxResponderMessageBoxes().back().buttons);
        BoxResponderAdd({"", IDYES, nullptr});
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1u, s.settings.imageScanned);
    EXPECT_TRUE(NotificationsOf(&s, 18).empty());
}

TEST_F(PatientDialog, MoreDicomParametersRefillNewUidsAndRefuseTooLongValues)
{
    SetElement(kModality, "CR");
    SetElement(kStudyDate, "19990101");
    OnDialog("More DICOM Parameters", IDOK, [&](HWND d) {
        EXPECT_EQ("CR", DialogText(d, IDC_MODALITY));
        EXPECT_EQ("", DialogText(d, IDC_STUDY_INSTANCE_UID));
        Press(d, IDC_GENERATE_UIDS);
        std::string study = DialogText(d, IDC_STUDY_INSTANCE_UID);
        EXPECT_EQ(0u, study.find("1.2.840.999999."));
        EXPECT_EQ(study + ".1", DialogText(d, IDC_SERIES_INSTANCE_UID));
        EXPECT_EQ(study + ".1.1", DialogText(d, IDC_SOP_INSTANCE_UID));
        Type(d, IDC_SOP_INSTANCE_UID, "1.2.3.4");
        Type(d, IDC_MODALITY, "ABCDEF");
        Type(d, IDC_STUDY_DATE, "20041104");
    });
    EXPECT_EQ(1, OpenMoreDicomDlg(nullptr, nullptr, &s.ds));
    EXPECT_EQ("CR", Element(kModality));
    EXPECT_EQ("20041104", Element(kStudyDate));
    EXPECT_EQ(std::string("1.2.3.4\0", 8), Element(kSopUid));
    EXPECT_EQ(0u, Element(kStudyUid).find("1.2.840.999999."));
    EXPECT_EQ(1u, NotificationsOf(&s, 18).size());

    OnDialog("More DICOM Parameters", IDCANCEL, [&](HWND d) { Type(d, IDC_STUDY_DATE, "20200202"); });
    EXPECT_EQ(0, OpenMoreDicomDlg(nullptr, nullptr, &s.ds));
    EXPECT_EQ("20041104", Element(kStudyDate));
}

TEST(GreyPalette, GreyRampFromATemporaryGroup)
{
    MemInit(4000);
    HPALETTE palette = MakeGreyPalette(256);
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(0u, MemGroupCount());
    PALETTEENTRY entries[256];
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, entries));
    EXPECT_EQ(0xC8C8C8, entries[200].peRed | entries[200].peGreen << 8 | entries[200].peBlue << 16);
    DeleteObject(palette);
    MemDeinit();
}

}  // namespace
