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
