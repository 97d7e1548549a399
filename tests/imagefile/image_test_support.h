// Shared helpers of the image file tests: deterministic test images, file
// reading, and (natively) running the independent readers on a file.
#ifndef FILMCORE_IMAGE_TEST_SUPPORT_H
#define FILMCORE_IMAGE_TEST_SUPPORT_H

#include <stdint.h>

#include <string>
#include <vector>

#include "imagefile/output_writer.h"

// Sample at column x of delivered row y for a depth of 1, 8, 12 or 16 bits.
uint16_t TestSample(uint32_t x, uint32_t y, uint32_t bits);

// Delivered row y as the scan pipeline hands it to a writer: 1-bit packed
// most significant bit first, 8-bit bytes, 12/16-bit little-endian u16.
std::vector<uint8_t> TestRow(uint32_t width, uint32_t y, uint32_t bits);

// Writes a whole image through the six writer operations; returns the
// first non-zero result, or 0.
uint16_t WriteTestImage(const std::string& path, uint32_t format, uint32_t width, uint32_t rows,
                        uint32_t bits, uint32_t dpi = 300);

// Expected samples (u16 little-endian, row-major) in display order: the
// first delivered row on top when topFirst, else at the bottom.
void WriteExpectedSamples(const std::string& path, uint32_t width, uint32_t rows, uint32_t bits,
                          bool topFirst, uint32_t scale = 1);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
uint16_t U16At(const std::vector<uint8_t>& bytes, size_t offset);
uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset);

// A file name for a test's output in the test's working folder.
std::string TestFilePath(const std::string& name);

// Runs a shell command and returns its standard output (native tree only).
std::string RunCommand(const std::string& command, int* exitCode = nullptr);

// Runs the Python reader check; "match" when the file's pixels equal the
// expected ones.
std::string RunImageCheck(const std::string& kind, const std::string& file,
                          const std::string& expected, uint32_t width, uint32_t rows,
                          uint32_t bits);

#endif
