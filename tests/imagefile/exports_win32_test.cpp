// The writer, DICOM, dialog and scan command exports as the host reaches
// them: by name from FilmCore.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include "FilmCore.h"

TEST(ImageFileExports, ReachableByNameFromTheDll)
{
    HMODULE dll = LoadLibraryA("FilmCore.dll");
    ASSERT_NE(nullptr, dll);
    for (const char* name : {"FixImageOrientation", "DcmSetElemValue", "DcmGetElemValue", "DcmGenInstUIDs",
                             "OpenOutFileDlg", "ForceOpenOutFileDlg", "OpenPatDataDlg", "OpenOptionDlg", "StartScan",
                             "EjectFilm"})
        EXPECT_NE(nullptr, GetProcAddress(dll, name)) << name;
    // One round trip through the table shows the calling convention matches.
    auto set = reinterpret_cast<uint32_t (*)(uint32_t, const void*, int32_t)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DcmSetElemValue")));
    auto get = reinterpret_cast<uint32_t (*)(uint32_t, void*, uint32_t*)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DcmGetElemValue")));
    ASSERT_TRUE(set && get);
    const uint32_t patientName = 0x00100010;
    EXPECT_EQ(1u, set(patientName, "SMITH", 5));
    char name[16];
    uint32_t size = sizeof name;
    EXPECT_EQ(1u, get(patientName, name, &size));
    EXPECT_STREQ("SMITH ", name);
    FreeLibrary(dll);
}
