#include "session.h"

#include <string.h>

#include "memgroups.h"
#include "text_copy.h"
#include "frame/tables.h"

static void InitScannerInfo(ScannerInfo* info)
{
    CopyText(info->modelName, sizeof info->modelName, "None.");
    info->feederSupport = 14;
    info->feederStatus = 15;
}

static void InitScanSettings(ScanSettings* s, const ScannerInfo* info)
{
    s->resolution = 150;
    s->resolutionBeforeChange = 0;
    s->imageWidth = 0;
    s->imageHeight = 0;
    s->maxLength = 17;
    s->offsetX = 0;
    s->offsetY = 0;
    s->scanLines = s->maxLength * s->resolution;
    s->scanPixels = static_cast<uint32_t>(info->maxWidth) * s->resolution;
    s->exposure = 10;
    s->exposureMin = 10;
    s->exposureMax = 40;
    s->exposureDefault = 10;
    s->darkEnhance = 0;
    s->autoSize = 1;
    s->bitDepth = 8;
    s->scanPreviewBits = nullptr;
    s->scanPreviewInfo = nullptr;
    s->prescanBits = nullptr;
    s->prescanInfo = nullptr;
    s->scanPreviewGroup = FC_NO_GROUP;
    s->prescanGroup = FC_NO_GROUP;
    s->progressPercent = 0;
    s->progressBytes = 0;
    s->progressTotal = 0;
    s->imageScanned = 0;
    s->patientInfoRequested = 0;
    s->patientDialogMode = 0;
    s->programmingScan = 0;
    s->imageBytes = 0;
    s->selectionFlags = 0;
    s->scanState = 0;
    s->scanCancelled = 0;
    s->units = 1;
    s->topCenter = 0;
    s->filmCount = 1;
    s->currentFilm = 1;
    s->stopBatch = 0;
}

// The host supplies the text; the library never frees the buffer, so one
// buffer serves every session of the process (held here, it is no leak)
// unless the host has given it back.
static char* SessionListBuffer(void)
{
    static void* buffer = nullptr;
    if (buffer && MemBlockIsLive(buffer)) {
        memset(buffer, 0, 128);
        return static_cast<char*>(buffer);
    }
    buffer = nullptr;
    if (MemAllocBlock(&buffer, 128) != FC_OK)
        buffer = nullptr;  // never the host's old value
    return static_cast<char*>(buffer);
}

static void InitOutputSettings(OutputSettings* o)
{
    CopyText(o->outputPath, sizeof o->outputPath, "c:\\nqt\\temp\\testscan.dib");
    CopyText(o->hostFileName, sizeof o->hostFileName, "c:\\nqt\\temp\\temp.dat");
    o->outputFormat = 1;
    o->listName = "imglst.inf";
    o->imageListPath = SessionListBuffer();
    o->imageNamesFile = "imgs.lst";
    CopyText(o->studyId, sizeof o->studyId, "");
    CopyText(o->seriesNumber, sizeof o->seriesNumber, "1");
    CopyText(o->imageNumber, sizeof o->imageNumber, "1");
    CopyText(o->hostText, sizeof o->hostText, "");
    CopyText(o->patientName, sizeof o->patientName, "");
    CopyText(o->patientId, sizeof o->patientId, "");
    CopyText(o->birthDate, sizeof o->birthDate, "");
    CopyText(o->patientSex, sizeof o->patientSex, "");
    o->sessionImages = nullptr;
    o->sessionImageGroup = FC_NO_GROUP;
    CopyText(o->formatName, sizeof o->formatName, "");
    o->transferMode = 2;
    o->hostValue1 = 1;
    o->hostValue2 = 1;
}

static void InitScanArea(ScanArea* a, const ScanSettings* s)
{
    a->left = 0.0f;
    a->right = 14.0f;
    a->top = 0.0f;
    a->bottom = static_cast<float>(s->maxLength);
    a->prescanMode = 1;
    a->previewDpi = 75;
}

static void InitImageControl(ImageControl* c)
{
    // Whatever the host's record held here is no preview of this session.
    memset(&c->preview, 0, sizeof c->preview);
    c->preview.group = FC_NO_GROUP;
    TableCopyBuiltInList(c->tableList);
    CopyText(c->tableName, sizeof c->tableName, c->tableList[0].name);
    c->tableIndex = -1;
    c->averageCount = 1;
    c->bilevelScanning = 0;
    c->bitThreshold = 128;
    c->lineAveraging = 0;
    c->autoEject = 0;
    c->multiFilmMode = 0;
    c->saveToDisk = 0;
    c->saveToDiskActive = 0;
    c->memTransferEnabled = 1;
    c->passwordProtection = 0;
    CopyText(c->passwordCode, sizeof c->passwordCode, "");
    c->guiControlMask = 0;
    c->averageCountSupported = 0;
    c->previewActive = 0;
    c->tempFile = nullptr;
    c->twelveHigh = 1;
}

bool OutputRecordsPresent(const DSData* ds)
{
    return ds && ds->HostServices && ds->ScanSettings && ds->ImageControl && ds->OutputSettings;
}

bool ScanRecordsPresent(const DSData* ds)
{
    return OutputRecordsPresent(ds) && ds->ScanArea;
}

bool SessionComplete(const DSData* ds)
{
    return ScanRecordsPresent(ds) && ds->ScannerInfo;
}

int32_t InitDSData(DSData* ds)
{
    MemInit(MEM_DEFAULT_BUFFER);
    if (!SessionComplete(ds))
        return 1;
    HostServices* host = ds->HostServices;
    host->instance = nullptr;
    host->parentWindow = nullptr;
    host->mainDialog = nullptr;
    host->optionDialog = nullptr;
    host->patientDialog = nullptr;
    host->batchDialog = nullptr;
    host->unused6 = 0;
    host->oldPalette = nullptr;
    host->palette = nullptr;
    host->imageReady = nullptr;
    host->closeRequest = nullptr;
    InitScannerInfo(ds->ScannerInfo);
    InitScanSettings(ds->ScanSettings, ds->ScannerInfo);
    InitOutputSettings(ds->OutputSettings);
    InitScanArea(ds->ScanArea, ds->ScanSettings);
    InitImageControl(ds->ImageControl);
    TableLoadSelection(ds);
    return 1;
}

uint16_t DeInitDSData(void)
{
    return MemDeinit();
}

int32_t RegDSSyncFunctions(SyncEntry* table, DSData* ds)
{
    if (ds && ds->HostServices)
        ds->HostServices->syncFunctions = table;
    return 1;
}

HostSyncFn NotifyHost(int32_t id, DSData* ds)
{
    if (!ds || !ds->HostServices)
        return nullptr;
    const SyncEntry* entry = ds->HostServices->syncFunctions;
    if (!entry)
        return nullptr;
    for (; entry->function; ++entry) {
        if (entry->id == id)
            return entry->function;
    }
    return nullptr;
}

int NotifyHostValue(int32_t id, DSData* ds, void* value, uint32_t size)
{
    HostSyncFn fn = NotifyHost(id, ds);
    if (!fn)
        return 0;
    fn(value, size);
    return 1;
}

void NotifyHostU32(int32_t id, DSData* ds, uint32_t value)
{
    NotifyHostValue(id, ds, &value, sizeof value);
}

void NotifyHostFloat(int32_t id, DSData* ds, float value)
{
    NotifyHostValue(id, ds, &value, sizeof value);
}

void NotifyHostPair(int32_t id, DSData* ds, uint32_t first, uint32_t second)
{
    uint32_t pair[2] = {first, second};
    NotifyHostValue(id, ds, pair, sizeof pair);
}

int IsControlGroupUnlocked(DSData* ds, int32_t groupId)
{
    if (!ds || !ds->ImageControl)
        return 0;
    int64_t k = (static_cast<int64_t>(groupId) - 14002) % 32;
    if (k < 0)
        k += 32;
    return (ds->ImageControl->guiControlMask >> k) & 1u;
}

void ReadSetting(DSData* ds, const char* section, const char* key, char* buffer,
                 uint32_t size, const char* defaultText)
{
    if (!buffer || size == 0)
        return;
    HostReadProfileFn read = (ds && ds->HostServices) ? ds->HostServices->readProfileString : nullptr;
    if (!read) {
        CopyText(buffer, size, defaultText);
        return;
    }
    buffer[0] = '\0';
    read(section, key, buffer, size, defaultText ? defaultText : "");
    buffer[size - 1] = '\0';  // the host's callback may not terminate a full buffer
}

void WriteSetting(DSData* ds, const char* section, const char* key, const char* value)
{
    HostWriteProfileFn write = (ds && ds->HostServices) ? ds->HostServices->writeProfileString : nullptr;
    if (write)
        write(section, key, value ? value : "");
}
