// filmhost.exe: stands in for the outer TWAIN module. It owns the session
// records, keeps the settings in an INI file, registers its sync table,
// opens the main dialog and runs the message loop; with --script it plays
// an operator's steps against the dialog (host/README.md).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>

#include "FilmCore.h"
#include "host_boxes.h"
#include "host_dialog.h"
#include "host_log.h"
#include "host_script.h"
#include "host_script_run.h"
#include "host_session.h"
#include "host_settings.h"
#include "host_sync.h"
#include "host_view.h"

namespace {

void PrintDefaults(const DSData* ds)
{
    const ScannerInfo* i = ds->ScannerInfo;
    const ScanSettings* s = ds->ScanSettings;
    const ScanArea* a = ds->ScanArea;
    const ImageControl* c = ds->ImageControl;
    const OutputSettings* o = ds->OutputSettings;
    printf("Session defaults\n");
    printf("  modelName        \"%s\"\n", i->modelName);
    printf("  feederSupport    %u\n", i->feederSupport);
    printf("  feederStatus     %u\n", i->feederStatus);
    printf("  resolution       %u\n", s->resolution);
    printf("  maxLength        %u\n", s->maxLength);
    printf("  scanPixels       %u\n", s->scanPixels);
    printf("  scanLines        %u\n", s->scanLines);
    printf("  exposure         %u (%u..%u, default %u)\n", s->exposure, s->exposureMin,
           s->exposureMax, s->exposureDefault);
    printf("  bitDepth         %u\n", s->bitDepth);
    printf("  autoSize         %u\n", s->autoSize);
    printf("  units            %u\n", s->units);
    printf("  filmCount        %u\n", s->filmCount);
    printf("  area             left %.1f right %.1f top %.1f bottom %.1f\n", a->left, a->right,
           a->top, a->bottom);
    printf("  prescanMode      %u\n", a->prescanMode);
    printf("  previewDpi       %u\n", a->previewDpi);
    printf("  tableName        \"%s\"\n", c->tableName);
    printf("  tableIndex       %d\n", c->tableIndex);
    printf("  averageCount     %u\n", c->averageCount);
    printf("  bitThreshold     %u\n", c->bitThreshold);
    printf("  memTransfer      %u\n", c->memTransferEnabled);
    printf("  twelveHigh       %u\n", c->twelveHigh);
    printf("  outputPath       \"%s\"\n", o->outputPath);
    printf("  hostFileName     \"%s\"\n", o->hostFileName);
    printf("  outputFormat     %u\n", o->outputFormat);
    printf("  seriesNumber     \"%s\"\n", o->seriesNumber);
    printf("  imageNumber      \"%s\"\n", o->imageNumber);
    printf("  transferMode     %u\n", o->transferMode);
    fflush(stdout);
}

struct CommandLine {
    bool defaults = false;
    const char* ini = nullptr;
    const char* script = nullptr;
    const char* log = nullptr;
    double runSeconds = 600;
    HostOptions host;
    ViewRequest view;
};

const char kUsage[] =
    "usage: filmhost [--ini FILE] [--defaults]\n"
    "                [--script FILE] [--log FILE] [--timeout SECONDS]\n"
    "                [--out DIR] [--list FILE] [--names FILE]\n"
    "                [--format NAME] [--transfer-mode 1|2|3] [--block-bytes N] [--raw]\n"
    "       filmhost --view FILE [--max-pixels N] [--bound WxH] [--level L --width W]\n"
    "                [--save OUT.bmp] [--save-fit OUT.bmp] [--log FILE]\n";

// A 16-bit signed number, whole text.
bool ReadShort(const char* text, int16_t* value)
{
    char* end = nullptr;
    const long v = strtol(text, &end, 10);
    if (!*text || *end || v < -32768 || v > 32767)
        return false;
    *value = static_cast<int16_t>(v);
    return true;
}

// WxH, both from 2 to 65535.
bool ReadBound(const char* text, ViewRequest* view)
{
    unsigned long w = 0, h = 0;
    char x = 0, rest = 0;
    if (sscanf(text, "%lu%c%lu%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X') || w < 2 || h < 2 ||
        w > 65535 || h > 65535)
        return false;
    view->boundWidth = static_cast<uint16_t>(w);
    view->boundHeight = static_cast<uint16_t>(h);
    return true;
}

// The options of the view mode; false for a bad value, and *known false
// when `a` is none of them.
bool ReadViewOption(const char* a, const char* value, ViewRequest* view, bool* known)
{
    *known = true;
    if (strcmp(a, "--view") == 0)
        view->file = value;
    else if (strcmp(a, "--max-pixels") == 0)
        view->maxPixels = static_cast<uint32_t>(strtoul(value, nullptr, 10));
    else if (strcmp(a, "--bound") == 0)
        return ReadBound(value, view);
    else if (strcmp(a, "--level") == 0)
        return view->levelled = ReadShort(value, &view->level);
    else if (strcmp(a, "--width") == 0)
        return view->levelled = ReadShort(value, &view->width);
    else if (strcmp(a, "--save") == 0)
        view->save = value;
    else if (strcmp(a, "--save-fit") == 0)
        view->saveFit = value;
    else
        *known = false;
    return true;
}

bool ReadCommandLine(int argc, char** argv, CommandLine* c)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const bool takesValue = strcmp(a, "--defaults") != 0 && strcmp(a, "--raw") != 0;
        if (takesValue && !value)
            return false;
        if (strcmp(a, "--defaults") == 0)
            c->defaults = true;
        else if (strcmp(a, "--raw") == 0)
            c->host.rawTransfer = true;
        else if (strcmp(a, "--ini") == 0)
            c->ini = value;
        else if (strcmp(a, "--script") == 0)
            c->script = value;
        else if (strcmp(a, "--log") == 0)
            c->log = value;
        else if (strcmp(a, "--timeout") == 0)
            c->runSeconds = atof(value);
        else if (strcmp(a, "--out") == 0)
            c->host.outDir = value;
        else if (strcmp(a, "--list") == 0)
            c->host.listFile = value;
        else if (strcmp(a, "--names") == 0)
            c->host.namesFile = value;
        else if (strcmp(a, "--format") == 0)
            c->host.formatName = value;
        else if (strcmp(a, "--transfer-mode") == 0)
            c->host.transferMode = atoi(value);
        else if (strcmp(a, "--block-bytes") == 0)
            c->host.blockBytes = static_cast<uint32_t>(strtoul(value, nullptr, 10));
        else {
            bool known = false;
            if (!ReadViewOption(a, value, &c->view, &known) || !known)
                return false;
        }
        if (takesValue)
            ++i;
    }
    const int mode = c->host.transferMode;
    if (c->view.file && c->view.maxPixels == 0)
        return false;
    return c->runSeconds > 0 && c->host.blockBytes >= 1 && c->host.blockBytes <= (64u << 20) && mode >= 0 &&
           mode <= 3;
}

int ViewInSession(const ViewRequest& view)
{
    HostSession* s = TheHostSession();
    if (!OpenHostSession(s, HostOptions()))
        return 2;
    const int code = ViewImageFile(view);
    const uint16_t rc = CloseHostSession(s);
    HostLog("DeInitDSData: %u", rc);
    return code;
}

int PrintSessionDefaults(void)
{
    HostSession* s = TheHostSession();
    OpenHostSession(s, HostOptions());
    PrintDefaults(&s->ds);
    const uint16_t rc = CloseHostSession(s);
    printf("DeInitDSData: %u\n", rc);
    return rc == 0 ? 0 : 1;
}

bool LoadScript(const char* path, std::vector<ScriptStep>* steps)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        HostLog("script: cannot read %s", path);
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!ParseScript(text.str(), steps, &error)) {
        HostLog("script: %s: %s", path, error.c_str());
        return false;
    }
    return true;
}

int RunLoop(HWND dialog)
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine c;
    if (!ReadCommandLine(argc, argv, &c)) {
        fputs(kUsage, stderr);
        return 1;
    }
    if (c.ini)
        SetSettingsFile(c.ini);
    if (c.defaults)
        return PrintSessionDefaults();
    if (c.log && !SetHostLogFile(c.log)) {
        fprintf(stderr, "filmhost: cannot create the log %s\n", c.log);
        return 1;
    }
    if (c.view.file) {
        const int code = ViewInSession(c.view);
        CloseHostLog();
        return code;
    }
    std::vector<ScriptStep> steps;
    if (c.script && !LoadScript(c.script, &steps))
        return 1;

    HostSession* s = TheHostSession();
    // A note the dialog shows as it opens is answered like every later box.
    if (c.script)
        StartBoxAnswers();
    if (!OpenHostSession(s, c.host) || !OpenMainDialog(s)) {
        CloseHostSession(s);
        CloseHostLog();
        return 2;
    }
    if (c.script)
        StartScript(s, steps, c.runSeconds);
    int code = RunLoop(s->dialog);
    const uint16_t rc = CloseHostSession(s);
    HostLog("DeInitDSData: %u", rc);
    HostLog("exit code %d", code);
    CloseHostLog();
    return code;
}
