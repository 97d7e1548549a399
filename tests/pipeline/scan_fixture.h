// What the scan pipeline tests share: the digitizer session (a host's
// session, the stand-in main dialog, the virtual clock), a scripted image,
// and memory that comes back.
#ifndef FILMCORE_TEST_SCAN_FIXTURE_H
#define FILMCORE_TEST_SCAN_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/memgroups.h"
#include "main_dialog_stub.h"
#include "session_fixture.h"
#include "test_files.h"

// getImage delivers lines of a known pattern as a test asks, recording requests.
struct ImageScript {
    uint32_t lineBytes = 0, bytesPerSample = 1;
    uint32_t lines = 0;             // status 10 comes with the last of them
    uint16_t averageCount = 1;
    uint32_t maxChunk = 0;          // at most this many bytes a call (0: as asked)
    std::function<uint16_t(uint32_t line, uint32_t x)> sample;  // default: (line + x) & 0xFF
    std::function<void(int call)> onCall;  // before each getImage, counted from 1
    std::vector<uint32_t> requests;
    uint64_t delivered = 0;
    int stopScans = 0;
};
ImageScript& Image(void);
std::vector<uint8_t> ScriptLine(uint32_t line);   // as the script delivers it

// The rows of a bitmap file, unpadded, in file order; none when unreadable.
std::vector<std::vector<uint8_t>> BmpRows(const std::string& path, int32_t* width = nullptr);

class ScanFixture : public DigitizerSessionTest {
protected:
    uint32_t groupsBefore = 0, blocksBefore = 0;
    std::vector<std::string> files;   // removed at the end, with their temporaries

    void NoteMemory() { groupsBefore = MemGroupCount(), blocksBefore = MemBlocksInUse(); }
    void TearDown() override;
    // The session as the scan command leaves it for a final scan of the
    // whole frame, portrait, 17 inches at most.
    void SetScan(uint16_t resolution, uint32_t pixels, uint32_t lines, uint32_t depth, const std::string& path,
                 uint32_t format);
    int32_t Run();        // ScanProcRun with scanState 1, as the scan command does
};

// A scripted digitizer delivering `pixels` x `lines` at `depth`, 150 dpi;
// NewImage starts the next case afresh.
class ScriptedScan : public ScanFixture {
protected:
    void SetUp() override;
    void NewImage();
    void Program(uint32_t pixels, uint32_t lines, uint32_t depth, const std::string& path, uint32_t format = 1);
};

#endif
