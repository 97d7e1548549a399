#include "host_session.h"

#include <stdio.h>
#include <string.h>

#include "host_log.h"
#include "host_settings.h"
#include "host_sync.h"
#include "host_transfer.h"

static HostSession g_session;

HostSession* TheHostSession(void) { return &g_session; }

namespace {

void OnCloseRequest(DSData* ds)
{
    // Called from inside the dialog's own close handling: the dialog is
    // destroyed once that has returned.
    HostLog("closeRequest");
    PostMessageA(g_session.hostWindow, WM_HOST_CLOSE, 0, 0);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HOST_TRANSFER:
        PullMemoryTransfer(&g_session);
        return 0;
    case WM_HOST_CLOSE:
        if (g_session.dialog && IsWindow(g_session.dialog))
            DestroyWindow(g_session.dialog);
        g_session.dialog = nullptr;
        PostQuitMessage(g_session.exitCode);
        return 0;
    case WM_CLOSE:
        // What the library posts when no closeRequest is supplied.
        PostMessageA(window, WM_HOST_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow(void)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FilmHostWindow";
    RegisterClassA(&wc);
    return CreateWindowA("FilmHostWindow", "filmhost", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

} // namespace

bool OpenHostSession(HostSession* s, const HostOptions& options)
{
    memset(&s->ds, 0, reinterpret_cast<char*>(&s->options) - reinterpret_cast<char*>(&s->ds));
    s->options = options;
    s->hostWindow = nullptr;
    s->dialog = nullptr;
    s->firstImage = s->lastImage = nullptr;
    s->transfers = 0;
    s->images = 0;
    s->filmsFinished = 0;
    s->exitCode = 0;
    LinkSessionRecords(&s->ds, &s->services, &s->scanner, &s->settings, &s->area, &s->image,
                       &s->output);
    InitDSData(&s->ds);
    s->hostWindow = CreateHostWindow();
    HostServices* h = &s->services;
    h->parentWindow = s->hostWindow;
    h->imageReady = OnImageReady;
    h->closeRequest = OnCloseRequest;
    h->readProfileString = HostReadProfile;
    h->writeProfileString = HostWriteProfile;
    LoadNoteSettings(&s->image, HostReadProfile);
    RegDSSyncFunctions(HostSyncTable(), &s->ds);
    DescribeFilmDicomImages(DcmSetElemValue, DcmGetElemValue, DcmGenInstUIDs);
    OutputSettings* o = &s->output;
    const std::string list = options.listFile.empty() ? "imglst.bin" : options.listFile;
    if (o->imageListPath)
        lstrcpynA(o->imageListPath, list.c_str(), 128);
    if (!options.namesFile.empty())
        o->imageNamesFile = s->options.namesFile.c_str();
    // The format first: the library takes the name only in file transfer mode.
    char format[32];
    lstrcpynA(format, options.formatName.c_str(), sizeof format);
    SyncScannerParams(PARAM_FORMAT_NAME, format, sizeof format, &s->ds);
    if (options.transferMode) {
        uint32_t mode = static_cast<uint32_t>(options.transferMode);
        SyncScannerParams(PARAM_TRANSFER_MODE, &mode, sizeof mode, &s->ds);
    }
    return s->hostWindow != nullptr;
}

uint16_t CloseHostSession(HostSession* s)
{
    if (s->dialog && IsWindow(s->dialog))
        DestroyWindow(s->dialog);
    s->dialog = nullptr;
    const uint16_t rc = DeInitDSData();
    for (SessionImage* image = s->firstImage; image;) {
        SessionImage* next = image->next;
        free(image);
        image = next;
    }
    s->firstImage = s->lastImage = nullptr;
    s->output.sessionImages = nullptr;
    if (s->hostWindow)
        DestroyWindow(s->hostWindow);
    s->hostWindow = nullptr;
    return rc;
}

void AddSessionImage(HostSession* s, const char* fileName)
{
    SessionImage* image = static_cast<SessionImage*>(calloc(1, sizeof(SessionImage)));
    if (!image)
        return;
    lstrcpynA(image->name, fileName, sizeof image->name);
    if (s->lastImage)
        s->lastImage->next = image;
    else
        s->firstImage = image;
    s->lastImage = image;
    s->output.sessionImages = s->firstImage;
    ++s->images;
    HostLog("session image: %s", image->name);
}

std::string HostOutputPath(const HostSession* s, const std::string& name)
{
    const std::string& dir = s->options.outDir;
    if (dir.empty())
        return name;
    const char last = dir.back();
    return dir + (last == '\\' || last == '/' ? "" : "\\") + name;
}
