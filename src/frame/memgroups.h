// Memory groups: per-task memory handed out in pieces and released as a
// whole, plus a first-fit sub-allocator inside caller-supplied pools.
// The exported functions are declared in FilmCore.h.
#ifndef FILMCORE_MEMGROUPS_H
#define FILMCORE_MEMGROUPS_H

#include "FilmCore.h"

#define MEM_BLOCK_MARK 0x4892548Eu
#define MEM_POOL_MARK 0x4389223Du
#define MEM_DEFAULT_BUFFER 4000

// Bytes a pool needs besides its chunks, and bytes each chunk takes besides
// the caller's; 16 and 16 in the 32-bit build.
uint32_t MemSubPoolOverhead(void);
// 1 while `address` is a block of MemAllocBlock not yet freed.
int MemBlockIsLive(const void* address);
// Groups in use, so that a task can be checked to give back what it took.
uint32_t MemGroupCount(void);
uint32_t MemSubChunkOverhead(void);

// System blocks now held (group buffers and MemAllocBlock blocks alike):
// what leak checks compare before and after a task.
uint32_t MemBlocksInUse(void);

#endif
