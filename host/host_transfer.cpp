#include "host_transfer.h"

#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "host_image_file.h"
#include "host_log.h"
#include "host_session.h"

namespace {

bool IsMemoryTransfer(const DSData* ds)
{
    // MemScanInitialize marks the scan complete while it calls the host.
    return ds->ScanSettings->scanState == 2 && ds->OutputSettings->transferMode == 1;
}

bool FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The library writes every handed-over file under the same name, so the
// host keeps a copy of its own when it has an output folder.
void RecordHandedFile(HostSession* s, const char* path)
{
    HostLog("imageReady: file %s", path);
    if (!FileExists(path)) {
        HostLog("imageReady: %s does not exist", path);
        return;
    }
    if (s->options.outDir.empty()) {
        AddSessionImage(s, path);
        return;
    }
    const char* dot = strrchr(path, '.');
    char name[64];
    snprintf(name, sizeof name, "transfer-%d%s", ++s->transfers, dot ? dot : "");
    const std::string copy = HostOutputPath(s, name);
    if (CopyFileA(path, copy.c_str(), FALSE))
        AddSessionImage(s, copy.c_str());
    else
        HostLog("imageReady: could not copy %s to %s", path, copy.c_str());
}

// Reads blocks until the library reports the end; false on a failed or
// cancelled read or a block that does not hold whole lines of one size.
bool PullBlocks(DSData* ds, HostImageFile* file, uint32_t blockBytes, int* blocks)
{
    std::vector<uint8_t> buffer(blockBytes);
    for (;;) {
        uint32_t bytes = blockBytes, lines = 0xFFFFFFFFu;
        int32_t status = 0;
        if (!MemScanReadBlock(ds, buffer.data(), &bytes, &lines, &status)) {
            HostLog("transfer: MemScanReadBlock ended the transfer (status %d) after %u lines", status,
                    file->lines);
            return false;
        }
        if (lines == 0)
            return true;
        if (bytes > blockBytes || bytes % lines != 0 ||
            !WriteHostImageLines(file, buffer.data(), bytes / lines, lines)) {
            HostLog("transfer: a block of %u bytes for %u lines does not fit the image", bytes, lines);
            return false;
        }
        ++*blocks;
        if (status != 0 && status != 10) {
            HostLog("transfer: digitizer status %d after %u lines", status, file->lines);
            return false;
        }
    }
}

} // namespace

void OnImageReady(DSData* ds)
{
    HostSession* s = TheHostSession();
    if (IsMemoryTransfer(ds)) {
        // Pulled from the host's own loop, as a TWAIN application asks for
        // the transfer once it has been told: the library is still inside
        // the scan command here.
        HostLog("imageReady: memory transfer");
        PostMessageA(s->hostWindow, WM_HOST_TRANSFER, 0, 0);
        return;
    }
    RecordHandedFile(s, ds->OutputSettings->outputPath);
}

void PullMemoryTransfer(HostSession* s)
{
    DSData* ds = &s->ds;
    const uint32_t depth = ds->ScanSettings->bitDepth;
    const bool raw = s->options.rawTransfer || depth == 1;
    char name[64];
    snprintf(name, sizeof name, "transfer-%d.%s", ++s->transfers, raw ? "raw" : "pgm");
    const std::string path = HostOutputPath(s, name);
    HostImageFile file;
    if (!OpenHostImageFile(&file, path.c_str(), depth, ds->ImageControl->twelveHigh != 0, raw)) {
        HostLog("transfer: cannot create %s (depth %u)", path.c_str(), depth);
        MemStopScan(ds);
        s->exitCode = 4;
        return;
    }
    int blocks = 0;
    const bool pulled = PullBlocks(ds, &file, s->options.blockBytes, &blocks);
    if (pulled)
        MemScanFinish(ds);
    else
        MemStopScan(ds);
    const bool written = CloseHostImageFile(&file);
    if (!pulled || !written || file.lines == 0) {
        HostLog("transfer: %s not kept (%s)", path.c_str(),
                !pulled ? "transfer failed" : !written ? "write failed" : "no lines delivered");
        DeleteFileA(path.c_str());
        s->exitCode = 4;
        return;
    }
    HostLog("transfer: %u lines of %u pixels at %u bits in %d blocks -> %s", file.lines, HostImageWidth(&file),
            depth, blocks, path.c_str());
    AddSessionImage(s, path.c_str());
}

void RecordSavedImage(HostSession* s)
{
    const DSData* ds = &s->ds;
    // In multi-film mode a film's command is handled while the next film is
    // readied, when outputPath already names that one: the k-th command
    // since the Scan press is the k-th film of the batch.
    const int film = ++s->filmsFinished;
    if (!ds->ImageControl->saveToDiskActive || ds->ScanSettings->scanCancelled)
        return;
    const bool batch = ds->ImageControl->multiFilmMode && film <= BATCH_MAX;
    const char* path = batch ? ds->OutputSettings->batchNames[film - 1] : ds->OutputSettings->outputPath;
    if (FileExists(path))
        AddSessionImage(s, path);
    else
        HostLog("scan to disk: %s does not exist", path);
}
