#include "grey_palette.h"

#include "FilmCore.h"

HPALETTE MakeGreyPalette(int entries)
{
    if (entries <= 0 || entries > 0xFFFF)
        return nullptr;
    int32_t group = FC_NO_GROUP;
    if (MemGetGroupID(&group) != FC_OK)
        return nullptr;
    size_t bytes = sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(entries);
    LOGPALETTE* table = static_cast<LOGPALETTE*>(MemGetBuffer(group, static_cast<int32_t>(bytes)));
    HPALETTE palette = nullptr;
    if (table) {
        table->palVersion = 0x300;
        table->palNumEntries = static_cast<WORD>(entries);
        for (int i = 0; i < entries; ++i) {
            // Displays have at most 256 entries; a larger one repeats the ramp.
            BYTE level = static_cast<BYTE>(i);
            table->palPalEntry[i] = {level, level, level, 0};
        }
        palette = CreatePalette(table);
    }
    MemFreeGroup(group);
    return palette;
}

HPALETTE MakeDisplayPalette(void)
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return nullptr;
    int entries = 0;
    if (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE)
        entries = GetDeviceCaps(screen, SIZEPALETTE);
    ReleaseDC(nullptr, screen);
    return entries > 0 ? MakeGreyPalette(entries) : nullptr;
}
