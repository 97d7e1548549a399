#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "imagefile/dicom_table.h"
#include "imagefile/dicom_uids.h"

namespace {

const uint32_t kPatientName = DCM_TAG(0x0010, 0x0010);
const uint32_t kSeriesNumber = DCM_TAG(0x0020, 0x0011);

class DicomTable : public ::testing::Test {
protected:
    void SetUp() override { DcmClearElementTable(); }

    static uint32_t Set(uint32_t tag, const std::string& text)
    {
        return DcmSetElemValue(tag, text.data(), (int32_t)text.size());
    }

    // The stored bytes, pad included.
    static std::string Get(uint32_t tag)
    {
        char buffer[80];
        uint32_t size = sizeof buffer;
        if (!DcmGetElemValue(tag, buffer, &size))
            return "<absent>";
        return std::string(buffer, size);
    }
};

TEST_F(DicomTable, OddValuesArePaddedBySpaceOrByNulForUids)
{
    EXPECT_EQ(1u, Set(kPatientName, "DOE^JOHN"));
    EXPECT_EQ("DOE^JOHN", Get(kPatientName));
    EXPECT_EQ(1u, Set(kPatientName, "SMITH"));
    EXPECT_EQ(std::string("SMITH "), Get(kPatientName));
    std::string uid31 = "1.2.840.999999.20041104153012.1";
    ASSERT_EQ(31u, uid31.size());
    EXPECT_EQ(1u, Set(DCM_STUDY_INSTANCE_UID, uid31));
    EXPECT_EQ(uid31 + std::string(1, '\0'), Get(DCM_STUDY_INSTANCE_UID));
    EXPECT_EQ(1u, Set(kSeriesNumber, ""));
    EXPECT_EQ("", Get(kSeriesNumber));  // present with an empty value
}

TEST_F(DicomTable, RefusedValuesLeaveTheElementAsItWas)
{
    ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, "1.2.3"));
    EXPECT_EQ(0u, Set(DCM_SOP_INSTANCE_UID, std::string(65, '1')));
    EXPECT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, std::string(64, '2')));
    EXPECT_EQ(std::string(64, '2'), Get(DCM_SOP_INSTANCE_UID));
    ASSERT_EQ(1u, Set(kSeriesNumber, "7"));
    EXPECT_EQ(0u, Set(kSeriesNumber, std::string(40, '9')));  // capacity 32
    EXPECT_EQ("7 ", Get(kSeriesNumber));
    EXPECT_EQ(0u, DcmSetElemValue(kSeriesNumber, "12", -1));
    EXPECT_EQ(0u, Set(DCM_PIXEL_DATA, "ab"));
    EXPECT_EQ(0u, Set(DCM_TAG(0x0010, 0x1010), "42"));  // not in the table
    EXPECT_EQ("<absent>", Get(DCM_PIXEL_DATA));
}

TEST_F(DicomTable, GetReportsLengthsAndRefusesSmallBuffers)
{
    char buffer[16];
    uint32_t size = sizeof buffer;
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0u, DcmGetElemValue(kPatientName, buffer, &size));  // never set
    EXPECT_EQ(0, buffer[0]);

    ASSERT_EQ(1u, Set(kPatientName, "SMITH"));
    memset(buffer, 'x', sizeof buffer);
    size = 0;
    EXPECT_EQ(1u, DcmGetElemValue(kPatientName, buffer, &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(0, buffer[0]);  // a length query copies nothing

    memset(buffer, 'x', sizeof buffer);
    size = 5;
    EXPECT_EQ(0u, DcmGetElemValue(kPatientName, buffer, &size));
    EXPECT_EQ(0, buffer[0]);

    memset(buffer, 'x', sizeof buffer);
    size = 6;
    EXPECT_EQ(1u, DcmGetElemValue(kPatientName, buffer, &size));
    EXPECT_EQ(0, memcmp(buffer, "SMITH x", 7));  // exact fit: no terminator added

    size = sizeof buffer;
    EXPECT_EQ(1u, DcmGetElemValue(kPatientName, buffer, &size));
    EXPECT_STREQ("SMITH ", buffer);
    EXPECT_EQ(6u, size);
}

TEST_F(DicomTable, StudyUidHasTwoDigitFieldsWithLeadingZeros)
{
    struct tm when = {};
    when.tm_year = 2004 - 1900;
    when.tm_mon = 10;
    when.tm_mday = 4;
    when.tm_hour = 15;
    when.tm_min = 30;
    when.tm_sec = 12;
    char uid[65];
    DcmFormatStudyUID(&when, uid, sizeof uid);
    EXPECT_STREQ("1.2.840.999999.20041104153012.1", uid);
    when.tm_mon = 0;
    when.tm_mday = 5;
    when.tm_hour = 9;
    when.tm_min = 7;
    when.tm_sec = 2;
    DcmFormatStudyUID(&when, uid, sizeof uid);
    EXPECT_STREQ("1.2.840.999999.20040105090702.1", uid);
}

TEST_F(DicomTable, NewStudyStoresStudySeriesAndInstanceUids)
{
    time_t before = time(nullptr);
    EXPECT_EQ(1u, DcmGenInstUIDs(1));
    time_t after = time(nullptr);
    std::string study = Get(DCM_STUDY_INSTANCE_UID);
    ASSERT_EQ(32u, study.size());
    ASSERT_EQ('\0', study[31]);
    study.resize(31);
    bool fromThisSecond = false;
    for (time_t t = before; t <= after; ++t) {
        struct tm local = *localtime(&t);
        char uid[65];
        DcmFormatStudyUID(&local, uid, sizeof uid);
        fromThisSecond = fromThisSecond || study == uid;
    }
    EXPECT_TRUE(fromThisSecond) << study;
    EXPECT_EQ(std::string::npos, study.find(' '));
    const std::string nul(1, '\0');
    EXPECT_EQ(study + ".1" + nul, Get(DCM_SERIES_INSTANCE_UID));
    EXPECT_EQ(study + ".1.1" + nul, Get(DCM_SOP_INSTANCE_UID));
}

TEST_F(DicomTable, NextImageCountsUpTheLastNumber)
{
    const std::string base = "1.2.840.999999.20041104153012.1.1.";
    const std::string nul(1, '\0');
    ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, base + "1"));
    DcmGenInstUIDs(0);
    EXPECT_EQ(base + "2" + nul, Get(DCM_SOP_INSTANCE_UID));
    ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, base + "9"));
    DcmGenInstUIDs(0);
    EXPECT_EQ(base + "10", Get(DCM_SOP_INSTANCE_UID));  // 36 characters: no pad
    ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, base + "65535"));
    DcmGenInstUIDs(0);
    EXPECT_EQ(base + "0" + nul, Get(DCM_SOP_INSTANCE_UID));
}

TEST_F(DicomTable, NextImageWithoutAUsableUidChangesNothing)
{
    EXPECT_EQ(1u, DcmGenInstUIDs(0));
    EXPECT_EQ("<absent>", Get(DCM_SOP_INSTANCE_UID));
    ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, "12345"));
    EXPECT_EQ(1u, DcmGenInstUIDs(0));
    EXPECT_EQ(std::string("12345") + '\0', Get(DCM_SOP_INSTANCE_UID));
    // A successor too long for the element is refused; the old UID stays.
    std::string full = std::string(59, '1') + ".9999";
    ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, full));
    EXPECT_EQ(1u, DcmGenInstUIDs(0));
    EXPECT_EQ(full, Get(DCM_SOP_INSTANCE_UID));
}

}  // namespace
