// About box and Digitizer Information over the installed virtual digitizer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "ui/about_dialog.h"
#include "ui/digitizer_info.h"
#include "res/resource.h"

namespace {

const char kConfig[] =
    "product = NQT-8\nmodelCode = 9\nserialNumber = VX1234\nfirmware = 3.07\nhardwareVersion = 6\n"
    "ramSize = 64\nscsiId = 5\nscsiVersion = 2\nmodelVariant = 9E\noptionString = DEMOSET\n"
    "resolutions = 75,150,300\ndepths = 1,8,12\nstatus = 0\n";

std::vector<uint8_t> ResourceBits(int id)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    std::vector<uint8_t> bits = BitmapBits(bitmap);
    DeleteObject(bitmap);
    return bits;
}

bool EndsInMb(const std::string& text)
{
    return text.size() > 3 && text.compare(text.size() - 3, 3, " MB") == 0 && std::atoll(text.c_str()) > 0;
}

class InfoDialogs : public DigitizerSessionTest {
    void SetUp() override { StartDigitizer(kConfig); }
};

TEST_F(InfoDialogs, DigitizerInformationListsWhatStartUpLearned)
{
    EXPECT_EQ(ShowDigitizerInfo(main, &s.ds), 0);
    auto boxes = BoxResponderMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Digitizer Information");
    EXPECT_EQ(boxes[0].icon, BOX_ICON_INFORMATION);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].text,
              "Scanner Model:                    NQT-8\n"
              "Serial No:                             VX1234\n"
              "Scanner Firmware Version:   3.07\n"
              "Scanner Hardware Version:  6\n"
              "Scanner RAM Size:               1048576 bytes\n"
              "\n"
              "Maximum Bit Depth:              12\n"
              "Maximum Resolution:            300\n"
              "Password:                             DEMOSET\n"
              "\n"
              "Manufacture:                         KALVO\n"
              "SCSI ID:                                5\n"
              "SCSI Version:                        2\n"
              "\n"
              "Toolkit version:                      3.2.0.17");
}

TEST_F(InfoDialogs, AboutShowsVersionResourcesAndTheVariantsPicture)
{
    ULARGE_INTEGER available = {};
    ASSERT_TRUE(GetDiskFreeSpaceExA("c:\\", &available, nullptr, nullptr));
    const long long freeMb = static_cast<long long>(available.QuadPart / 1048576u);

    const struct { const char* variant; int picture; } cases[] = {
        {"9E", IDB_DIGITIZER_9E}, {"NA", IDB_DIGITIZER_NA}, {"9A", IDB_DIGITIZER_9A},
        {"A2", IDB_DIGITIZER_A2}, {"Q7", IDB_DIGITIZER_9A}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variant);
        strcpy(s.scanner.modelVariant, c.variant);
        std::vector<uint8_t> shown;
        std::string version, disk, physical, virtualMemory;
        BoxResponderAdd({"About...", IDOK, [&](HWND about) {
                             shown = BitmapBits(reinterpret_cast<HBITMAP>(SendDlgItemMessageA(
                                 about, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0)));
                             version = DialogText(about, IDC_VERSION_TEXT);
                             disk = DialogText(about, IDC_FREE_DISK);
                             physical = DialogText(about, IDC_FREE_PHYSICAL_MEMORY);
                             virtualMemory = DialogText(about, IDC_FREE_VIRTUAL_MEMORY);
                         }});
        EXPECT_EQ(OpenAboutDlg(GetModuleHandleA(nullptr), main, &s.ds), 0);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown, ResourceBits(c.picture));
        EXPECT_EQ(version, "Version 5.2.1");
        // Whole megabytes; other programs may write a little meanwhile.
        EXPECT_TRUE(EndsInMb(disk) && EndsInMb(physical) && EndsInMb(virtualMemory))
            << disk << "|" << physical << "|" << virtualMemory;
        EXPECT_LE(std::llabs(std::atoll(disk.c_str()) - freeMb), 64) << disk;
    }
    EXPECT_NE(ResourceBits(IDB_DIGITIZER_NA), ResourceBits(IDB_DIGITIZER_9A));
    EXPECT_TRUE(BoxResponderMessageBoxes().empty());
}

}  // namespace
