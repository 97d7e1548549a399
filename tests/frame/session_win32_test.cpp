#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "box_responder.h"
#include "frame/log.h"
#include "frame/tables.h"
#include "session_fixture.h"

namespace {

// What it appends is checked where scan programming and feeding log.
TEST(Log, NoTextAddsNothing)
{
    CreateDirectoryA("c:\\nqt", nullptr);
    WriteLog("x");
    const auto size = std::filesystem::file_size("c:\\nqt\\twnqt32.log");
    WriteLog(nullptr);
    EXPECT_EQ(size, std::filesystem::file_size("c:\\nqt\\twnqt32.log"));
}

// The advanced options' table box as TableSelectByName reads it.
TEST(TableSelect, AcceptsListNamesIgnoringCaseAndRemarks)
{
    TestSession s;
    StartTestSession(&s);
    BoxResponderStart();
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 90, 20, parent, reinterpret_cast<HMENU>(4003), nullptr, nullptr);
    SetWindowTextA(edit, "power07 (default)");
    EXPECT_EQ(TableSelectByName(parent, &s.ds), 0);
    EXPECT_STREQ(s.image.tableName, "power07") << "the text as typed, cut at \" (\"";
    EXPECT_EQ(s.image.tableIndex, 4);
    EXPECT_TRUE(BoxResponderSeen().empty());
    SetWindowTextA(edit, "Power 07");
    EXPECT_EQ(TableSelectByName(parent, &s.ds), 1);
    EXPECT_EQ(s.image.tableIndex, 4) << "a refused name changes nothing";
    auto boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption + "|" + boxes[0].text, "ERROR|Invalid translation table name.");
    EXPECT_EQ(boxes[0].icon, BOX_ICON_EXCLAMATION);
    DestroyWindow(parent);
    BoxResponderStop();
    DeInitDSData();
}

}  // namespace
