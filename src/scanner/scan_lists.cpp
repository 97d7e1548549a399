#include "scan_lists.h"

#include <stdio.h>

#include "res/resource.h"

static const uint32_t kResolutionCapacity = 9;
static const uint32_t kDepthCapacity = 5;

static void AddNumber(HWND list, long value)
{
    char text[16];
    snprintf(text, sizeof text, "%ld", value);
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

static bool SelectNumber(HWND list, long value)
{
    char text[16];
    snprintf(text, sizeof text, "%ld", value);
    LRESULT index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR)
        return false;
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

int FilmCountLimit(const DSData* ds)
{
    const ScannerInfo* info = ds->ScannerInfo;
    if (info->feederStatus != 16 || info->feederCapacity <= 1)
        return 1;
    return info->feederCapacity < BATCH_MAX ? info->feederCapacity : BATCH_MAX;
}

int FillResolutionList(HWND window, DSData* ds)
{
    if (!window)
        return 0;
    HWND list = GetDlgItem(window, IDC_RESOLUTION);
    const ScannerInfo* info = ds->ScannerInfo;
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    if (info->modelCode != 8 && info->modelCode != 9) {
        AddNumber(list, 75);
        AddNumber(list, 150);
        AddNumber(list, 300);
    } else {
        uint32_t count = info->resolutionCount;
        if (count > kResolutionCapacity)
            count = kResolutionCapacity;
        for (uint32_t i = 0; i < count; ++i)
            AddNumber(list, info->resolutions[i]);
    }
    if (!SelectNumber(list, static_cast<long>(ds->ScanSettings->resolution)))
        SendMessageA(list, CB_SETCURSEL, 0, 0);
    return 1;
}

int FillDepthList(HWND window, DSData* ds, int value)
{
    if (!window)
        return 0;
    const ScannerInfo* info = ds->ScannerInfo;
    ScanSettings* s = ds->ScanSettings;
    if (value > 0) {
        s->bitDepth = static_cast<uint32_t>(value);
        s->sampleBits = value >= 12 ? info->maxDepth : 8;
    }
    HWND list = GetDlgItem(window, IDC_DEPTH);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    uint32_t count = info->depthCount;
    if (count > kDepthCapacity)
        count = kDepthCapacity;
    for (uint32_t i = 0; i < count; ++i)
        AddNumber(list, info->depths[i]);
    if (!SelectNumber(list, static_cast<long>(s->bitDepth))) {
        SendMessageA(list, CB_SETCURSEL, count ? count - 1 : static_cast<WPARAM>(-1), 0);
        s->sampleBits = info->maxDepth;
        s->bitDepth = info->maxDepth < 12 ? 8 : info->maxDepth;
    }
    return 1;
}

int SetFilmCount(HWND window, DSData* ds, int value)
{
    if (!window)
        return 0;
    HWND list = GetDlgItem(window, IDC_FILM_COUNT);
    if (value >= 1 && value <= FilmCountLimit(ds)) {
        ds->ScanSettings->filmCount = static_cast<uint8_t>(value);
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(value - 1), 0);
    } else {
        SendMessageA(list, CB_SETCURSEL, 0, 0);
    }
    return 1;
}

int FillFilmCountList(HWND window, DSData* ds)
{
    if (!window)
        return 0;
    ScanSettings* s = ds->ScanSettings;
    HWND list = GetDlgItem(window, IDC_FILM_COUNT);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    int limit = FilmCountLimit(ds);
    for (int count = 1; count <= limit; ++count)
        AddNumber(list, count);
    if (ds->ImageControl->multiFilmMode == 0)
        s->filmCount = 1;
    // A count the list no longer offers cannot stay in force.
    if (s->filmCount < 1)
        s->filmCount = 1;
    if (s->filmCount > limit)
        s->filmCount = static_cast<uint8_t>(limit);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(s->filmCount - 1), 0);
    return 1;
}

uint32_t ShowImageSize(HWND window, DSData* ds, uint32_t width, uint32_t lines)
{
    ScanSettings* s = ds->ScanSettings;
    if (s->bitDepth != 1 && s->bitDepth != 8 && s->bitDepth != 12 && s->bitDepth != 16)
        s->bitDepth = 8;
    uint64_t bytes = static_cast<uint64_t>(width) * lines;
    if (s->bitDepth >= 12)
        bytes *= 2;
    if (bytes > UINT32_MAX)
        bytes = UINT32_MAX;
    char text[32];
    if (bytes >= 10001)
        snprintf(text, sizeof text, "%ldK", static_cast<long>(bytes / 1000));
    else
        snprintf(text, sizeof text, "%ld", static_cast<long>(bytes));
    if (window)
        SetDlgItemTextA(window, IDC_IMAGE_SIZE, text);
    s->progressTotal = static_cast<uint32_t>(bytes);
    return static_cast<uint32_t>(bytes);
}
