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
    // With no session set up, releasing and stopping are harmless; starting,
    // reading and finishing are refused.
    using Step = int32_t (*)(void*, DSData*);
    auto step = [&](const char* name) {
        return reinterpret_cast<Step>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    };
    auto readBlock = reinterpret_cast<int32_t (*)(DSData*, void*, uint32_t*, uint32_t*, int32_t*)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "MemScanReadBlock")));
    ASSERT_TRUE(readBlock);
    DSData empty = {};
    for (DSData* ds : {static_cast<DSData*>(nullptr), &empty}) {
        EXPECT_EQ(1, step("ScanProcFreeMem")(nullptr, ds));
        EXPECT_EQ(0, step("ScanProcInitialize")(nullptr, ds));
        EXPECT_EQ(0, step("ScanProcFinish")(nullptr, ds));
        EXPECT_EQ(0, step("MemScanInitialize")(nullptr, ds));
        uint32_t bytes = 100, lines = 1;
        int32_t status = 7;
        EXPECT_EQ(0, readBlock(ds, nullptr, &bytes, &lines, &status));
        EXPECT_EQ(0u, bytes);
        EXPECT_EQ(0, status);
    }
    FreeLibrary(dll);
}
