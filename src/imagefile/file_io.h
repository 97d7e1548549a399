// Small checked helpers over C streams shared by the image writers: every
// write either completes or reports failure, offsets are 64-bit, and
// multi-byte values are laid out little-endian whatever the host order.
#ifndef FILMCORE_FILE_IO_H
#define FILMCORE_FILE_IO_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

bool WriteBytes(FILE* file, const void* data, size_t size);
bool ReadBytes(FILE* file, void* data, size_t size);
bool WriteZeros(FILE* file, size_t size);
bool SeekTo(FILE* file, uint64_t offset);
bool WriteU16At(FILE* file, uint64_t offset, uint16_t value);
bool WriteU32At(FILE* file, uint64_t offset, uint32_t value);

// Closes *file if open and nulls it; false when the close (its final
// flush) failed.
bool CloseStream(FILE** file);

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
