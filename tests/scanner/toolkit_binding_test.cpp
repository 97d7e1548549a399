// Binding the toolkit DLL at run time: a missing DLL, or a DLL without the
// toolkit's functions, leaves the stand-ins in force.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "digitizer/toolkit.h"
#include "test_files.h"

TEST(ToolkitBinding, MissingDllOrMissingFunctionsBindStandIns)
{
    EXPECT_EQ(0, ToolkitBindFile("C:\\no-such-folder\\twain_32\\nqt\\scankit32.dll"));
    EXPECT_EQ(nullptr, ToolkitModule());

    char system[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system, sizeof system));
    std::string path = std::string(system) + "\\version.dll";
    ASSERT_EQ(1, ToolkitBindFile(path.c_str()));
    EXPECT_NE(nullptr, ToolkitModule());
    EXPECT_EQ(path, ToolkitPath());
    uint16_t count = 5;
    EXPECT_NE(0, Toolkit()->findSCSIAdaptors(&count));
    EXPECT_EQ(0, count);
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
    std::string installed = std::string(windows) + "\\twain_32\\nqt\\scankit32.dll";
    // A copy of its own, away from any configuration beside the installed one.
    std::string copy = TestTempPath("scankit32.dll");
    ASSERT_TRUE(CopyFileA(installed.c_str(), copy.c_str(), FALSE)) << installed;
    SetEnvironmentVariableA("SCANKIT_CONFIG", nullptr);

    ASSERT_EQ(1, ToolkitBindFile(copy.c_str()));
    void* module = ToolkitModule();
    uint32_t opened = 0;
    ASSERT_EQ(0, Toolkit()->setSCSIAdaptorId(0));
    ASSERT_EQ(0, Toolkit()->openToolKit(3, &opened));  // the built-in digitizer's target
    uint8_t inquiry[36];
    ASSERT_EQ(0, Toolkit()->doInquiry(inquiry, sizeof inquiry));
    ASSERT_EQ(1, ToolkitBindFile(copy.c_str()));
    EXPECT_EQ(module, ToolkitModule());
    EXPECT_EQ(0, Toolkit()->doInquiry(inquiry, sizeof inquiry)) << "the session is still open";
    ToolkitUnbind();
    DeleteFileA(copy.c_str());
}
