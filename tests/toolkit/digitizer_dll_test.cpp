// scankit32.dll itself: its version resource and the copy installed under
// the Windows folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "scanner/toolkit.h"

TEST(DigitizerDll, InstalledCopyBindsWithItsVersion)
{
    SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
    ASSERT_EQ(1, ToolkitBind());
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    char expected[MAX_PATH + 32];
    wsprintfA(expected, "%s\\twain_32\\nqt\\scankit32.dll", windows);
    EXPECT_STREQ(expected, ToolkitPath());
    EXPECT_EQ(GetModuleHandleA(expected), (HMODULE)ToolkitModule());

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(ToolkitPath(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(ToolkitPath(), 0, size, data.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", (void**)&info, &length));
    char text[64];
    wsprintfA(text, "%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
              HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    EXPECT_STREQ("3.2.0.17", text);

    // Built-in defaults: one adapter, the digitizer ready at once.
    uint16_t adapters = 0;
    EXPECT_EQ(0, Toolkit()->findSCSIAdaptors(&adapters));
    EXPECT_EQ(1, adapters);
    uint32_t value = 0;
    ASSERT_EQ(0, Toolkit()->openToolKit(3, &value));
    EXPECT_EQ(TK_READY, Toolkit()->scannerStatus());
    ToolkitUnbind();
    EXPECT_EQ(nullptr, GetModuleHandleA(expected));
}

TEST(DigitizerDll, ReadsScankitIniBesideItselfWithoutTheVariable)
{
    SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);
    char dll[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, dll, sizeof dll);
    ASSERT_TRUE(length > 0 && length < sizeof dll);
    char* slash = strrchr(dll, '\\');
    ASSERT_NE(nullptr, slash);
    strcpy(slash + 1, "scankit32.ini");
    std::string ini = dll;
    strcpy(slash + 1, "scankit32.dll");
    FILE* file = fopen(ini.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fputs("[identity]\nserialNumber = INI001\n", file);
    fclose(file);

    ASSERT_EQ(1, ToolkitBindFile(dll));
    uint16_t adapters = 0;
    Toolkit()->findSCSIAdaptors(&adapters);
    uint32_t value = 0;
    ASSERT_EQ(0, Toolkit()->openToolKit(3, &value));
    char serial[7];
    EXPECT_EQ(0, Toolkit()->getSerialNo(serial));
    EXPECT_STREQ("INI001", serial);
    ToolkitUnbind();
    DeleteFileA(ini.c_str());
}
