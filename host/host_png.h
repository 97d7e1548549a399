// A small PNG writer for the dialog screenshots: 8-bit RGB, one IDAT chunk
// of stored (uncompressed) deflate blocks, so no compressor is needed.
#ifndef FILMHOST_PNG_H
#define FILMHOST_PNG_H

#include <stddef.h>
#include <stdint.h>

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size);

// Rows of 3 * width bytes (red, green, blue), `stride` bytes apart, top row
// first. 0 written; 1 bad size; 2 the file could not be created or written.
int WritePng(const char* path, uint32_t width, uint32_t height, const uint8_t* rgb, size_t stride);

#endif
