// Loads an image file for the checks with outside readers and saves both
// previews with SaveBitmapToFile:
//   rsz_tool <image> <maxPixels> <boundWidth> <boundHeight> <full.bmp> <fit.bmp>
#include <stdio.h>
#include <stdlib.h>

#include "FilmCore.h"
#include "frame/memgroups.h"

int main(int argc, char** argv)
{
    if (argc != 7) {
        fprintf(stderr, "usage: rsz_tool <image> <maxPixels> <boundWidth> <boundHeight> <full.bmp> <fit.bmp>\n");
        return 2;
    }
    MemInit(4000);
    void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
    int32_t group = -1;
    const uint16_t result = LoadDICOMImageFile(argv[1], uint32_t(strtoul(argv[2], nullptr, 10)), &bits, &info,
                                               uint16_t(atoi(argv[3])), uint16_t(atoi(argv[4])), &fitBits,
                                               &fitInfo, &group);
    printf("load %u\n", result);
    if (result != 0)
        return 1;
    const uint16_t full = SaveBitmapToFile(argv[5], info, bits), fitted = SaveBitmapToFile(argv[6], fitInfo, fitBits);
    printf("save %u %u\n", full, fitted);
    MemFreeGroup(group);
    return full == 0 && fitted == 0 ? 0 : 1;
}
