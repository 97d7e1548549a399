// The system memory layer under the memory groups: movable, zero-filled
// blocks that stay locked for their whole life. GlobalAlloc on Windows,
// calloc elsewhere, so the allocator itself is portable.
#ifndef FILMCORE_SYSBLOCK_H
#define FILMCORE_SYSBLOCK_H

#include <stddef.h>
#include <stdint.h>

// Returns the locked address and the system handle, or null when refused.
void* SysBlockAlloc(size_t size, uintptr_t* handle);
void SysBlockFree(uintptr_t handle);

// Test seam: refuse every allocation after `count` more have succeeded;
// a negative count turns refusal off.
void SysBlockRefuseAfter(int count);

// The allocator's lock: re-entrant for the owning thread.
void SysLockCreate(void);
void SysLockDelete(void);
void SysLockEnter(void);
void SysLockLeave(void);
void* SysLockHandle(void);

#endif
