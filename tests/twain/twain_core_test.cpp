// The source's states and capability negotiation, over a digitizer with
// the usual lists, containers built byte by byte as an application sends them.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "arg_checks.h"
#include "cap_table.h"
#include "ds_states.h"
#include "fix32.h"
#include "settings_path.h"

namespace {

DigitizerAbilities Digitizer(bool bilevel = true)
{
    DigitizerAbilities d = {{75, 100, 150, 200, 300}, 5, {1, 8, 12}, 3, 14.0, 17.0, true, true, true};
    if (!bilevel)
        d.depths[0] = 16;
    return d;
}

std::vector<uint8_t> OneValue(uint16_t type, uint32_t item)
{
    return {uint8_t(type), uint8_t(type >> 8), uint8_t(item), uint8_t(item >> 8), uint8_t(item >> 16),
            uint8_t(item >> 24)};
}

uint32_t Word(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

struct Negotiation : ::testing::Test {
    CapTable table;
    CapContainer out;
    void SetUp() override { BuildCapTable(&table, Digitizer()); }
    CapReply Set(uint16_t cap, uint16_t type, uint32_t item)
    {
        const std::vector<uint8_t> in = OneValue(type, item);
        return NegotiateCap(&table, MSG_SET, cap, TWON_ONEVALUE, in.data(), in.size(), &out);
    }
    CapReply Get(uint16_t msg, uint16_t cap) { return NegotiateCap(&table, msg, cap, 0, nullptr, 0, &out); }
};

}  // namespace

TEST(Fix32, RoundTripsAndRoundsToTheNearestStep)
{
    for (double v : {0.0, 1.5, 14.0, -2.25, 300.0, 0.1}) {
        EXPECT_NEAR(v, Fix32ToFloat(FloatToFix32(v)), 1.0 / 65536) << v;
        EXPECT_NEAR(v, Fix32ToFloat(Fix32FromBits(Fix32Bits(FloatToFix32(v)))), 1.0 / 65536) << v;
    }
    const TW_FIX32 half = FloatToFix32(-0.5);
    EXPECT_EQ(-1, half.Whole);
    EXPECT_EQ(0x8000, half.Frac);
    EXPECT_EQ(32767, FloatToFix32(1e9).Whole) << "clamped, not wrapped";
}

TEST(Frame, BroughtOntoTheBedInEachUnit)
{
    FrameInches f;
    TW_FRAME cm = {FloatToFix32(2.54), FloatToFix32(0), FloatToFix32(12.7), FloatToFix32(25.4)};
    EXPECT_EQ(TWRC_SUCCESS, FrameOntoBed(cm, TWUN_CENTIMETERS, 150, 14, 17, &f));
    EXPECT_NEAR(1.0, f.left, 1e-4);
    EXPECT_NEAR(10.0, f.bottom, 1e-4);
    TW_FRAME pixels = {FloatToFix32(150), FloatToFix32(0), FloatToFix32(3000), FloatToFix32(300)};
    EXPECT_EQ(TWRC_CHECKSTATUS, FrameOntoBed(pixels, TWUN_PIXELS, 150, 14, 17, &f)) << "20 inches on a 14 bed";
    EXPECT_DOUBLE_EQ(14.0, f.right);
    EXPECT_NEAR(150, Fix32ToFloat(FrameInUnits(f, TWUN_PIXELS, 150).Left), 1e-3);
    const TW_FRAME empty = {FloatToFix32(5), FloatToFix32(1), FloatToFix32(5), FloatToFix32(2)};
    const TW_FRAME offBed = {FloatToFix32(15), FloatToFix32(0), FloatToFix32(16), FloatToFix32(2)};
    EXPECT_EQ(TWRC_FAILURE, FrameOntoBed(empty, TWUN_INCHES, 150, 14, 17, &f));
    EXPECT_EQ(TWRC_FAILURE, FrameOntoBed(offBed, TWUN_INCHES, 150, 14, 17, &f));
    EXPECT_EQ(TWRC_FAILURE, FrameOntoBed(cm, TWUN_TWIPS, 150, 14, 17, &f)) << "a unit not offered";
}

TEST(States, EachTripletOnlyInItsStates)
{
    const struct { uint32_t dg; uint16_t dat, msg; int lowest, highest; } cases[] = {
        // Open again while open: past the state check, to be told TWCC_MAXCONNECTIONS.
        {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3, 7},     {DG_CONTROL, DAT_CAPABILITY, MSG_SET, 4, 4},
        {DG_CONTROL, DAT_XFERGROUP, MSG_GET, 4, 7},
        {DG_CONTROL, DAT_CAPABILITY, MSG_GET, 4, 7},      {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 4, 4},
        {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, 5, 5}, {DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, 6, 7},
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, 6, 6},   {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, 6, 7},
        {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, 4, 4},       {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, 6, 7},
    };
    for (const auto& c : cases)
        for (int state = DS_CLOSED; state <= DS_TRANSFERRING; ++state)
            EXPECT_EQ(state >= c.lowest && state <= c.highest, TripletAllowed(state, c.dg, c.dat, c.msg))
                << std::hex << c.dat << "/" << c.msg << " in state " << std::dec << state;
    EXPECT_FALSE(TripletKnown(DG_IMAGE, DAT_CAPABILITY, MSG_GET)) << "right triplet, wrong group";
    EXPECT_FALSE(TripletKnown(DG_CONTROL, DAT_IMAGEINFO, MSG_SET));
}

TEST_F(Negotiation, ResolutionSnapsToTheNearestAndMovesBothAxes)
{
    EXPECT_EQ(TWRC_SUCCESS, Set(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(FloatToFix32(200))).rc);
    const CapReply r = Set(ICAP_YRESOLUTION, TWTY_FIX32, Fix32Bits(FloatToFix32(260)));
    EXPECT_EQ(TWRC_CHECKSTATUS, r.rc);
    EXPECT_EQ(300, CapCurrent(&table, ICAP_XRESOLUTION));
    ASSERT_EQ(TWRC_SUCCESS, Get(MSG_GETCURRENT, ICAP_XRESOLUTION).rc);
    EXPECT_EQ(300.0, Fix32ToFloat(Fix32FromBits(Word(out.bytes, 2))));
    EXPECT_EQ(TWRC_SUCCESS, Get(MSG_RESET, ICAP_YRESOLUTION).rc);
    EXPECT_EQ(150, CapCurrent(&table, ICAP_XRESOLUTION));
}

TEST_F(Negotiation, RefusesWhatTheDigitizerCannotDoAndBadContainers)
{
    const struct { const char* what; uint16_t cap, type; uint32_t item; uint16_t cc; } refused[] = {
        {"a depth it lacks", ICAP_BITDEPTH, TWTY_UINT16, 16, TWCC_BADVALUE},
        {"1 bit while grey", ICAP_BITDEPTH, TWTY_UINT16, 1, TWCC_BADVALUE},
        {"colour", ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB, TWCC_BADVALUE},
        {"no transfer count", CAP_XFERCOUNT, TWTY_INT16, 0, TWCC_BADVALUE},
        {"twips", ICAP_UNITS, TWTY_UINT16, TWUN_TWIPS, TWCC_BADVALUE},
    };
    for (const auto& c : refused) {
        const CapReply r = Set(c.cap, c.type, c.item);
        EXPECT_EQ(TWRC_FAILURE, r.rc) << c.what;
        EXPECT_EQ(c.cc, r.cc) << c.what;
    }
    EXPECT_EQ(8, CapCurrent(&table, ICAP_BITDEPTH)) << "nothing refused was stored";
    const std::vector<uint8_t> in = OneValue(TWTY_UINT16, 12);
    EXPECT_EQ(TWCC_BADVALUE, NegotiateCap(&table, MSG_SET, ICAP_BITDEPTH, TWON_ONEVALUE, in.data(), 5, &out).cc);
    EXPECT_EQ(TWCC_BADVALUE, NegotiateCap(&table, MSG_SET, ICAP_BITDEPTH, TWON_RANGE, in.data(), 6, &out).cc);
    EXPECT_EQ(TWCC_BADVALUE, NegotiateCap(&table, MSG_SET, ICAP_BITDEPTH, TWON_ONEVALUE, nullptr, 6, &out).cc);
}

TEST_F(Negotiation, BlackAndWhiteResetsToItsOneDepthAndWidthFollowsTheUnits)
{
    EXPECT_EQ(TWRC_SUCCESS, Set(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW).rc);
    ASSERT_EQ(TWRC_SUCCESS, Get(MSG_RESET, ICAP_BITDEPTH).rc);
    EXPECT_EQ(1, CapCurrent(&table, ICAP_BITDEPTH)) << "the default depth of black and white";
    ASSERT_EQ(TWRC_SUCCESS, Set(ICAP_UNITS, TWTY_UINT16, TWUN_CENTIMETERS).rc);
    ASSERT_EQ(TWRC_SUCCESS, Get(MSG_GETCURRENT, ICAP_PHYSICALWIDTH).rc);
    EXPECT_NEAR(35.56, Fix32ToFloat(Fix32FromBits(Word(out.bytes, 2))), 1e-3) << "14 inches in centimetres";
}

TEST_F(Negotiation, FramesAreTheScanRegionInTheNegotiatedUnits)
{
    ASSERT_EQ(TWRC_SUCCESS, Set(ICAP_UNITS, TWTY_UINT16, TWUN_PIXELS).rc);
    // 150 to 1500 by 0 to 3000 pixels at 150 dpi: 1 to 10 by 0 to 20 inches, clipped to the 17-inch bed.
    std::vector<uint8_t> in = {TWTY_FRAME, 0};
    for (double edge : {150.0, 0.0, 1500.0, 3000.0})
        for (int shift = 0; shift < 32; shift += 8)
            in.push_back(uint8_t(Fix32Bits(FloatToFix32(edge)) >> shift));
    EXPECT_EQ(TWRC_CHECKSTATUS, NegotiateCap(&table, MSG_SET, ICAP_FRAMES, TWON_ONEVALUE, in.data(), in.size(), &out).rc);
    EXPECT_NEAR(1.0, table.frame.left, 1e-4);
    EXPECT_NEAR(17.0, table.frame.bottom, 1e-4);
    ASSERT_EQ(TWRC_SUCCESS, Get(MSG_GETCURRENT, ICAP_FRAMES).rc);
    ASSERT_EQ(TWON_ONEVALUE, out.conType);
    ASSERT_EQ(18u, out.bytes.size());
    EXPECT_NEAR(2550.0, Fix32ToFloat(Fix32FromBits(Word(out.bytes, 14))), 1e-2) << "the bottom, in pixels";
    EXPECT_EQ(TWCC_BADVALUE,
              NegotiateCap(&table, MSG_SET, ICAP_FRAMES, TWON_ONEVALUE, in.data(), in.size() - 1, &out).cc);
    ASSERT_EQ(TWRC_SUCCESS, Get(MSG_RESET, ICAP_FRAMES).rc);
    EXPECT_NEAR(14.0, table.frame.right, 1e-4);
}

TEST(NegotiationLists, FollowTheDigitizer)
{
    CapTable table;
    BuildCapTable(&table, Digitizer(false));
    CapContainer out;
    ASSERT_EQ(TWRC_SUCCESS, NegotiateCap(&table, MSG_GET, ICAP_PIXELTYPE, 0, nullptr, 0, &out).rc);
    EXPECT_EQ(1u, Word(out.bytes, 2)) << "grey only without bilevel scanning";
    DigitizerAbilities noFeeder = Digitizer();
    noFeeder.feederFitted = false;
    BuildCapTable(&table, noFeeder);
    const std::vector<uint8_t> on = OneValue(TWTY_BOOL, 1);
    EXPECT_EQ(TWCC_BADVALUE,
              NegotiateCap(&table, MSG_SET, CAP_FEEDERENABLED, TWON_ONEVALUE, on.data(), on.size(), &out).cc);
}

TEST(ArgumentChecks, RefuseBuffersAndNamesJustPastTheirLimits)
{
    char buffer[4];
    const struct { const char* what; uint32_t flags, length, line; size_t handleSize; uint16_t cc; } buffers[] = {
        {"exactly one line", TWMF_APPOWNS | TWMF_POINTER, 1000, 1000, 0, TWCC_SUCCESS},
        {"a handle as large as its length", TWMF_APPOWNS | TWMF_HANDLE, 2000, 1000, 2000, TWCC_SUCCESS},
        {"a handle smaller than its length", TWMF_APPOWNS | TWMF_HANDLE, 2000, 1000, 1999, TWCC_BADVALUE},
        {"no image to divide", TWMF_APPOWNS | TWMF_POINTER, 1000, 0, 0, TWCC_OPERATIONERROR},
        {"both pointer and handle", TWMF_APPOWNS | TWMF_POINTER | TWMF_HANDLE, 2000, 1000, 2000, TWCC_BADVALUE},
    };
    for (const auto& b : buffers)
        EXPECT_EQ(b.cc, CheckMemoryBuffer({b.flags, b.length, buffer}, b.line, b.handleSize)) << b.what;
    EXPECT_EQ(TWCC_BADVALUE, CheckMemoryBuffer({TWMF_APPOWNS | TWMF_POINTER, 1000, nullptr}, 1000, 0));

    TW_SETUPFILEXFER setup = {};
    setup.Format = TWFF_TIFF;
    memset(setup.FileName, 'a', sizeof setup.FileName - 1);
    EXPECT_EQ(TWCC_SUCCESS, CheckFileSetup(setup)) << "the longest name that keeps its terminator";
    setup.FileName[0] = 0;
    EXPECT_EQ(TWCC_BADVALUE, CheckFileSetup(setup)) << "empty";

    TW_ENTRYPOINT entry = {};
    entry.Size = sizeof entry;
    EXPECT_EQ(TWCC_SUCCESS, CheckEntryPoint(entry));
    entry.Size = sizeof entry - 1;
    EXPECT_EQ(TWCC_BADVALUE, CheckEntryPoint(entry));
}

// The user's settings path: composed in full, or not at all when it would be cut.
TEST(UserSettings, JoinsTheFolderAndTheFileOrRefusesWhatWouldNotFit)
{
    char folder[64], file[64];
    ASSERT_TRUE(UserSettingsPaths("C:\\users\\ann\\AppData\\Roaming", folder, sizeof folder, file, sizeof file));
    EXPECT_STREQ(folder, "C:\\users\\ann\\AppData\\Roaming\\FilmCore");
    EXPECT_STREQ(file, "C:\\users\\ann\\AppData\\Roaming\\FilmCore\\FilmTwain.ini");

    // 18 + 23 characters and the terminator fill 42 exactly; one fewer is refused whole.
    const char* appData = "C:\\users\\ann\\Data1";
    char exact[42], shortBy1[41];
    EXPECT_TRUE(UserSettingsPaths(appData, folder, sizeof folder, exact, sizeof exact));
    EXPECT_STREQ(exact, "C:\\users\\ann\\Data1\\FilmCore\\FilmTwain.ini");
    memset(shortBy1, 'x', sizeof shortBy1);
    EXPECT_FALSE(UserSettingsPaths(appData, folder, sizeof folder, shortBy1, sizeof shortBy1));
    EXPECT_STREQ(shortBy1, "");
    EXPECT_STREQ(folder, "");

    char smallFolder[10];
    EXPECT_FALSE(UserSettingsPaths(appData, smallFolder, sizeof smallFolder, file, sizeof file));
    EXPECT_STREQ(file, "");
    EXPECT_FALSE(UserSettingsPaths("", folder, sizeof folder, file, sizeof file));
    EXPECT_FALSE(UserSettingsPaths(nullptr, folder, sizeof folder, file, sizeof file));
}
