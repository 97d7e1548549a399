// The session, scripted digitizer, virtual clock and stand-in main dialog
// that the scan pipeline tests share, and a reader for the bitmaps the
// scans write.
#ifndef FILMCORE_TEST_SCAN_TEST_SUPPORT_H
#define FILMCORE_TEST_SCAN_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scan_dialog_stub.h"
#include "scripted_image.h"
#include "session_fixture.h"

// Memory groups and system blocks held: a scan must give back all it took.
struct MemoryInUse {
    int groups;
    uint32_t blocks;
    bool operator==(const MemoryInUse& o) const { return groups == o.groups && blocks == o.blocks; }
};
MemoryInUse MemoryNow(void);
void PrintTo(const MemoryInUse& m, std::ostream* os);

struct BmpImage {
    bool valid = false;
    int32_t width = 0, height = 0;
    uint16_t bits = 0;
    std::vector<std::vector<uint8_t>> rows;  // unpadded, in file order
};
BmpImage ReadBmp(const std::string& path);
bool FileExists(const std::string& path);
std::vector<uint8_t> FileBytes(const std::string& path);
// The file holds exactly this text (an earlier image left alone).
bool FileHolds(const std::string& path, const std::string& text);
void WriteFileBytes(const std::string& path, const std::string& text);

class ScanTest : public ::testing::Test {
protected:
    TestSession s;
    HWND dialog = nullptr;
    MemoryInUse before{};

    void SetUp() override;
    void TearDown() override;

    // A final scan of `pixels` x `lines` at `depth` to `path` in `format`,
    // the whole frame, portrait; the script delivers exactly those lines.
    void Program(uint32_t pixels, uint32_t lines, uint32_t depth, const std::string& path,
                 uint32_t format = 1);
    int32_t Run();   // ScanProcRun with scanState 1, as the scan command does
    // The preview bitmaps outlive a scan by design; frees them.
    void FreePreviews();
    std::vector<std::string> BoxTexts() const;
};

#endif
