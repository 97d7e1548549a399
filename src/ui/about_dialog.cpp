#include "about_dialog.h"

#include <stdio.h>
#include <string.h>

#include "digitizer/digitizer_picture.h"
#include "res/resource.h"

static const char kVersion[] = "5.2.1";

// The build credit, kept enciphered so it does not read out of the binary.
// It goes to a control the template does not carry, so it is never shown.
enum { CREDIT_SIZE = 143, CREDIT_KEY = 0x5A };
static const unsigned char kCredit[CREDIT_SIZE] = {
    0x1C, 0x33, 0x36, 0x37, 0x19, 0x35, 0x28, 0x3F, 0x7A, 0x3C, 0x33, 0x36, 0x37, 0x7A, 0x3E,
    0x33, 0x3D, 0x33, 0x2E, 0x33, 0x20, 0x3F, 0x28, 0x7A, 0x3E, 0x3B, 0x2E, 0x3B, 0x7A, 0x29,
    0x35, 0x2F, 0x28, 0x39, 0x3F, 0x7A, 0x39, 0x35, 0x28, 0x3F};

static void DecipherCredit(char* text, size_t size)
{
    size_t i = 0;
    for (; i + 1 < size && i < sizeof kCredit && kCredit[i]; ++i)
        text[i] = static_cast<char>(kCredit[i] ^ CREDIT_KEY);
    text[i] = '\0';
}

int AboutPictureFor(const char* modelVariant)
{
    return DigitizerPictureFor(modelVariant, IDB_DIGITIZER_9A);
}

static void ShowMegabytes(HWND dialog, int id, unsigned long long megabytes)
{
    char text[48];
    snprintf(text, sizeof text, "%llu MB", megabytes);
    SetDlgItemTextA(dialog, id, text);
}

static void ShowResources(HWND dialog)
{
    ULARGE_INTEGER available = {}, total = {}, free = {};
    if (!GetDiskFreeSpaceExA("c:\\", &available, &total, &free))
        available.QuadPart = 0;
    ShowMegabytes(dialog, IDC_FREE_DISK, available.QuadPart / 1048576u);

    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);
    ShowMegabytes(dialog, IDC_FREE_PHYSICAL_MEMORY, memory.ullAvailPhys >> 20);
    ShowMegabytes(dialog, IDC_FREE_VIRTUAL_MEMORY, memory.ullAvailVirtual >> 20);
}

static void ShowPicture(HWND dialog, const DSData* ds)
{
    const char* variant = ds && ds->ScannerInfo ? ds->ScannerInfo->modelVariant : nullptr;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HBITMAP picture = LoadBitmapA(instance, MAKEINTRESOURCEA(AboutPictureFor(variant)));
    if (!picture)
        return;
    HANDLE old = reinterpret_cast<HANDLE>(SendDlgItemMessageA(
        dialog, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (old && old != picture)
        DeleteObject(old);
}

static BOOL OnInit(HWND dialog, DSData* ds)
{
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ds));
    char credit[CREDIT_SIZE];
    DecipherCredit(credit, sizeof credit);
    SetDlgItemTextA(dialog, IDC_ABOUT_HIDDEN_TEXT, credit);

    char version[32];
    snprintf(version, sizeof version, "Version %s", kVersion);
    SetDlgItemTextA(dialog, IDC_VERSION_TEXT, version);
    ShowResources(dialog);
    ShowPicture(dialog, ds);
    return TRUE;
}

static void OnDestroy(HWND dialog)
{
    HANDLE picture = reinterpret_cast<HANDLE>(
        SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (picture)
        DeleteObject(picture);
}

static INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, reinterpret_cast<DSData*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    }
    return FALSE;
}

int OpenAboutDlg(HINSTANCE instance, HWND owner, DSData* ds)
{
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc,
                    reinterpret_cast<LPARAM>(ds));
    return 0;
}
