#include "host_view.h"

#include <windows.h>

#include "FilmCore.h"
#include "host_log.h"

namespace {

const int kViewFailed = 5;

struct Bitmap {
    void* bits = nullptr;
    void* info = nullptr;
};

void LogSize(const char* what, const Bitmap& b)
{
    const BITMAPINFOHEADER* h = static_cast<const BITMAPINFOHEADER*>(b.info);
    HostLog("%s: %ldx%ld, %u bits, %lu pixel bytes", what, static_cast<long>(h->biWidth),
            static_cast<long>(h->biHeight), h->biBitCount, static_cast<unsigned long>(h->biSizeImage));
}

bool Level(const char* what, const ViewRequest& r, const Bitmap& b)
{
    const uint16_t rc = SetWinLevel(b.info, r.level, r.width);
    HostLog("SetWinLevel %s level %d width %d: %u", what, r.level, r.width, rc);
    return rc == 0;
}

bool Save(const char* what, const char* path, const Bitmap& b)
{
    const uint16_t rc = SaveBitmapToFile(path, b.info, b.bits);
    HostLog("SaveBitmapToFile %s %s: %u", what, path, rc);
    return rc == 0;
}

} // namespace

int ViewImageFile(const ViewRequest& r)
{
    Bitmap reduced, fitted;
    int32_t group = -1;
    const uint16_t rc = LoadDICOMImageFile(r.file, r.maxPixels, &reduced.bits, &reduced.info, r.boundWidth,
                                           r.boundHeight, &fitted.bits, &fitted.info, &group);
    HostLog("LoadDICOMImageFile %s max %lu bound %ux%u: %u", r.file, static_cast<unsigned long>(r.maxPixels),
            r.boundWidth, r.boundHeight, rc);
    if (rc != 0)
        return kViewFailed;
    LogSize("reduced", reduced);
    LogSize("fitted", fitted);
    bool ok = true;
    if (r.levelled)
        ok = Level("reduced", r, reduced) && Level("fitted", r, fitted);
    if (ok && r.save)
        ok = Save("reduced", r.save, reduced);
    if (ok && r.saveFit)
        ok = Save("fitted", r.saveFit, fitted);
    MemFreeGroup(group);
    return ok ? 0 : kViewFailed;
}
