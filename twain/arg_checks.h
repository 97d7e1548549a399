// What an application hands the source, checked before the source uses it.
// Portable, so each check is tested and fuzzed natively. Each answers a
// condition code: TWCC_SUCCESS when the argument may be used.
#ifndef FILMTWAIN_ARG_CHECKS_H
#define FILMTWAIN_ARG_CHECKS_H

#include <stddef.h>

#include "twain_types.h"

// A triplet's data pointer: every one but DAT_IMAGEFILEXFER (the file was
// named beforehand) needs its structure.
uint16_t CheckDataGiven(uint16_t dat, const void* data);

// DAT_ENTRYPOINT: the manager's structure at least as large as ours.
uint16_t CheckEntryPoint(const TW_ENTRYPOINT& entry);

// A memory transfer's buffer: present, at least one line of `lineBytes`,
// flagged as exactly one of TWMF_POINTER and TWMF_HANDLE, and a handle no smaller than the length it claims (`handleSize` is the
// handle's allocation, unused for a pointer). TWCC_OPERATIONERROR when the
// image has no line width to cut strips by.
uint16_t CheckMemoryBuffer(const TW_MEMORY& memory, uint32_t lineBytes, size_t handleSize);

// DAT_SETUPFILEXFER MSG_SET: a terminated, non-empty file name in a format
// the source writes.
uint16_t CheckFileSetup(const TW_SETUPFILEXFER& setup);

// Whether a fixed-size string holds its terminator.
bool Terminated(const char* text, size_t size);
// A copy of an identity whose strings are sure to end within their fields.
TW_IDENTITY TerminatedIdentity(const TW_IDENTITY& id);

#endif
