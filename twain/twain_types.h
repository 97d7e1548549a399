// The TWAIN 2 structures and constants this data source uses, declared from
// the published TWAIN 2 definitions. Windows packs them on 2 bytes.
#ifndef FILMTWAIN_TWAIN_TYPES_H
#define FILMTWAIN_TWAIN_TYPES_H

#include <stdint.h>

#ifdef _WIN32
#define TW_CALLINGSTYLE __stdcall
#else
#define TW_CALLINGSTYLE
#endif

typedef int8_t TW_INT8;
typedef int16_t TW_INT16;
typedef int32_t TW_INT32;
typedef uint8_t TW_UINT8;
typedef uint16_t TW_UINT16;
typedef uint32_t TW_UINT32;
typedef uint16_t TW_BOOL;
typedef void* TW_HANDLE;
typedef void* TW_MEMREF;
typedef uintptr_t TW_UINTPTR;
typedef char TW_STR32[34];
typedef char TW_STR64[66];
typedef char TW_STR128[130];
typedef char TW_STR255[256];

#ifdef _WIN32
#pragma pack(push, 2)
#endif

typedef struct {
    TW_INT16 Whole;
    TW_UINT16 Frac;
} TW_FIX32;

typedef struct {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
} TW_VERSION;

typedef struct {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
} TW_IDENTITY;

typedef struct {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
} TW_CAPABILITY;

typedef struct {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
} TW_ONEVALUE;

typedef struct {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
    TW_UINT8 ItemList[1];
} TW_ENUMERATION;

typedef struct {
    TW_UINT16 ItemType;
    TW_UINT32 MinValue;
    TW_UINT32 MaxValue;
    TW_UINT32 StepSize;
    TW_UINT32 DefaultValue;
    TW_UINT32 CurrentValue;
} TW_RANGE;

typedef struct {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT8 ItemList[1];
} TW_ARRAY;

typedef struct {
    TW_FIX32 Left;
    TW_FIX32 Top;
    TW_FIX32 Right;
    TW_FIX32 Bottom;
} TW_FRAME;

typedef struct {
    TW_FRAME Frame;
    TW_UINT32 DocumentNumber;
    TW_UINT32 PageNumber;
    TW_UINT32 FrameNumber;
} TW_IMAGELAYOUT;

typedef struct {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
} TW_IMAGEINFO;

typedef struct {
    TW_UINT32 MinBufSize;
    TW_UINT32 MaxBufSize;
    TW_UINT32 Preferred;
} TW_SETUPMEMXFER;

typedef struct {
    TW_UINT32 Flags;
    TW_UINT32 Length;
    TW_MEMREF TheMem;
} TW_MEMORY;

typedef struct {
    TW_UINT16 Compression;
    TW_UINT32 BytesPerRow;
    TW_UINT32 Columns;
    TW_UINT32 Rows;
    TW_UINT32 XOffset;
    TW_UINT32 YOffset;
    TW_UINT32 BytesWritten;
    TW_MEMORY Memory;
} TW_IMAGEMEMXFER;

typedef struct {
    TW_STR255 FileName;
    TW_UINT16 Format;
    TW_INT16 VRefNum;
} TW_SETUPFILEXFER;

typedef struct {
    TW_UINT16 Count;
    union {
        TW_UINT32 EOJ;
        TW_UINT32 Reserved;
    };
} TW_PENDINGXFERS;

typedef struct {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
} TW_USERINTERFACE;

typedef struct {
    TW_UINT16 ConditionCode;
    union {
        TW_UINT16 Data;
        TW_UINT16 Reserved;
    };
} TW_STATUS;

typedef struct {
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
} TW_EVENT;

typedef TW_UINT16(TW_CALLINGSTYLE* DSMENTRYPROC)(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg,
                                                 TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

typedef struct {
    TW_UINT32 Size;
    DSMENTRYPROC DSM_Entry;
    TW_HANDLE(TW_CALLINGSTYLE* DSM_MemAllocate)(TW_UINT32 size);
    void(TW_CALLINGSTYLE* DSM_MemFree)(TW_HANDLE handle);
    TW_MEMREF(TW_CALLINGSTYLE* DSM_MemLock)(TW_HANDLE handle);
    void(TW_CALLINGSTYLE* DSM_MemUnlock)(TW_HANDLE handle);
} TW_ENTRYPOINT;

typedef struct {
    TW_MEMREF CallBackProc;
    TW_UINT32 RefCon;
    TW_INT16 Message;
} TW_CALLBACK;

#ifdef _WIN32
#pragma pack(pop)

// The layouts an application and the manager share, packed on 2 bytes; a
// pointer or handle is 4 bytes in 32-bit builds, 8 in 64-bit ones.
#define TW_LAYOUT(type, bytes32, bytes64) \
    static_assert(sizeof(type) == (sizeof(void*) == 4 ? (bytes32) : (bytes64)), #type " layout")
TW_LAYOUT(TW_FIX32, 4, 4);
TW_LAYOUT(TW_VERSION, 42, 42);
TW_LAYOUT(TW_IDENTITY, 156, 156);
TW_LAYOUT(TW_CAPABILITY, 8, 12);
TW_LAYOUT(TW_ONEVALUE, 6, 6);
TW_LAYOUT(TW_ENUMERATION, 16, 16);
TW_LAYOUT(TW_RANGE, 22, 22);
TW_LAYOUT(TW_ARRAY, 8, 8);
TW_LAYOUT(TW_FRAME, 16, 16);
TW_LAYOUT(TW_IMAGELAYOUT, 28, 28);
TW_LAYOUT(TW_IMAGEINFO, 42, 42);
TW_LAYOUT(TW_SETUPMEMXFER, 12, 12);
TW_LAYOUT(TW_MEMORY, 12, 16);
TW_LAYOUT(TW_IMAGEMEMXFER, 38, 42);
TW_LAYOUT(TW_SETUPFILEXFER, 260, 260);
TW_LAYOUT(TW_PENDINGXFERS, 6, 6);
TW_LAYOUT(TW_USERINTERFACE, 8, 12);
TW_LAYOUT(TW_STATUS, 4, 4);
TW_LAYOUT(TW_EVENT, 6, 10);
TW_LAYOUT(TW_ENTRYPOINT, 24, 44);
TW_LAYOUT(TW_CALLBACK, 10, 14);
#undef TW_LAYOUT
#endif

// Supported groups and protocol.
enum {
    TWON_PROTOCOLMAJOR = 2,
    TWON_PROTOCOLMINOR = 4
};
#define DG_CONTROL 0x0001UL
#define DG_IMAGE 0x0002UL
#define DF_DSM2 0x10000000UL
#define DF_APP2 0x20000000UL
#define DF_DS2 0x40000000UL

enum {
    TWLG_ENGLISH = 2,
    TWCY_USA = 1
};

// Data argument types.
enum {
    DAT_NULL = 0x0000,
    DAT_CAPABILITY = 0x0001,
    DAT_EVENT = 0x0002,
    DAT_IDENTITY = 0x0003,
    DAT_PARENT = 0x0004,
    DAT_PENDINGXFERS = 0x0005,
    DAT_SETUPMEMXFER = 0x0006,
    DAT_SETUPFILEXFER = 0x0007,
    DAT_STATUS = 0x0008,
    DAT_USERINTERFACE = 0x0009,
    DAT_XFERGROUP = 0x000a,
    DAT_CALLBACK = 0x0010,
    DAT_IMAGEINFO = 0x0101,
    DAT_IMAGELAYOUT = 0x0102,
    DAT_IMAGEMEMXFER = 0x0103,
    DAT_IMAGENATIVEXFER = 0x0104,
    DAT_IMAGEFILEXFER = 0x0105,
    DAT_ENTRYPOINT = 0x0403
};

// Messages.
enum {
    MSG_NULL = 0x0000,
    MSG_GET = 0x0001,
    MSG_GETCURRENT = 0x0002,
    MSG_GETDEFAULT = 0x0003,
    MSG_GETFIRST = 0x0004,
    MSG_GETNEXT = 0x0005,
    MSG_SET = 0x0006,
    MSG_RESET = 0x0007,
    MSG_QUERYSUPPORT = 0x0008,
    MSG_XFERREADY = 0x0101,
    MSG_CLOSEDSREQ = 0x0102,
    MSG_CLOSEDSOK = 0x0103,
    MSG_OPENDSM = 0x0301,
    MSG_CLOSEDSM = 0x0302,
    MSG_OPENDS = 0x0401,
    MSG_CLOSEDS = 0x0402,
    MSG_USERSELECT = 0x0403,
    MSG_DISABLEDS = 0x0501,
    MSG_ENABLEDS = 0x0502,
    MSG_ENABLEDSUIONLY = 0x0503,
    MSG_PROCESSEVENT = 0x0601,
    MSG_ENDXFER = 0x0701,
    MSG_STOPFEEDER = 0x0702,
    MSG_REGISTER_CALLBACK = 0x0902
};

// Return codes.
enum {
    TWRC_SUCCESS = 0,
    TWRC_FAILURE = 1,
    TWRC_CHECKSTATUS = 2,
    TWRC_CANCEL = 3,
    TWRC_DSEVENT = 4,
    TWRC_NOTDSEVENT = 5,
    TWRC_XFERDONE = 6,
    TWRC_ENDOFLIST = 7
};

// Condition codes.
enum {
    TWCC_SUCCESS = 0,
    TWCC_BUMMER = 1,
    TWCC_LOWMEMORY = 2,
    TWCC_NODS = 3,
    TWCC_MAXCONNECTIONS = 4,
    TWCC_OPERATIONERROR = 5,
    TWCC_BADCAP = 6,
    TWCC_BADPROTOCOL = 9,
    TWCC_BADVALUE = 10,
    TWCC_SEQERROR = 11,
    TWCC_BADDEST = 12,
    TWCC_CAPUNSUPPORTED = 13,
    TWCC_CAPBADOPERATION = 14,
    TWCC_CAPSEQERROR = 15,
    TWCC_DENIED = 16,
    TWCC_FILEEXISTS = 17,
    TWCC_FILENOTFOUND = 18,
    TWCC_FILEWRITEERROR = 22,
    TWCC_CHECKDEVICEONLINE = 23,
    TWCC_NOMEDIA = 29
};

// Item types.
enum {
    TWTY_INT8 = 0x0000,
    TWTY_INT16 = 0x0001,
    TWTY_INT32 = 0x0002,
    TWTY_UINT8 = 0x0003,
    TWTY_UINT16 = 0x0004,
    TWTY_UINT32 = 0x0005,
    TWTY_BOOL = 0x0006,
    TWTY_FIX32 = 0x0007,
    TWTY_FRAME = 0x0008,
    TWTY_STR32 = 0x0009,
    TWTY_STR64 = 0x000a,
    TWTY_STR128 = 0x000b,
    TWTY_STR255 = 0x000c,
    TWTY_HANDLE = 0x000f
};

// Container types.
enum {
    TWON_ARRAY = 3,
    TWON_ENUMERATION = 4,
    TWON_ONEVALUE = 5,
    TWON_RANGE = 6,
    TWON_DONTCARE16 = 0xffff
};
#define TWON_DONTCARE32 0xffffffffUL

// What MSG_QUERYSUPPORT answers.
enum {
    TWQC_GET = 0x0001,
    TWQC_SET = 0x0002,
    TWQC_GETDEFAULT = 0x0004,
    TWQC_GETCURRENT = 0x0008,
    TWQC_RESET = 0x0010
};

enum { TWSX_NATIVE = 0, TWSX_FILE = 1, TWSX_MEMORY = 2 };
enum { TWPT_BW = 0, TWPT_GRAY = 1, TWPT_RGB = 2 };
enum { TWUN_INCHES = 0, TWUN_CENTIMETERS = 1, TWUN_PICAS = 2, TWUN_POINTS = 3, TWUN_TWIPS = 4, TWUN_PIXELS = 5 };
enum { TWFF_TIFF = 0, TWFF_BMP = 2 };
enum { TWCP_NONE = 0 };
enum { TWPC_CHUNKY = 0, TWPC_PLANAR = 1 };
enum { TWPF_CHOCOLATE = 0, TWPF_VANILLA = 1 };
enum { TWBO_LSBFIRST = 0, TWBO_MSBFIRST = 1 };
enum { TWMF_APPOWNS = 0x0001, TWMF_DSMOWNS = 0x0002, TWMF_DSOWNS = 0x0004, TWMF_POINTER = 0x0008, TWMF_HANDLE = 0x0010 };

// Capabilities.
enum {
    CAP_XFERCOUNT = 0x0001,
    ICAP_COMPRESSION = 0x0100,
    ICAP_PIXELTYPE = 0x0101,
    ICAP_UNITS = 0x0102,
    ICAP_XFERMECH = 0x0103,
    CAP_FEEDERENABLED = 0x1002,
    CAP_FEEDERLOADED = 0x1003,
    CAP_SUPPORTEDCAPS = 0x1005,
    CAP_INDICATORS = 0x100b,
    CAP_UICONTROLLABLE = 0x100e,
    CAP_DEVICEONLINE = 0x100f,
    CAP_ENABLEDSUIONLY = 0x1014,
    CAP_DEVICEEVENT = 0x1022,
    ICAP_IMAGEFILEFORMAT = 0x110c,
    ICAP_PHYSICALWIDTH = 0x1111,
    ICAP_PHYSICALHEIGHT = 0x1112,
    ICAP_FRAMES = 0x1114,
    ICAP_XNATIVERESOLUTION = 0x1116,
    ICAP_YNATIVERESOLUTION = 0x1117,
    ICAP_XRESOLUTION = 0x1118,
    ICAP_YRESOLUTION = 0x1119,
    ICAP_BITORDER = 0x111c,
    ICAP_PIXELFLAVOR = 0x111f,
    ICAP_PLANARCHUNKY = 0x1120,
    ICAP_BITDEPTH = 0x112b,
    ICAP_UNDEFINEDIMAGESIZE = 0x112d
};

#endif
