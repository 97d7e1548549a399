// The writer and DICOM exports as the host reaches them: by name from
// FilmCore.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include "FilmCore.h"

namespace {

template <typename Function>
Function Export(HMODULE dll, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

TEST(ImageFileExports, ReachableByNameFromTheDll)
{
    HMODULE dll = LoadLibraryA("FilmCore.dll");
    ASSERT_NE(nullptr, dll);
    auto fix = Export<uint16_t (*)(void*)>(dll, "FixImageOrientation");
    auto set = Export<uint32_t (*)(uint32_t, const void*, int32_t)>(dll, "DcmSetElemValue");
    auto get = Export<uint32_t (*)(uint32_t, void*, uint32_t*)>(dll, "DcmGetElemValue");
    auto gen = Export<uint32_t (*)(int32_t)>(dll, "DcmGenInstUIDs");
    ASSERT_NE(nullptr, fix);
    ASSERT_NE(nullptr, set);
    ASSERT_NE(nullptr, get);
    ASSERT_NE(nullptr, gen);
    for (const char* dialog : {"OpenOutFileDlg", "ForceOpenOutFileDlg", "OpenPatDataDlg"})
        EXPECT_NE(nullptr, GetProcAddress(dll, dialog)) << dialog;

    EXPECT_EQ(0, fix(nullptr));
    const uint32_t patientName = 0x00100010;
    EXPECT_EQ(1u, set(patientName, "SMITH", 5));
    char name[16];
    uint32_t size = sizeof name;
    EXPECT_EQ(1u, get(patientName, name, &size));
    EXPECT_STREQ("SMITH ", name);
    const uint32_t sopInstanceUid = 0x00180008;
    EXPECT_EQ(1u, gen(1));
    char uid[65];
    size = sizeof uid;
    ASSERT_EQ(1u, get(sopInstanceUid, uid, &size));
    EXPECT_EQ(0, strncmp(uid, "1.2.840.999999.", 15));
    FreeLibrary(dll);
}

}  // namespace
