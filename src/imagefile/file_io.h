// Small checked helpers over C streams shared by the image writers: every
// write either completes or reports failure, offsets are 64-bit, and
// multi-byte values are laid out little-endian whatever the host order.
#ifndef FILMCORE_FILE_IO_H
#define FILMCORE_FILE_IO_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// Stream buffer of image files: rows of a few kilobytes go to the disk in
// large blocks instead of one system call (or two) per row.
enum { IMAGE_STREAM_BUFFER = 256 * 1024 };

// Opens a file and gives it a stream buffer of IMAGE_STREAM_BUFFER bytes;
// *buffer receives that memory (null when none could be had: the stream
// then keeps the library's default buffer). Null on failure.
FILE* OpenImageStream(const char* path, const char* mode, void** buffer);

// Gives an open stream a buffer as above.
void BufferImageStream(FILE* file, void** buffer);

// Closes *file if open and nulls it, then frees *buffer; false when the
// close (its final flush) failed.
bool CloseImageStream(FILE** file, void** buffer);

bool WriteBytes(FILE* file, const void* data, size_t size);
bool ReadBytes(FILE* file, void* data, size_t size);
bool WriteZeros(FILE* file, size_t size);
bool SeekTo(FILE* file, uint64_t offset);
bool WriteU16At(FILE* file, uint64_t offset, uint16_t value);
bool WriteU32At(FILE* file, uint64_t offset, uint32_t value);

inline void PutU16(uint8_t* at, uint16_t value)
{
    at[0] = (uint8_t)(value & 0xFF);
    at[1] = (uint8_t)(value >> 8);
}

inline void PutU32(uint8_t* at, uint32_t value)
{
    at[0] = (uint8_t)(value & 0xFF);
    at[1] = (uint8_t)((value >> 8) & 0xFF);
    at[2] = (uint8_t)((value >> 16) & 0xFF);
    at[3] = (uint8_t)(value >> 24);
}

inline uint16_t GetU16(const uint8_t* at)
{
    return (uint16_t)(at[0] | (at[1] << 8));
}

#endif
