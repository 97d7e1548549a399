#include "digitizer_info.h"

#include <stdio.h>

enum { DIGITIZER_INFO_SIZE = 2048, RAM_UNIT = 16384 };

// The record's text fields are fixed arrays; never read past one.
#define FIELD(f) static_cast<int>(sizeof(f)), (f)

void FormatDigitizerInfo(const ScannerInfo* info, char* text, size_t size)
{
    if (!text || size == 0)
        return;
    ScannerInfo none = {};
    if (!info)
        info = &none;
    snprintf(text, size,
             "Scanner Model:                    %.*s\n"
             "Serial No:                             %.*s\n"
             "Scanner Firmware Version:   %.*s\n"
             "Scanner Hardware Version:  %d\n"
             "Scanner RAM Size:               %u bytes\n"
             "\n"
             "Maximum Bit Depth:              %d\n"
             "Maximum Resolution:            %d\n"
             "Password:                             %.*s\n"
             "\n"
             "Manufacture:                         KALVO\n"
             "SCSI ID:                                %d\n"
             "SCSI Version:                        %d\n"
             "\n"
             "Toolkit version:                      %.*s",
             FIELD(info->modelName), FIELD(info->serialNumber), FIELD(info->firmwareVersion),
             info->hardwareVersion, static_cast<unsigned>(info->ramSize) * RAM_UNIT,
             info->maxDepth, info->maxResolution, FIELD(info->optionString), info->scsiId,
             info->scsiVersion, FIELD(info->toolkitVersion));
}

int ShowDigitizerInfo(HWND owner, DSData* ds)
{
    char text[DIGITIZER_INFO_SIZE];
    FormatDigitizerInfo(ds ? ds->ScannerInfo : nullptr, text, sizeof text);
    MessageBoxA(owner, text, "Digitizer Information", MB_OK | MB_ICONINFORMATION);
    return 0;
}
