// The host's own portable parts: the script parser's refusals (the scripted
// runs show what it accepts), and the PNG and PGM writers, whose files are
// read back by Pillow.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "../../host/host_image_file.h"
#include "../../host/host_png.h"
#include "../../host/host_script.h"
#include "test_files.h"

namespace {

std::string Check(const std::string& args)
{
    std::string out;
    if (FILE* pipe = popen(("/usr/bin/python3 " HOST_CHECK_SCRIPT " " + args + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

TEST(HostScript, RefusesBadStepsWithTheirLine)
{
    const struct { const char* text; const char* error; } cases[] = {
        {"click 1003\nclik 1003", "line 2: unknown step \"clik\""},
        {"click", "line 1: click needs one control id"},
        {"click 10.5", "line 1: click needs one control id"},
        {"pick 1004 150 dpi", "line 1: pick needs a control id and one text (quote a text with blanks)"},
        {"type 1005 \"14.0", "line 1: a quoted text is not closed"},
        {"drag 1 2 3", "line 1: drag needs four numbers: X1 Y1 X2 Y2 in inches of film"},
        {"drag 1 2 3 -4", "line 1: drag: \"-4\" is not a film position in inches (0 to 60)"},
        {"answer maybe", "line 1: answer: unknown button \"maybe\" (ok, cancel, yes, no, retry, abort, ignore)"},
        {"wait-status Ready 0", "line 1: wait-status needs a text (quote a text with blanks) and may take a "
                                "time-out in seconds"},
        {"wait-enabled Scan", "line 1: wait-enabled needs a control id and may take a time-out in seconds"},
        {"wait-image soon", "line 1: wait-image may take a time-out in seconds, nothing else"},
        {"screenshot out/a.bmp", "line 1: screenshot needs one file name ending in .png"},
        {"screenshot-at 100 a.png", "line 1: screenshot-at needs a percentage from 1 to 99 and a file name ending "
                                    "in .png"},
        {"exit now", "line 1: exit takes nothing more"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptStep> steps;
        std::string error;
        EXPECT_FALSE(ParseScript(c.text, &steps, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    for (const char* bad : {"window a b", "log-text", "scroll 6006 up", "scroll 6006 left 0", "wait-text 2",
                            "watch-text 8001", "mark"}) {
        std::vector<ScriptStep> steps;
        std::string error;
        EXPECT_FALSE(ParseScript(bad, &steps, &error)) << bad;
    }
}

TEST(HostPng, ManyStoredBlocksReadBackByPillow)
{
    // 300 x 250 RGB is over 225000 bytes of rows: four stored blocks, with
    // block edges inside rows.
    const uint32_t w = 300, h = 250;
    const size_t stride = w * 3 + 5;
    std::vector<uint8_t> rgb(stride * h, 0xEE);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &rgb[y * stride + x * 3];
            p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = static_cast<uint8_t>(x ^ y);
        }
    const std::string path = TestTempPath("shot.png");
    ASSERT_EQ(WritePng(path.c_str(), w, h, rgb.data(), stride), 0);
    EXPECT_EQ(Check("png " + path + " 300 250"), "match\n");
    EXPECT_EQ(WritePng(path.c_str(), 0, h, rgb.data(), stride), 1);
    EXPECT_EQ(WritePng(TestTempPath("no/such/folder.png").c_str(), w, h, rgb.data(), stride), 2);
}

TEST(HostImageFile, PgmSizesFromAllBlocksAndBigEndianSamples)
{
    const std::string path16 = TestTempPath("t16.pgm"), path12 = TestTempPath("t12.pgm");
    for (const auto& [path, depth] : {std::pair{path16, 16u}, std::pair{path12, 12u}}) {
        HostImageFile f;
        ASSERT_TRUE(OpenHostImageFile(&f, path.c_str(), depth, false, false));
        // 5 pixels a line, samples x * 1000 + y, low byte first, in two blocks.
        std::vector<uint8_t> lines;
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 5; ++x) {
                const uint16_t v = static_cast<uint16_t>((x * 1000 + y) & (depth == 12 ? 0xFFF : 0xFFFF));
                lines.push_back(static_cast<uint8_t>(v)), lines.push_back(static_cast<uint8_t>(v >> 8));
            }
        ASSERT_TRUE(WriteHostImageLines(&f, lines.data(), 10, 3));
        EXPECT_FALSE(WriteHostImageLines(&f, lines.data() + 30, 12, 2)) << "line size changed";
        EXPECT_FALSE(WriteHostImageLines(&f, lines.data() + 30, 0, 0));
        ASSERT_TRUE(WriteHostImageLines(&f, lines.data() + 30, 10, 4));
        EXPECT_EQ(HostImageWidth(&f), 5u);
        ASSERT_TRUE(CloseHostImageFile(&f));
    }
    EXPECT_EQ(Check("pgm " + path16 + " 5 7 65535"), "match\n");
    EXPECT_EQ(Check("pgm " + path12 + " 5 7 4095"), "match\n");
    HostImageFile f;
    EXPECT_FALSE(OpenHostImageFile(&f, path16.c_str(), 10, false, false));
}

}  // namespace
