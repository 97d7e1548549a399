#include "session_images.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "frame/file_fault.h"

namespace {

// The record as the file stores it: word 0, the link word, then the rest.
void StoredForm(const SessionImage* image, uint8_t out[SESSION_IMAGE_BYTES])
{
    uint32_t link = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(image->next));
    memcpy(out, &image->word0, 4);
    memcpy(out + 4, &link, 4);
    memcpy(out + 8, image->name, sizeof image->name);
}

bool WriteRecord(FILE* file, const SessionImage* image)
{
    uint8_t bytes[SESSION_IMAGE_BYTES];
    StoredForm(image, bytes);
    return fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
}

// Moves on from the current record to the first one with an empty name, or
// to the end; a trailing part-record is written over, so that records stay
// on their 732-byte boundaries.
bool SeekFreeRecord(FILE* file)
{
    uint8_t bytes[SESSION_IMAGE_BYTES];
    for (;;) {
        long at = ftell(file);
        if (at < 0)
            return false;
        size_t got = fread(bytes, 1, sizeof bytes, file);
        if (got < sizeof bytes || bytes[8] == '\0')
            return fseek(file, at, SEEK_SET) == 0;
    }
}

uint16_t Close(FILE* file, uint16_t result, const char* fileName)
{
    int error = errno;
    if (fclose(file) != 0 && result == FC_OK) {
        error = errno;
        result = FC_SHORT_WRITE;
    }
    if (result != FC_OK)
        LogFileError("SaveSessionImageList", "write", fileName, error);
    return result;
}

}  // namespace

uint16_t SaveSessionImageList(const char* fileName, const SessionImage* list)
{
    if (!fileName)
        return FC_OPEN_FAILED;
    FILE* file = fopen(fileName, "rb+");
    bool existed = file != nullptr;
    if (!existed)
        file = fopen(fileName, "wb");
    if (!file) {
        LogFileError("SaveSessionImageList", "create", fileName, errno);
        return FC_OPEN_FAILED;
    }
    for (const SessionImage* image = list; image; image = image->next) {
        if (existed && !SeekFreeRecord(file))
            return Close(file, FC_SHORT_WRITE, fileName);
        if (!WriteRecord(file, image) || fflush(file) != 0)
            return Close(file, FC_SHORT_WRITE, fileName);
    }
    return Close(file, FC_OK, fileName);
}

uint16_t DeleteSessionImages(const SessionImage* list)
{
    for (const SessionImage* image = list; image; image = image->next) {
        char name[sizeof image->name + 1];
        memcpy(name, image->name, sizeof image->name);
        name[sizeof image->name] = '\0';
        remove(name);
    }
    return FC_OK;
}
