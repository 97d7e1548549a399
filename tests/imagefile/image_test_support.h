// Shared helpers of the image file tests: a deterministic test image,
// file reading, and (natively) the independent readers.
#ifndef FILMCORE_IMAGE_TEST_SUPPORT_H
#define FILMCORE_IMAGE_TEST_SUPPORT_H

#include <stdint.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagefile/output_writer.h"
#include "test_files.h"

// Delivered row y as the scan pipeline hands it to a writer: 1-bit packed
// most significant bit first, 8-bit bytes, 12/16-bit little-endian u16.
std::vector<uint8_t> TestRow(uint32_t width, uint32_t y, uint32_t bits);

// Writes a whole image through the six writer operations: the first non-zero result, or 0.
uint16_t WriteTestImage(const std::string& path, uint32_t format, uint32_t width, uint32_t rows, uint32_t bits,
                        uint32_t dpi = 300);

// A writer case: its depth and width; "bits8_width101" names the case and its file.
struct ImageCase {
    uint32_t bits, width;
};
inline std::string CaseName(const ::testing::TestParamInfo<ImageCase>& info)
{
    return "bits" + std::to_string(info.param.bits) + "_width" + std::to_string(info.param.width);
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset);

// A path for a test's output in the process's temporary folder.
std::string TestFilePath(const std::string& name);

// Runs a shell command and returns its standard output (native tree only).
std::string RunCommand(const std::string& command, int* exitCode = nullptr);

// Reads `file` with Pillow or pydicom and compares its pixels, in display
// order, with the test image; "match\n" when they agree.
std::string RunImageCheck(const std::string& kind, const std::string& file, uint32_t width,
                          uint32_t rows, uint32_t bits);

#endif
