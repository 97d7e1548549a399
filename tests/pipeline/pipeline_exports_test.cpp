// The eight scan exports as the host reaches them: by name from FilmCore.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include "FilmCore.h"

TEST(PipelineExports, ReachableByNameAndSafeWithoutASession)
{
    HMODULE dll = LoadLibraryA("FilmCore.dll");
    ASSERT_NE(nullptr, dll);
    auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll, name)); };
    EXPECT_TRUE(find("ScanProcReadBlock") && find("MemScanFinish") && find("MemStopScan"));
    using Step = int32_t (*)(void*, DSData*);
    const auto readBlock =
        reinterpret_cast<int32_t (*)(DSData*, void*, uint32_t*, uint32_t*, int32_t*)>(find("MemScanReadBlock"));
    ASSERT_TRUE(readBlock);
    // Releasing is harmless; starting, reading and finishing are refused.
    const struct { const char* name; int32_t result; } steps[] = {
        {"ScanProcFreeMem", 1}, {"ScanProcInitialize", 0}, {"ScanProcFinish", 0}, {"MemScanInitialize", 0}};
    DSData empty = {};
    for (DSData* ds : {static_cast<DSData*>(nullptr), &empty}) {
        for (const auto& step : steps) {
            ASSERT_TRUE(find(step.name)) << step.name;
            EXPECT_EQ(step.result, reinterpret_cast<Step>(find(step.name))(nullptr, ds)) << step.name;
        }
        uint32_t bytes = 100, lines = 1;
        int32_t status = 7;
        EXPECT_EQ(0, readBlock(ds, nullptr, &bytes, &lines, &status));
        EXPECT_TRUE(bytes == 0 && status == 0);
    }
    FreeLibrary(dll);
}
