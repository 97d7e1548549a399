// The eight scan exports as the host reaches them: by name from FilmCore.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include "FilmCore.h"

TEST(PipelineExports, ReachableByNameFromTheDll)
{
    HMODULE dll = LoadLibraryA("FilmCore.dll");
    ASSERT_NE(nullptr, dll);
    for (const char* name : {"ScanProcInitialize", "ScanProcReadBlock", "ScanProcFinish", "ScanProcFreeMem",
                             "MemScanInitialize", "MemScanReadBlock", "MemScanFinish", "MemStopScan"})
        EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(dll, name))) << name;
    // Releasing or stopping with no session is harmless; reading is refused.
    auto freeMem = reinterpret_cast<int32_t (*)(void*, DSData*)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ScanProcFreeMem")));
    auto readBlock = reinterpret_cast<int32_t (*)(DSData*, void*, uint32_t*, uint32_t*, int32_t*)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "MemScanReadBlock")));
    ASSERT_TRUE(freeMem && readBlock);
    EXPECT_EQ(1, freeMem(nullptr, nullptr));
    uint32_t bytes = 100, lines = 1;
    int32_t status = 7;
    EXPECT_EQ(0, readBlock(nullptr, nullptr, &bytes, &lines, &status));
    FreeLibrary(dll);
}
