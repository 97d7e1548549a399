// filmhost.exe: stands in for the outer TWAIN module. It owns the session
// records, keeps the settings in an INI file and registers its sync table.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "FilmCore.h"
#include "host_settings.h"
#include "host_sync.h"

struct HostSession {
    DSData ds;
    HostServices services;
    ScannerInfo scanner;
    ScanSettings settings;
    ScanArea area;
    ImageControl image;
    OutputSettings output;
};

static HostSession g_session;

static void AllocateRecords(HostSession* s)
{
    memset(s, 0, sizeof *s);
    s->ds.HostServices = &s->services;
    s->ds.ScannerInfo = &s->scanner;
    s->ds.ScanSettings = &s->settings;
    s->ds.ScanArea = &s->area;
    s->ds.ImageControl = &s->image;
    s->ds.OutputSettings = &s->output;
    s->services.readProfileString = HostReadProfile;
    s->services.writeProfileString = HostWriteProfile;
}

static void PrintDefaults(const DSData* ds)
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

static const char* OptionValue(int argc, char** argv, const char* name)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], name) == 0)
            return argv[i + 1];
    return nullptr;
}

int main(int argc, char** argv)
{
    const char* ini = OptionValue(argc, argv, "--ini");
    if (ini)
        SetSettingsFile(ini);

    AllocateRecords(&g_session);
    InitDSData(&g_session.ds);
    RegDSSyncFunctions(HostSyncTable(), &g_session.ds);
    PrintDefaults(&g_session.ds);
    uint16_t rc = DeInitDSData();
    printf("DeInitDSData: %u\n", rc);
    return rc == 0 ? 0 : 1;
}
