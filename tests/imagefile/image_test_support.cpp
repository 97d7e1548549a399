#include "image_test_support.h"

#include <stdio.h>

#include <fstream>
#include <iterator>

uint16_t TestSample(uint32_t x, uint32_t y, uint32_t bits)
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
    if (bits == 1) {
        row.assign((width + 7) / 8, 0);
        for (uint32_t x = 0; x < width; ++x) {
            if (TestSample(x, y, 1))
                row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
        }
    } else if (bits == 8) {
        for (uint32_t x = 0; x < width; ++x)
            row.push_back((uint8_t)TestSample(x, y, 8));
    } else {
        for (uint32_t x = 0; x < width; ++x) {
            uint16_t s = TestSample(x, y, bits);
            row.push_back((uint8_t)(s & 0xFF));
            row.push_back((uint8_t)(s >> 8));
        }
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
    for (uint32_t y = 0; result == 0 && y < rows; ++y) {
        std::vector<uint8_t> row = TestRow(width, y, bits);
        result = WriteOutputRow(&writer, row.data());
    }
    if (result == 0)
        result = FinishOutputImage(&writer);
    uint16_t released = ReleaseOutputWriter(&writer);
    return result ? result : released;
}

void WriteExpectedSamples(const std::string& path, uint32_t width, uint32_t rows, uint32_t bits,
                          bool topFirst, uint32_t scale)
{
    std::vector<uint8_t> bytes;
    for (uint32_t line = 0; line < rows; ++line) {
        uint32_t y = topFirst ? line : rows - 1 - line;
        for (uint32_t x = 0; x < width; ++x) {
            uint16_t s = (uint16_t)(TestSample(x, y, bits) * scale);
            bytes.push_back((uint8_t)(s & 0xFF));
            bytes.push_back((uint8_t)(s >> 8));
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

uint16_t U16At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return (uint16_t)(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return (uint32_t)U16At(bytes, offset) | ((uint32_t)U16At(bytes, offset + 2) << 16);
}

std::string TestFilePath(const std::string& name)
{
    return "imagefile_" + name;
}

std::string RunCommand(const std::string& command, int* exitCode)
{
    std::string output;
#ifndef _WIN32
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    int status = pclose(pipe);
    if (exitCode)
        *exitCode = status;
#else
    (void)command;
    if (exitCode)
        *exitCode = -1;
#endif
    return output;
}

std::string RunImageCheck(const std::string& kind, const std::string& file,
                          const std::string& expected, uint32_t width, uint32_t rows,
                          uint32_t bits)
{
    std::string command = std::string("/usr/bin/python3 ") + IMAGEFILE_READER_SCRIPT + " " + kind +
                          " " + file + " " + expected + " " + std::to_string(width) + " " +
                          std::to_string(rows) + " " + std::to_string(bits);
    return RunCommand(command);
}
