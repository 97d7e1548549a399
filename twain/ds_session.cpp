#include "ds_session.h"

#include "arg_checks.h"
#include "ds_scan.h"
#include "settings_file.h"

#include <string.h>

namespace {

SourceSession g_session;
bool g_open = false;
char g_settingsPath[MAX_PATH];

const char kOwnerClass[] = "FilmTwainOwner";

int32_t WriteSetting(const char* section, const char* key, const char* value)
{
    return WritePrivateProfileStringA(section, key, value, g_settingsPath) ? 1 : 0;
}

uint32_t ReadSetting(const char* section, const char* key, char* buffer, uint32_t size, const char* defaultText)
{
    if (!buffer || size == 0)
        return 0;
    return GetPrivateProfileStringA(section, key, defaultText ? defaultText : "", buffer, size, g_settingsPath);
}

template <typename T>
bool Bind(HMODULE module, const char* name, T* call)
{
    *call = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *call != nullptr;
}

bool LoadFilmCore(HINSTANCE instance, FilmCoreCalls* core)
{
    char path[MAX_PATH];
    if (!FileBeside(instance, "FilmCore.dll", path, sizeof path))
        return false;
    core->module = LoadLibraryA(path);
    if (!core->module)
        return false;
    const bool bound = Bind(core->module, "InitDSData", &core->initDSData) &&
                       Bind(core->module, "DeInitDSData", &core->deInitDSData) &&
                       Bind(core->module, "RegDSSyncFunctions", &core->regDSSyncFunctions) &&
                       Bind(core->module, "SyncScannerParams", &core->syncScannerParams) &&
                       Bind(core->module, "InitializeScanner", &core->initializeScanner) &&
                       Bind(core->module, "OpenFilmCoreDlg", &core->openFilmCoreDlg) &&
                       Bind(core->module, "MemScanReadBlock", &core->memScanReadBlock) &&
                       Bind(core->module, "MemScanFinish", &core->memScanFinish) &&
                       Bind(core->module, "MemStopScan", &core->memStopScan) &&
                       Bind(core->module, "EjectFilm", &core->ejectFilm) &&
                       Bind(core->module, "DcmSetElemValue", &core->dcmSetElemValue) &&
                       Bind(core->module, "DcmGetElemValue", &core->dcmGetElemValue) &&
                       Bind(core->module, "DcmGenInstUIDs", &core->dcmGenInstUIDs);
    if (!bound) {
        FreeLibrary(core->module);
        core->module = nullptr;
    }
    return bound;
}

// ---- Notifications from FilmCore onto the capability values ----------------

uint32_t U32(void* value, uint32_t size)
{
    uint32_t v = 0;
    if (value && size >= 4)
        memcpy(&v, value, 4);
    return v;
}

float F32(void* value, uint32_t size)
{
    float v = 0;
    if (value && size >= 4)
        memcpy(&v, value, 4);
    return v;
}

// Only values the source offers are taken, so the lists stay true.
void Follow(uint16_t cap, double v)
{
    if (!g_open)
        return;
    CapEntry* e = FindCap(&g_session.caps, cap);
    if (!e)
        return;
    for (int i = 0; i < e->valueCount; ++i)
        if (e->values[i] == v)
            e->current = v;
}

void OnResolution(void* value, uint32_t size)
{
    Follow(ICAP_XRESOLUTION, U32(value, size));
    Follow(ICAP_YRESOLUTION, U32(value, size));
}

void OnDepth(void* value, uint32_t size)
{
    const uint32_t depth = U32(value, size);
    if (depth == 1)
        Follow(ICAP_PIXELTYPE, TWPT_BW);
    else if (depth)
        Follow(ICAP_PIXELTYPE, TWPT_GRAY);
    Follow(ICAP_BITDEPTH, depth);
}

void OnLeft(void* value, uint32_t size)
{
    FrameInches& f = g_session.caps.frame;
    const double width = f.right - f.left;
    f.left = F32(value, size);
    f.right = f.left + width;
}

void OnTop(void* value, uint32_t size)
{
    FrameInches& f = g_session.caps.frame;
    const double length = f.bottom - f.top;
    f.top = F32(value, size);
    f.bottom = f.top + length;
}

void OnWidth(void* value, uint32_t size)
{
    g_session.caps.frame.right = g_session.caps.frame.left + F32(value, size);
}

void OnLength(void* value, uint32_t size)
{
    g_session.caps.frame.bottom = g_session.caps.frame.top + F32(value, size);
}

SyncEntry g_syncTable[] = {
    {PARAM_RESOLUTION, OnResolution}, {PARAM_BIT_DEPTH, OnDepth}, {PARAM_WIDTH, OnWidth},
    {PARAM_LENGTH, OnLength},         {PARAM_TOP, OnTop},         {PARAM_LEFT, OnLeft},
    {0, nullptr},
};

// ---- Start --------------------------------------------------------------

HWND CreateOwner(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerWindowProc();
    wc.hInstance = instance;
    wc.lpszClassName = kOwnerClass;
    RegisterClassA(&wc);   // already registered on a second open
    return CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

DigitizerAbilities Abilities(const SourceSession* s)
{
    const ScannerInfo& i = s->scanner;
    DigitizerAbilities d = {};
    d.resolutionCount = i.resolutionCount < 9 ? i.resolutionCount : 9;
    memcpy(d.resolutions, i.resolutions, sizeof d.resolutions);
    d.depthCount = i.depthCount < 5 ? i.depthCount : 5;
    memcpy(d.depths, i.depths, sizeof d.depths);
    d.widthInches = i.maxWidth;
    d.lengthInches = s->settings.maxLength;
    d.feederFitted = i.feederSupport == 13;
    d.feederLoaded = i.feederStatus == 16;
    d.online = i.toolkitOpen != 0;
    return d;
}

}  // namespace

SourceSession* OpenSession(HINSTANCE instance, const TW_IDENTITY* app, TW_UINT16* cc)
{
    if (g_open) {
        *cc = TWCC_MAXCONNECTIONS;
        return nullptr;
    }
    SourceSession* s = &g_session;
    *s = SourceSession();
    if (!LoadFilmCore(instance, &s->core)) {
        *cc = TWCC_OPERATIONERROR;
        return nullptr;
    }
    FindSettingsFile(instance, g_settingsPath, sizeof g_settingsPath);
    // Kept for the notices sent back through the manager: never read past a field.
    if (app)
        s->app = TerminatedIdentity(*app);
    LinkSessionRecords(&s->ds, &s->services, &s->scanner, &s->settings, &s->area, &s->image,
                       &s->output);
    s->core.initDSData(&s->ds);
    s->services.readProfileString = ReadSetting;
    s->services.writeProfileString = WriteSetting;
    LoadNoteSettings(&s->image, ReadSetting);
    // An operator may save DICOM from the shown dialog.
    DescribeFilmDicomImages(s->core.dcmSetElemValue, s->core.dcmGetElemValue, s->core.dcmGenInstUIDs);
    s->services.imageReady = OnFilmScanned;
    s->services.closeRequest = OnCloseRequested;
    s->owner = CreateOwner(instance);
    SetWindowLongPtrA(s->owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    s->services.parentWindow = s->owner;
    s->core.regDSSyncFunctions(g_syncTable, &s->ds);
    if (!s->owner || s->core.initializeScanner(s->owner, &s->ds, 0) != SCANNER_READY) {
        *cc = TWCC_CHECKDEVICEONLINE;
        CloseSession(s);
        return nullptr;
    }
    BuildCapTable(&s->caps, Abilities(s));
    g_open = true;
    // FilmCore takes a format name only in file transfer mode, and its scan
    // command needs one: its bitmap, though every image leaves as lines.
    uint32_t fileMode = 2;
    char format[32] = "Bitmap";
    s->core.syncScannerParams(PARAM_TRANSFER_MODE, &fileMode, 4, &s->ds);
    s->core.syncScannerParams(PARAM_FORMAT_NAME, format, sizeof format, &s->ds);
    for (uint16_t cap : {ICAP_XRESOLUTION, ICAP_BITDEPTH, ICAP_XFERMECH})
        PushCapability(s, cap);
    PushFrame(s);
    s->state = 4;
    return s;
}

SourceSession* SessionOfRecord(DSData* ds)
{
    return g_open && ds == &g_session.ds ? &g_session : nullptr;
}

void CloseSession(SourceSession* s)
{
    g_open = false;
    if (s->dialog)
        DestroyWindow(s->dialog);
    if (s->core.module) {
        s->core.deInitDSData();
        FreeLibrary(s->core.module);
    }
    if (s->owner) {
        // The class names this module's procedure: a reloaded module registers it afresh.
        HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(s->owner, GWLP_HINSTANCE);
        DestroyWindow(s->owner);
        UnregisterClassA(kOwnerClass, instance);
    }
    *s = SourceSession();
}

void PushCapability(SourceSession* s, uint16_t cap)
{
    const double v = CapCurrent(&s->caps, cap);
    uint32_t word = (uint32_t)v;
    switch (cap) {
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
        s->core.syncScannerParams(PARAM_RESOLUTION, &word, 4, &s->ds);
        break;
    case ICAP_BITDEPTH:
    case ICAP_PIXELTYPE:
        word = (uint32_t)CapCurrent(&s->caps, ICAP_BITDEPTH);
        s->core.syncScannerParams(PARAM_BIT_DEPTH, &word, 4, &s->ds);
        break;
    case ICAP_XFERMECH:
        // Every mechanism pulls the film through FilmCore's memory transfer;
        // the source itself builds the DIB or the file from its lines.
        word = 1;
        s->core.syncScannerParams(PARAM_TRANSFER_MODE, &word, 4, &s->ds);
        break;
    default:
        break;
    }
}

void PushFrame(SourceSession* s)
{
    // Copied first: the notifications each push brings back move the frame.
    const FrameInches f = s->caps.frame;
    float left = (float)f.left, top = (float)f.top, width = (float)(f.right - f.left),
          length = (float)(f.bottom - f.top);
    s->core.syncScannerParams(PARAM_LEFT, &left, 4, &s->ds);
    s->core.syncScannerParams(PARAM_TOP, &top, 4, &s->ds);
    s->core.syncScannerParams(PARAM_WIDTH, &width, 4, &s->ds);
    s->core.syncScannerParams(PARAM_LENGTH, &length, 4, &s->ds);
    s->caps.frame = f;
}
