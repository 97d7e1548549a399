// Command-line driver of the resampler for the checks with outside readers:
//   rsz_tool load <image> <maxPixels> <boundWidth> <boundHeight> <full.bmp> <fit.bmp>
//   rsz_tool scan <raw> <width> <bytesPerSample> <bitDepth> <factor> <blockBytes> <preview.bmp>
// Bitmaps are written with SaveBitmapToFile; prints the result codes.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"

namespace {

int Load(char** argv)
{
    void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
    int32_t group = -1;
    const uint16_t result =
        LoadDICOMImageFile(argv[0], uint32_t(strtoul(argv[1], nullptr, 10)), &bits, &info,
                           uint16_t(atoi(argv[2])), uint16_t(atoi(argv[3])), &fitBits, &fitInfo, &group);
    printf("load %u\n", result);
    if (result != 0) return 1;
    const uint16_t full = SaveBitmapToFile(argv[4], info, bits);
    const uint16_t fit = SaveBitmapToFile(argv[5], fitInfo, fitBits);
    printf("save %u %u\n", full, fit);
    MemFreeGroup(group);
    return full == 0 && fit == 0 ? 0 : 1;
}

int Scan(char** argv)
{
    FILE* file = fopen(argv[0], "rb");
    if (file == nullptr) return 1;
    RszData record;
    uint16_t result = RszInitData(&record, uint32_t(atoi(argv[1])), uint16_t(atoi(argv[2])),
                                  uint16_t(atoi(argv[3])), uint16_t(atoi(argv[4])));
    printf("init %u\n", result);
    if (result != 0) return 1;
    std::vector<uint8_t> block(size_t(atoi(argv[5])));
    size_t got;
    while (result == 0 && (got = fread(block.data(), 1, block.size(), file)) > 0)
        result = RszInputDataBlock(&record, block.data(), uint32_t(got));
    fclose(file);
    printf("input %u\n", result);
    void *bits = nullptr, *info = nullptr;
    int32_t group = -1;
    if (result == 0) result = RszGetBitmap(&record, &bits, &info, &group);
    printf("bitmap %u\n", result);
    if (result == 0) result = SaveBitmapToFile(argv[6], info, bits);
    printf("save %u\n", result);
    FreeRszData(&record);
    if (group != -1) MemFreeGroup(group);
    return result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    MemInit(4000);
    if (argc == 8 && strcmp(argv[1], "load") == 0) return Load(argv + 2);
    if (argc == 9 && strcmp(argv[1], "scan") == 0) return Scan(argv + 2);
    fprintf(stderr, "usage: rsz_tool load|scan ...\n");
    return 2;
}
