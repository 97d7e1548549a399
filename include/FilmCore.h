/*
 * FilmCore.h - the public interface of FilmCore.dll.
 *
 * The host (the outer TWAIN module) allocates DSData, its HostServices table
 * and the five sub-records, and hands DSData to almost every export. Fields
 * are listed in record order. Handles and pointers are pointer-sized, so the
 * i686 build has the 32-bit layout and the x86_64 build widens only those
 * slots. No <windows.h> here: the portable core includes this header too.
 */
#ifndef FILMCORE_H
#define FILMCORE_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef FILMCORE_API
#define FILMCORE_API
#endif

/* Result codes of the Mem..., Rsz... and writer families. */
enum {
    FC_OK = 0,
    FC_BAD_ARGUMENT = 1,
    FC_NOT_VALID = 2,
    FC_NO_SUCH_GROUP = 3,
    FC_LINE_OVERRUN = 9,
    FC_OUT_OF_MEMORY = 102,
    FC_OPEN_FAILED = 201,
    FC_FILE_TOO_SHORT = 202,
    FC_SHORT_WRITE = 203,
    FC_BAD_SAMPLE_BYTES = 302,
    FC_BITMAP_TOO_LARGE = 501
};

#define FC_NO_GROUP (-1)

typedef struct DSData DSData;

/* ---- Host callbacks and the sync table ---------------------------------- */

typedef void (*HostImageReadyFn)(DSData* ds);
typedef void (*HostCloseRequestFn)(DSData* ds);
typedef int32_t (*HostWriteProfileFn)(const char* section, const char* key, const char* value);
typedef uint32_t (*HostReadProfileFn)(const char* section, const char* key, char* buffer,
                                      uint32_t bufferSize, const char* defaultText);
typedef void (*HostSyncFn)(void* value, uint32_t size);

/* One pair of the host's sync table; the table ends with a null function. */
typedef struct SyncEntry {
    int32_t id;
    HostSyncFn function;
} SyncEntry;

typedef struct HostServices {
    void* instance;                         /* 0 */
    void* parentWindow;                     /* 1 */
    void* mainDialog;                       /* 2 */
    void* optionDialog;                     /* 3 */
    void* patientDialog;                    /* 4 */
    void* batchDialog;                      /* 5 */
    uintptr_t unused6;                      /* 6: cleared, never read */
    void* oldPalette;                       /* 7 */
    void* palette;                          /* 8 */
    HostImageReadyFn imageReady;            /* 9 */
    HostCloseRequestFn closeRequest;        /* 10 */
    SyncEntry* syncFunctions;               /* 11 */
    HostWriteProfileFn writeProfileString;  /* 12 */
    HostReadProfileFn readProfileString;    /* 13 */
} HostServices;

/* ---- ScannerInfo -------------------------------------------------------- */

typedef struct ScannerInfo {
    uint8_t modelCode;
    char serialNumber[7];
    char modelName[19];
    uint32_t toolkitOpen;
    uint8_t windowDescriptorLength;
    char optionString[15];
    char firmwareVersion[5];
    uint8_t hardwareVersion;
    uint16_t ramSize;
    char modelVariant[5];
    uint8_t scsiId;
    uint8_t scsiVersion;
    char toolkitVersion[51];
    uint16_t feederSupport;
    uint16_t feederStatus;
    uint16_t minResolution;
    uint16_t maxResolution;
    uint16_t resolutionCount;
    uint16_t resolutions[9];
    uint16_t minDepth;
    uint16_t maxDepth;
    uint16_t depthCount;
    uint16_t depths[5];
    uint16_t lineAveragingCapability;
    uint16_t maxWidth;
    uint16_t feederCapacity;
    uint16_t prescanCapability;
} ScannerInfo;

/* ---- ScanSettings ------------------------------------------------------- */

typedef struct ScanSettings {
    uint32_t resolution;
    uint32_t savedResolution;
    uint32_t resolutionBeforeChange;
    uint32_t imageWidth;
    uint32_t imageHeight;
    uint32_t sampleBits;
    uint32_t maxLength;
    uint32_t offsetX;
    uint32_t offsetY;
    uint32_t scanPixels;
    uint32_t scanLines;
    uint16_t exposure;
    uint16_t exposureMin;
    uint16_t exposureMax;
    uint16_t exposureDefault;
    uint32_t darkEnhance;
    uint32_t autoSize;
    uint32_t bitDepth;
    uint32_t savedBitDepth;
    uint8_t* scanPreviewBits;
    void* scanPreviewInfo;      /* packed DIB header + colour table */
    uint8_t* prescanBits;
    void* prescanInfo;
    int32_t scanPreviewGroup;
    int32_t prescanGroup;
    uint32_t progressPercent;
    uint32_t progressBytes;
    uint32_t progressTotal;
    uint32_t imageScanned;
    uint32_t patientInfoRequested;
    uint32_t patientDialogMode;
    uint32_t programmingScan;
    uint32_t imageBytes;
    uint16_t selectionFlags;
    uint16_t scanState;         /* 1 scanning, 2 complete, 0 stopped */
    uint16_t scanCancelled;
    uint32_t scanWidth;
    uint32_t lineBytes;
    uint32_t blockBytes;
    uint32_t units;             /* 1 inches, 2 centimetres, 3 pixels */
    uint32_t topCenter;
    uint8_t filmCount;
    uint8_t currentFilm;
    uint32_t stopBatch;
} ScanSettings;

/* ---- ScanArea (lengths in inches) --------------------------------------- */

typedef struct ScanArea {
    float left;
    float right;
    float top;
    float bottom;
    float cropLeft;
    float cropRight;
    uint32_t prescanMode;
    uint32_t previewDpi;
    uint32_t prescanPixels;
    uint32_t prescanLines;
    int32_t imageRect[4];       /* left, top, right, bottom */
    int32_t selection[4];
} ScanArea;

/* ---- The preview resampler record --------------------------------------- */

#define RSZ_MAGIC 0x71028338u

typedef struct RszLine {
    uint8_t* data;
    struct RszLine* previous;
    struct RszLine* next;
} RszLine;

/* Sizes, positions and line counts are 32-bit: a landscape 16-bit line of a
   51-inch film at 800 dpi is wider than 16 bits can count. The same record
   serves the 1-bit preview list, without the mark. */
typedef struct RszData {
    int32_t group;                  /* FC_NO_GROUP after FreeRszData */
    uint32_t magic;                 /* RSZ_MAGIC while valid */
    uint16_t factor;
    uint16_t bytesPerSample;
    uint16_t bitDepth;
    uint32_t sourceWidth;
    uint32_t previewWidth;
    uint32_t linePosition;
    uint32_t sampleRemainder;
    uint32_t writeOffset;
    uint32_t sourceLine;
    uint32_t previewLines;
    uint32_t nextColumn;
    uint32_t nextLine;
    uint16_t windowLow;
    uint16_t windowHigh;
    RszLine* firstLine;
    RszLine* lastLine;
    RszLine* currentLine;           /* the spare node being filled; null when none could be had */
} RszData;

/* ---- The output writer record ------------------------------------------- */

enum { OUTPUT_BITMAP = 1, OUTPUT_TIFF = 2, OUTPUT_DICOM = 3 };

typedef struct BmpWriterState {
    FILE* file;
    uint32_t width;
    uint32_t rowCount;
    uint32_t bitsPerSample;
    uint32_t dataOffset;
    uint32_t bytesWritten;
    uint32_t resolution;
    uint32_t rowBytes;
    uint32_t padBytes;
    uint32_t padSource;
    void* streamBuffer;             /* the stream's buffer, freed after closing */
} BmpWriterState;

/* The rest of the TIFF state is module-wide. */
typedef struct TiffWriterState {
    FILE* file;
    void* streamBuffer;
} TiffWriterState;

typedef struct DicomWriterState {
    char* path;                     /* the whole output name, kept in memoryGroup */
    FILE* file;
    uint32_t pixelBytes;
    uint32_t resolution;
    void* recordCopies[12];
    uint16_t rowCount;
    uint16_t columns;
    uint16_t bitsStored;
    uint32_t rowsValuePos;
    uint32_t pixelLengthPos;
    uint32_t rowBytes;
    uint32_t padBytes;
    uint16_t padByte;
    int32_t memoryGroup;            /* FC_NO_GROUP when none */
    void* streamBuffer;
} DicomWriterState;

typedef struct OutputWriter {
    uint32_t format;
    union {
        BmpWriterState bmp;
        TiffWriterState tiff;
        DicomWriterState dicom;
    } state;
    /* The image is written to partPath beside targetPath and put in place
       at a successful finish (both allocated by open, freed by release;
       partPath null when the target is written in place). */
    char* targetPath;
    char* partPath;
    uint32_t firstFailure;          /* code of the first failed begin or row; 0 none */
} OutputWriter;

/* ---- ImageControl ------------------------------------------------------- */

typedef struct TableEntry {
    uint16_t number;
    char name[64];
} TableEntry;

#define TABLE_COUNT 8

typedef struct ImageControl {
    uint32_t bytesPerLine;
    uint32_t bytesDone;
    uint32_t linesDone;
    void* blockMemory;
    RszData preview;
    uint16_t averageCount;
    uint32_t leftSkip;
    OutputWriter outputWriter;
    uint32_t readLimit;
    uint32_t perPassLimit;
    uint8_t* rawArea;
    uint8_t* lineArea;
    uint32_t bytesReceived;
    uint32_t progressStep;
    uint32_t linesReceived;
    uint32_t alignedLineBytes;
    uint32_t linesPerRequest;
    uint32_t progressMark;
    char tableName[128];
    int32_t tableIndex;
    TableEntry tableList[TABLE_COUNT];
    uint32_t bilevelScanning;
    uint32_t bitThreshold;
    uint32_t lineAveraging;
    uint32_t autoEject;
    uint32_t multiFilmMode;
    uint32_t saveToDisk;
    uint32_t saveToDiskActive;
    uint32_t landscape;
    uint32_t memTransferEnabled;
    uint32_t passwordProtection;
    char passwordCode[64];
    uint32_t guiControlMask;
    uint32_t averageCountSupported;
    uint32_t previewActive;
    FILE* tempFile;
    char tempPath[256];
    uint8_t flipWarning;
    uint8_t flipWarningFirstTime;
    uint32_t twelveHigh;
    uint8_t prescanNote;
} ImageControl;

/* ---- OutputSettings ----------------------------------------------------- */

#define BATCH_MAX 25

typedef struct OutputSettings {
    char outputPath[260];
    char batchNames[BATCH_MAX][260];
    char hostFileName[260];
    char savePath[260];
    uint32_t outputFormat;
    const char* listName;           /* host's; never read here */
    char* imageListPath;            /* 128-byte buffer made by InitDSData */
    const char* imageNamesFile;
    char studyId[64];
    char seriesNumber[64];
    char imageNumber[64];
    char hostText[128];             /* host's; never read here */
    char patientName[64];
    char patientId[64];
    char birthDate[16];
    char patientSex[16];
    void* sessionImages;
    int32_t sessionImageGroup;
    char formatName[32];
    uint32_t transferMode;
    uint32_t hostValue1;            /* host's; never read here */
    uint32_t hostValue2;
} OutputSettings;

/* ---- Session image list ------------------------------------------------- */

/* One image of the session, made by the host. The list file stores each
   record as SESSION_IMAGE_BYTES bytes: word 0, word 1 (the link, as the
   32-bit layout holds it) and the name with the rest of the record from
   byte 8. In the 32-bit build the record is exactly those bytes. */
#define SESSION_IMAGE_BYTES 732

typedef struct SessionImage {
    uint32_t word0;                 /* carried unchanged */
    struct SessionImage* next;      /* null ends the list */
    char name[SESSION_IMAGE_BYTES - 8]; /* NUL-terminated, then carried bytes */
} SessionImage;

/* ---- The session record ------------------------------------------------- */

struct DSData {
    struct HostServices* HostServices;
    struct ScannerInfo* ScannerInfo;
    struct ScanSettings* ScanSettings;
    struct ScanArea* ScanArea;
    struct ImageControl* ImageControl;
    struct OutputSettings* OutputSettings;
};

/* The seven records a host allocates for a session, side by side. */
typedef struct SessionRecords {
    DSData ds;
    HostServices services;
    ScannerInfo scanner;
    ScanSettings settings;
    ScanArea area;
    ImageControl image;
    OutputSettings output;
} SessionRecords;

/* Points DSData at its six records, as every host does before InitDSData.
   Inline, so a host that loads the library at run time has it too. */
static inline void LinkSessionRecords(DSData* ds, HostServices* host, ScannerInfo* scanner,
                                      ScanSettings* settings, ScanArea* area, ImageControl* image,
                                      OutputSettings* output)
{
    ds->HostServices = host;
    ds->ScannerInfo = scanner;
    ds->ScanSettings = settings;
    ds->ScanArea = area;
    ds->ImageControl = image;
    ds->OutputSettings = output;
}

/* The operator's notes (staging, first-time staging, multi-film prescan)
   are on until the library has stored "OFF" for them: an outer module sets
   them from its settings at session start. */
static inline uint8_t NoteSettingOn(HostReadProfileFn read, const char* section, const char* key)
{
    char value[16] = {0};
    if (read)
        read(section, key, value, sizeof value, "");
    return strcmp(value, "OFF") != 0;
}

static inline void LoadNoteSettings(ImageControl* image, HostReadProfileFn read)
{
    image->flipWarning = NoteSettingOn(read, "SAVE_IMG_TO_DISK", "FlipWarning");
    image->flipWarningFirstTime = NoteSettingOn(read, "SAVE_IMG_TO_DISK", "FlipWarningFirstTime");
    image->prescanNote = NoteSettingOn(read, "PRESCAN_INFO", "PrescanInfo");
}

/* What an outer module puts into the DICOM table for its images at session
   start: digitized film as a secondary capture, one unsigned grey sample a
   pixel, bright as it grows, in a study of its own that starts now. The
   study's date and time (local) and an empty accession number and referring
   physician are stored unless they were given before, so archives find
   every element they expect present. */
typedef uint32_t (*DcmSetElemFn)(uint32_t tag, const void* value, int32_t length);
typedef uint32_t (*DcmGetElemFn)(uint32_t tag, void* buffer, uint32_t* size);
typedef uint32_t (*DcmGenInstUIDsFn)(int32_t newStudy);

static inline void DcmSetText(DcmSetElemFn set, uint32_t tag, const char* text)
{
    set(tag, text, (int32_t)strlen(text));
}

/* Stores `text` unless the element holds a value; with `evenEmpty` an
   element given empty counts as given too. */
static inline void DcmSetUnlessGiven(DcmSetElemFn set, DcmGetElemFn get, uint32_t tag, const char* text,
                                     int evenEmpty)
{
    uint32_t size = 0;
    if (!get(tag, 0, &size) || (size == 0 && !evenEmpty))
        DcmSetText(set, tag, text);
}

static inline void DescribeFilmDicomImages(DcmSetElemFn set, DcmGetElemFn get, DcmGenInstUIDsFn generate)
{
    const uint16_t samplesPerPixel = 1, unsignedSamples = 0;
    const time_t now = time(0);
    const struct tm* local = localtime(&now);
    char studyDate[16] = "", studyTime[16] = "";
    if (local) {
        snprintf(studyDate, sizeof studyDate, "%04d%02d%02d", local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
        snprintf(studyTime, sizeof studyTime, "%02d%02d%02d", local->tm_hour, local->tm_min, local->tm_sec);
    }
    DcmSetText(set, 0x00160008, "1.2.840.10008.5.1.4.1.1.7");
    DcmSetText(set, 0x00600008, "OT");
    DcmSetText(set, 0x00640008, "DF");
    DcmSetText(set, 0x00040028, "MONOCHROME2");
    set(0x00020028, &samplesPerPixel, 2);
    set(0x01030028, &unsignedSamples, 2);
    generate(1);
    DcmSetUnlessGiven(set, get, 0x00200008, studyDate, 0);   /* Study Date */
    DcmSetUnlessGiven(set, get, 0x00300008, studyTime, 0);   /* Study Time */
    DcmSetUnlessGiven(set, get, 0x00500008, "", 1);          /* Accession Number */
    DcmSetUnlessGiven(set, get, 0x00900008, "", 1);          /* Referring Physician's Name */
}

/* ---- Session exports ---------------------------------------------------- */

FILMCORE_API int32_t InitDSData(DSData* ds);
FILMCORE_API uint16_t DeInitDSData(void);
FILMCORE_API int32_t RegDSSyncFunctions(SyncEntry* table, DSData* ds);

/* ---- Parameter synchronisation ----------------------------------------- */

/* The parameter ids, the same both ways: SyncScannerParams (host to
   library, ids up to PARAM_LEFT) and the host's sync table (library to
   host). Values are u32 unless said otherwise; lengths are f32 inches. */
enum {
    PARAM_FORMAT_NAME = 1,      /* text: formatName, notified with size 8 */
    PARAM_EXPOSURE = 2,
    PARAM_RESOLUTION = 3,       /* dots per inch */
    PARAM_BIT_DEPTH = 4,
    PARAM_TRANSFER_MODE = 5,    /* never notified */
    PARAM_RESERVED_6 = 6,       /* 6, 7 and 11: accepted, no effect */
    PARAM_RESERVED_7 = 7,
    PARAM_UNITS = 8,
    PARAM_WIDTH = 9,            /* f32: scanPixels / resolution */
    PARAM_LENGTH = 10,          /* f32: scanLines / resolution */
    PARAM_RESERVED_11 = 11,
    PARAM_AUTO_EJECT = 12,      /* 12 to 16, 18, 19, 22, 23: notified only */
    PARAM_DARK_ENHANCE = 13,
    PARAM_AUTO_SIZE = 14,
    PARAM_LINE_AVERAGING = 15,  /* pair {lineAveraging, averageCount}, size 8 */
    PARAM_BILEVEL = 16,         /* pair {bilevelScanning, bitThreshold}, size 8 */
    PARAM_HOST_FILE_NAME = 17,  /* text: hostFileName, never notified */
    PARAM_PATIENT_DATA = 18,    /* the DSData pointer, size 0: patient or DICOM data changed */
    PARAM_TOP_CENTER = 19,
    PARAM_TOP = 20,             /* f32: offsetY / resolution */
    PARAM_LEFT = 21,            /* f32: offsetX / resolution */
    PARAM_MULTI_FILM = 22,
    PARAM_TWELVE_HIGH = 23
};

/* Stores a value negotiated by the host (PARAM_FORMAT_NAME to PARAM_LEFT),
   brought into range, and notifies the stored value back. 1 when handled,
   0 for a bad call. */
FILMCORE_API int32_t SyncScannerParams(int32_t id, void* value, uint32_t size, DSData* ds);

/* ---- Scanner start-up --------------------------------------------------- */

/* Result codes of InitializeScanner. */
enum {
    SCANNER_READY = 0,
    SCANNER_CANCELLED = 1,      /* operator cancel, toolkit failure, no warm-up notice */
    SCANNER_NOT_FOUND = 2,      /* no digitizer, or warm-up aborted */
    SCANNER_NO_ADAPTER = 4,     /* also: model not recognised */
    SCANNER_NO_IDENTITY = 5
};

/* mainDialog is the main dialog's window handle (HWND). */
FILMCORE_API int32_t InitializeScanner(void* mainDialog, DSData* ds, int32_t retry);
FILMCORE_API void DeinitializeScanner(void);

/* ---- Scan commands ------------------------------------------------------ */

/* dialog is the main dialog's window handle (HWND). Nonzero when the file
   scan pipeline ended normally or was cancelled, 0 on failure. */
FILMCORE_API int32_t StartScan(void* dialog, DSData* ds);
/* Ejects the film from the digitizer; the toolkit's status (0 success). */
FILMCORE_API int32_t EjectFilm(void* window);

/* ---- Memory groups ------------------------------------------------------ */

typedef struct MemBuffer {
    uint32_t capacity;
    uint32_t used;
    struct MemBuffer* previous;
    struct MemBuffer* next;
} MemBuffer;

typedef struct MemGroup {
    int32_t id;
    uint32_t firstSize;
    MemBuffer* first;
    struct MemGroup* previous;
    struct MemGroup* next;
} MemGroup;

FILMCORE_API uint16_t MemInit(int32_t defaultSize);
FILMCORE_API uint16_t MemDeinit(void);
FILMCORE_API uint16_t MemAllocBlock(void** address, uint32_t size);
FILMCORE_API uint16_t MemFreeBlock(void* address);
FILMCORE_API uint16_t MemGetGroupIDEx(int32_t* id, uint32_t firstSize);
FILMCORE_API uint16_t MemGetGroupID(int32_t* id);
FILMCORE_API uint16_t MemGetGroupPtr(int32_t id, MemGroup** group);
FILMCORE_API uint16_t MemRemoveGroupPtr(int32_t id, MemGroup** group);
FILMCORE_API uint16_t MemFreeGroup(int32_t id);
FILMCORE_API void* MemGetBuffer(int32_t id, int32_t size);
FILMCORE_API uint16_t MemRewindGroup(int32_t id);
FILMCORE_API uint16_t MemGroupUsage(int32_t id, uint32_t* used, uint32_t* allocated);
FILMCORE_API uint16_t MemTotalUsage(uint32_t* used, uint32_t* allocated);
FILMCORE_API uint16_t MemTestIntegrity(void);
FILMCORE_API uint16_t MemGetCriticalSection(void** criticalSection);
FILMCORE_API uint16_t MemSubInitPool(void* pool, uint32_t poolSize);
FILMCORE_API void* MemSubAlloc(void* pool, uint32_t size);
FILMCORE_API uint16_t MemSubFree(void* pool, void* piece);

/* ---- Output writers and the DICOM element table ------------------------- */

FILMCORE_API uint16_t FixImageOrientation(void* writerState);
FILMCORE_API uint32_t DcmSetElemValue(uint32_t tag, const void* value, int32_t length);
FILMCORE_API uint32_t DcmGetElemValue(uint32_t tag, void* buffer, uint32_t* size);
FILMCORE_API uint32_t DcmGenInstUIDs(int32_t newStudy);

/* ---- Preview resampler and image viewing -------------------------------- */

/* Bitmaps are packed DIBs: `info` points at the 40-byte BITMAPINFOHEADER
   and its colour table, `bits` at the first pixel row. */
FILMCORE_API uint16_t RszInitData(RszData* record, uint32_t sourceWidth, uint16_t bytesPerSample,
                                  uint16_t bitDepth, uint16_t factor);
FILMCORE_API uint16_t RszInputDataBlock(RszData* record, const void* data, uint32_t byteCount);
FILMCORE_API uint16_t RszGetBitmap(RszData* record, void** bits, void** info, int32_t* group);
FILMCORE_API uint16_t RszGetBitmapWithUpBound(RszData* record, uint16_t boundWidth, uint16_t boundHeight,
                                              void** bits, void** info, int32_t* group);
FILMCORE_API uint16_t FreeRszData(RszData* record);
FILMCORE_API uint16_t RszChangeYOrientation(RszData* record);
FILMCORE_API uint16_t LoadDICOMImageFile(const char* path, uint32_t maxPixels, void** bits, void** info,
                                         uint16_t boundWidth, uint16_t boundHeight, void** fitBits,
                                         void** fitInfo, int32_t* group);
FILMCORE_API uint16_t SetWinLevel(void* info, int16_t level, int16_t width);
FILMCORE_API uint16_t SaveBitmapToFile(const char* path, const void* info, const void* bits);

/* ---- Scan pipelines ----------------------------------------------------- */

/* dialog is the main dialog's window handle (HWND). Status words are the
   last getImage status, widened from 16 bits; 10 is the end of the image. */
FILMCORE_API int32_t ScanProcInitialize(void* dialog, DSData* ds);
FILMCORE_API int32_t ScanProcReadBlock(void* dialog, DSData* ds, int32_t* status);
FILMCORE_API int32_t ScanProcFinish(void* dialog, DSData* ds);
FILMCORE_API int32_t ScanProcFreeMem(void* dialog, DSData* ds);

/* Memory transfer: on entry *byteCount is the buffer's size and *lineCount
   the lines wanted; on return the bytes filled and the lines delivered. */
FILMCORE_API int32_t MemScanInitialize(void* dialog, DSData* ds);
FILMCORE_API int32_t MemScanReadBlock(DSData* ds, void* buffer, uint32_t* byteCount,
                                      uint32_t* lineCount, int32_t* status);
FILMCORE_API int32_t MemScanFinish(DSData* ds);
FILMCORE_API int32_t MemStopScan(DSData* ds);

/* ---- Output naming and the patient dialog ------------------------------ */

/* instance is the module (HINSTANCE) whose templates are used, owner the
   owner window (HWND). 1 confirmed (or no dialog needed), 0 cancelled. */
FILMCORE_API int32_t OpenOutFileDlg(void* instance, void* owner, DSData* ds);
FILMCORE_API int32_t ForceOpenOutFileDlg(void* instance, void* owner, DSData* ds);
FILMCORE_API int32_t OpenPatDataDlg(void* instance, void* owner, DSData* ds);

/* ---- Operator dialogs -------------------------------------------------- */

/* The main dialog, modeless and hidden: its window (HWND), or null when it
   could not be created or no digitizer was found. */
FILMCORE_API void* OpenFilmCoreDlg(DSData* ds);
/* Fills the main dialog's size fields, title and feeder stage mode. */
FILMCORE_API void InitScanDlgParams(void* dialog, DSData* ds);
/* Advanced Options, modal; the dialog's result. */
FILMCORE_API int32_t OpenOptionDlg(void* instance, void* owner, DSData* ds);

#ifdef __cplusplus
}
#endif

#endif
