// Loads an image file for the checks with outside readers and saves both
// previews with SaveBitmapToFile; prints the result codes:
//   rsz_tool <image> <maxPixels> <boundWidth> <boundHeight> <full.bmp> <fit.bmp>
#include <stdio.h>
#include <stdlib.h>

#include "FilmCore.h"
#include "frame/memgroups.h"

int main(int argc, char** argv)
{
    if (argc != 7)
        return 2;
    MemInit(4000);
    void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
    int32_t group = -1;
    const uint16_t result = LoadDICOMImageFile(argv[1], uint32_t(strtoul(argv[2], nullptr, 10)), &bits, &info,
                                               uint16_t(atoi(argv[3])), uint16_t(atoi(argv[4])), &fitBits,
                                               &fitInfo, &group);
    printf("load %u\n", result);
    const uint16_t full = result ? 1 : SaveBitmapToFile(argv[5], info, bits);
    const uint16_t fitted = result ? 1 : SaveBitmapToFile(argv[6], fitInfo, fitBits);
    printf("save %u %u\n", full, fitted);
    return result || full || fitted;
}
