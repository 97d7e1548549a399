#include "image_test_support.h"

#include <stdio.h>


// The same formula stands in check_image.py.
static uint16_t TestSample(uint32_t x, uint32_t y, uint32_t bits)
{
    uint32_t v = x * 37u + y * 101u + x * y * 7u;
    switch (bits) {
    case 1: return (uint16_t)(((x + 2 * y) % 3) == 0);
    case 8: return (uint16_t)(v & 0xFF);
    case 12: return (uint16_t)(v & 0xFFF);
    default: return (uint16_t)((v * 13u) & 0xFFFF);
    }
}

std::vector<uint8_t> TestRow(uint32_t width, uint32_t y, uint32_t bits)
{
    std::vector<uint8_t> row;
    if (bits == 1)
        row.assign((width + 7) / 8, 0);
    for (uint32_t x = 0; x < width; ++x) {
        uint16_t s = TestSample(x, y, bits);
        if (bits == 1)
            row[x / 8] |= (uint8_t)(s << (7 - x % 8));
        else
            row.push_back((uint8_t)s);
        if (bits > 8)
            row.push_back((uint8_t)(s >> 8));
    }
    return row;
}

uint16_t WriteTestImage(const std::string& path, uint32_t format, uint32_t width, uint32_t rows,
                        uint32_t bits, uint32_t dpi)
{
    OutputWriter writer = {};
    uint16_t result = OpenOutputWriter(&writer, path.c_str(), format);
    if (result == 0) {
        SetWriterParam(&writer, ImageWidth, &width, 4);
        SetWriterParam(&writer, BitsPerSample, &bits, 4);
        SetWriterParam(&writer, Resolution, &dpi, 4);
        result = BeginOutputImage(&writer);
    }
    for (uint32_t y = 0; result == 0 && y < rows; ++y)
        result = WriteOutputRow(&writer, TestRow(width, y, bits).data());
    if (result == 0)
        result = FinishOutputImage(&writer);
    uint16_t released = ReleaseOutputWriter(&writer);
    return result ? result : released;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t)(b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | (uint32_t)b.at(at + 3) << 24);
}

std::string TestFilePath(const std::string& name) { return TestTempPath("imagefile_" + name); }

std::string RunCommand(const std::string& command, int* exitCode)
{
    std::string output;
#ifndef _WIN32
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        int status = pclose(pipe);
        if (exitCode)
            *exitCode = status;
    }
#else
    (void)command;
    (void)exitCode;
#endif
    return output;
}

std::string RunImageCheck(const std::string& kind, const std::string& file, uint32_t width,
                          uint32_t rows, uint32_t bits)
{
    return RunCommand(std::string("/usr/bin/python3 ") + IMAGEFILE_READER_SCRIPT + " " + kind + " " +
                      file + " " + std::to_string(width) + " " + std::to_string(rows) + " " +
                      std::to_string(bits));
}
