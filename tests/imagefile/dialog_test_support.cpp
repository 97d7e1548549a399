#include "dialog_test_support.h"

#include <filesystem>

#include "imagefile/dicom_table.h"

void DialogTest::SetUp()
{
    StartTestSession(&s);
    BoxResponderStart();
    DcmClearElementTable();
    folder = (std::filesystem::temp_directory_path() /
              ("fcdlg_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                 .string();
    std::filesystem::create_directories(folder);
}

void DialogTest::TearDown()
{
    PumpPending();
    BoxResponderStop();
    DeInitDSData();
    std::filesystem::remove_all(folder);
}

void Type(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PumpFor(int ms)
{
    for (DWORD end = GetTickCount() + static_cast<DWORD>(ms); static_cast<int>(end - GetTickCount()) > 0;
         Sleep(10))
        PumpPending();
}

std::string LastBox(void)
{
    std::vector<SeenBox> boxes = BoxResponderMessageBoxes();
    return boxes.empty() ? "<no box>" : BoxLine(boxes.back());
}
