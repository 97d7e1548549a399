#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "box_responder.h"
#include "frame/log.h"
#include "frame/memgroups.h"
#include "frame/tables.h"
#include "session_fixture.h"

namespace {

std::string ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(Log, AppendsTextUnchanged)
{
    CreateDirectoryA("c:\\nqt", nullptr);
    DeleteFileA("c:\\nqt\\twnqt32.log");
    WriteLog("Get paper sensor");
    WriteLog("SetScanParams : bitdepths = 8, width = 2100, height = 2550\n");
    WriteLog("Actual Height = 12\n");
    EXPECT_EQ(ReadAll("c:\\nqt\\twnqt32.log"),
              "Get paper sensorSetScanParams : bitdepths = 8, width = 2100, height = 2550\n"
              "Actual Height = 12\n");
    WriteLog(nullptr);
    DeleteFileA("c:\\nqt\\twnqt32.log");
}

TEST(MemLock, IsTheRealCriticalSection)
{
    MemInit(4000);
    void* cs = nullptr;
    ASSERT_EQ(MemGetCriticalSection(&cs), FC_OK);
    CRITICAL_SECTION* section = static_cast<CRITICAL_SECTION*>(cs);
    EnterCriticalSection(section);
    EnterCriticalSection(section);  // re-entrant for the owning thread
    int32_t id;
    EXPECT_EQ(MemGetGroupID(&id), FC_OK);
    LeaveCriticalSection(section);
    LeaveCriticalSection(section);
    EXPECT_EQ(MemDeinit(), FC_OK);
}

// A window with the advanced options' table box, as TableSelectByName reads it.
struct TableBox {
    HWND parent;
    HWND edit;
    TableBox()
    {
        parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        edit = CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 90, 20, parent,
                             reinterpret_cast<HMENU>(4003), GetModuleHandleA(nullptr), nullptr);
    }
    ~TableBox() { DestroyWindow(parent); }
};

TEST(TableSelect, AcceptsListNamesIgnoringCaseAndRemarks)
{
    TestSession s;
    StartTestSession(&s);
    BoxResponderStart();
    TableBox box;
    SetWindowTextA(box.edit, "power07 (default)");
    EXPECT_EQ(TableSelectByName(box.parent, &s.ds), 0);
    EXPECT_STREQ(s.image.tableName, "power07") << "the text as typed, cut at \" (\"";
    EXPECT_EQ(s.image.tableIndex, 4);
    EXPECT_TRUE(BoxResponderSeen().empty());

    SetWindowTextA(box.edit, "Power 07");
    EXPECT_EQ(TableSelectByName(box.parent, &s.ds), 1);
    EXPECT_STREQ(s.image.tableName, "power07") << "a refused name changes nothing";
    EXPECT_EQ(s.image.tableIndex, 4);
    auto boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].text, "Invalid translation table name.");
    EXPECT_EQ(boxes[0].icon, BOX_ICON_EXCLAMATION);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    BoxResponderStop();
    DeInitDSData();
}

}  // namespace
