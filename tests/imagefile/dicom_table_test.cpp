#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "imagefile/dicom_table.h"
#include "imagefile/dicom_uids.h"

#include <time.h>

namespace {

const uint32_t kPatientName = DCM_TAG(0x0010, 0x0010);
const uint32_t kSeriesNumber = DCM_TAG(0x0020, 0x0011);
const std::string kNul(1, '\0');

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

TEST_F(DicomTable, ValuesArePaddedToEvenLengthsAndRefusalsKeepTheOldValue)
{
    const struct { uint32_t tag; std::string value; uint32_t taken; std::string stored; } cases[] = {
        {kPatientName, "DOE^JOHN", 1, "DOE^JOHN"},
        {kPatientName, "SMITH", 1, "SMITH "},
        {DCM_STUDY_INSTANCE_UID, "1.2.840.999999.20041104153012.1", 1, "1.2.840.999999.20041104153012.1" + kNul},
        {kSeriesNumber, "", 1, ""},  // present with an empty value
        {kSeriesNumber, "7", 1, "7 "},
        {kSeriesNumber, std::string(40, '9'), 0, "7 "},  // capacity 32
        {DCM_SOP_INSTANCE_UID, std::string(64, '2'), 1, std::string(64, '2')},
        {DCM_SOP_INSTANCE_UID, std::string(65, '1'), 0, std::string(64, '2')},
        {DCM_PIXEL_DATA, "ab", 0, "<absent>"},
        {DCM_TAG(0x0010, 0x1010), "42", 0, "<absent>"},  // not in the table
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.taken, Set(c.tag, c.value)) << std::hex << c.tag << " " << c.value;
        EXPECT_EQ(c.stored, Get(c.tag)) << std::hex << c.tag;
    }
    EXPECT_EQ(0u, DcmSetElemValue(kSeriesNumber, "12", -1));
}

// A length query copies nothing; a buffer one byte short is refused; an
// exact fit gets no terminator.
TEST_F(DicomTable, GetReportsLengthsAndRefusesSmallBuffers)
{
    ASSERT_EQ(1u, Set(kPatientName, "SMITH"));
    const struct { uint32_t size; uint32_t found; const char* bytes; size_t n; } cases[] = {
        {0, 1, "", 1}, {5, 0, "", 1}, {6, 1, "SMITH x", 7}, {16, 1, "SMITH ", 7}};
    for (const auto& c : cases) {
        char buffer[16];
        memset(buffer, 'x', sizeof buffer);
        uint32_t size = c.size;
        EXPECT_EQ(c.found, DcmGetElemValue(kPatientName, buffer, &size)) << c.size;
        EXPECT_EQ(0, memcmp(buffer, c.bytes, c.n)) << c.size;
        if (c.found) { EXPECT_EQ(6u, size) << "the stored length, pad included"; }
    }
}

// The study UID is the local time of the second it was made, two digits a
// field; series and instance UIDs extend it.
TEST_F(DicomTable, NewStudyStoresStudySeriesAndInstanceUidsOfThisSecond)
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
        char uid[65];
        strftime(uid, sizeof uid, "1.2.840.999999.%Y%m%d%H%M%S.1", localtime(&t));
        fromThisSecond = fromThisSecond || study == uid;
    }
    EXPECT_TRUE(fromThisSecond) << study;
    EXPECT_EQ(study + ".1" + kNul, Get(DCM_SERIES_INSTANCE_UID));
    EXPECT_EQ(study + ".1.1" + kNul, Get(DCM_SOP_INSTANCE_UID));
}

TEST_F(DicomTable, NextImageCountsUpTheLastNumberOrChangesNothing)
{
    EXPECT_EQ(1u, DcmGenInstUIDs(0));
    EXPECT_EQ("<absent>", Get(DCM_SOP_INSTANCE_UID));
    const std::string base = "1.2.840.999999.20041104153012.1.1.";
    const std::string full = std::string(59, '1') + ".9999";
    const struct { std::string from, to; } cases[] = {
        {base + "1", base + "2" + kNul},
        {base + "9", base + "10"},  // 36 characters: no pad
        {base + "65535", base + "0" + kNul},
        {"12345", "12345" + kNul},  // no dot: nothing to count
        {full, full},               // the successor would not fit
    };
    for (const auto& c : cases) {
        ASSERT_EQ(1u, Set(DCM_SOP_INSTANCE_UID, c.from));
        EXPECT_EQ(1u, DcmGenInstUIDs(0));
        EXPECT_EQ(c.to, Get(DCM_SOP_INSTANCE_UID)) << c.from;
    }
}

}  // namespace
