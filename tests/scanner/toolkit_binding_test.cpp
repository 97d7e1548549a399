// Binding the toolkit DLL at run time: a missing DLL, or a DLL without the
// toolkit's functions, leaves the stand-ins in force.
#include <windows.h>

#include <gtest/gtest.h>

#include "scanner/toolkit.h"

TEST(ToolkitBinding, MissingDllBindsStandIns)
{
    EXPECT_EQ(0, ToolkitBindFile("C:\\no-such-folder\\twain_32\\nqt\\scankit32.dll"));
    EXPECT_EQ(nullptr, ToolkitModule());
    EXPECT_STREQ("", ToolkitPath());
    uint16_t count = 5;
    EXPECT_NE(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(TK_NO_COMMUNICATION, Toolkit()->scannerStatus());
    int32_t got = 3;
    uint8_t buffer[16];
    EXPECT_NE(0, Toolkit()->getImage(buffer, sizeof buffer, &got));
    EXPECT_EQ(0, got);
}

TEST(ToolkitBinding, DllWithoutToolkitFunctionsBindsStandIns)
{
    char system[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system, sizeof system));
    char path[MAX_PATH + 16];
    wsprintfA(path, "%s\\version.dll", system);
    ASSERT_EQ(1, ToolkitBindFile(path));
    EXPECT_NE(nullptr, ToolkitModule());
    EXPECT_STREQ(path, ToolkitPath());
    uint16_t count = 5;
    EXPECT_NE(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, Toolkit()->IsFDSupported());
    ToolkitUnbind();
    EXPECT_EQ(nullptr, ToolkitModule());
    EXPECT_STREQ("", ToolkitPath());
}

// Start-up binds again at every main dialog: the module loaded the first
// time stays, and with it the toolkit session that start-up opened.
TEST(ToolkitBinding, BindingAgainKeepsTheModuleAndItsOpenSession)
{
    char windows[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, sizeof windows));
    char installed[MAX_PATH + 32], folder[MAX_PATH], copy[MAX_PATH + 32];
    wsprintfA(installed, "%s\\twain_32\\nqt\\scankit32.dll", windows);
    // A copy of its own, away from any configuration beside the installed one.
    ASSERT_NE(0u, GetTempPathA(sizeof folder, folder));
    lstrcatA(folder, "filmcore_bind_test");
    CreateDirectoryA(folder, nullptr);
    wsprintfA(copy, "%s\\scankit32.dll", folder);
    ASSERT_TRUE(CopyFileA(installed, copy, FALSE)) << installed;
    SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);

    ASSERT_EQ(1, ToolkitBindFile(copy));
    void* module = ToolkitModule();
    uint32_t opened = 0;
    ASSERT_EQ(0, Toolkit()->setSCSIAdaptorId(0));
    ASSERT_EQ(0, Toolkit()->openToolKit(3, &opened));  // the built-in digitizer's target
    uint8_t inquiry[36];
    ASSERT_EQ(0, Toolkit()->doInquiry(inquiry, sizeof inquiry));

    ASSERT_EQ(1, ToolkitBindFile(copy));
    EXPECT_EQ(module, ToolkitModule());
    EXPECT_EQ(0, Toolkit()->doInquiry(inquiry, sizeof inquiry)) << "the session is still open";

    ToolkitUnbind();
    DeleteFileA(copy);
    RemoveDirectoryA(folder);
}
