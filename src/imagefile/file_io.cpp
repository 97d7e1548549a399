#include "file_io.h"

#include <stdlib.h>
#include <string.h>

bool WriteBytes(FILE* file, const void* data, size_t size)
{
    if (size == 0)
        return true;
    if (!file || !data)
        return false;
    return fwrite(data, 1, size, file) == size;
}

bool ReadBytes(FILE* file, void* data, size_t size)
{
    if (size == 0)
        return true;
    if (!file || !data)
        return false;
    return fread(data, 1, size, file) == size;
}

bool WriteZeros(FILE* file, size_t size)
{
    static const uint8_t zeros[512] = {0};
    while (size > 0) {
        size_t part = size < sizeof zeros ? size : sizeof zeros;
        if (!WriteBytes(file, zeros, part))
            return false;
        size -= part;
    }
    return true;
}

bool SeekTo(FILE* file, uint64_t offset)
{
    if (!file)
        return false;
#ifdef _WIN32
    return _fseeki64(file, (long long)offset, SEEK_SET) == 0;
#else
    return fseeko(file, (off_t)offset, SEEK_SET) == 0;
#endif
}

bool WriteU16At(FILE* file, uint64_t offset, uint16_t value)
{
    uint8_t bytes[2];
    PutU16(bytes, value);
    return SeekTo(file, offset) && WriteBytes(file, bytes, sizeof bytes);
}

bool WriteU32At(FILE* file, uint64_t offset, uint32_t value)
{
    uint8_t bytes[4];
    PutU32(bytes, value);
    return SeekTo(file, offset) && WriteBytes(file, bytes, sizeof bytes);
}

void BufferImageStream(FILE* file, void** buffer)
{
    *buffer = nullptr;
    if (!file)
        return;
    void* memory = malloc(IMAGE_STREAM_BUFFER);
    if (memory && setvbuf(file, (char*)memory, _IOFBF, IMAGE_STREAM_BUFFER) == 0)
        *buffer = memory;
    else
        free(memory);
}

FILE* OpenImageStream(const char* path, const char* mode, void** buffer)
{
    *buffer = nullptr;
    FILE* file = path ? fopen(path, mode) : nullptr;
    BufferImageStream(file, buffer);
    return file;
}

bool CloseImageStream(FILE** file, void** buffer)
{
    bool closed = true;
    if (*file)
        closed = fclose(*file) == 0;
    *file = nullptr;
    free(*buffer);  // only once the stream no longer uses it
    *buffer = nullptr;
    return closed;
}
