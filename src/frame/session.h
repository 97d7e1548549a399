// Session helpers shared by every subsystem.
#ifndef FILMCORE_SESSION_H
#define FILMCORE_SESSION_H

#include "FilmCore.h"

// The host's sync function for a parameter id, or null when the host
// registered none (an empty table, or no pair for that id).
HostSyncFn NotifyHost(int32_t id, DSData* ds);

// Looks the id up and, when the host has a function for it, calls it with
// the value; returns 1 when a function was called.
int NotifyHostValue(int32_t id, DSData* ds, void* value, uint32_t size);
// The value shapes of the ids (FilmCore.h): one u32, one f32 (size 4), or a
// pair of u32 (size 8).
void NotifyHostU32(int32_t id, DSData* ds, uint32_t value);
void NotifyHostFloat(int32_t id, DSData* ds, float value);
void NotifyHostPair(int32_t id, DSData* ds, uint32_t first, uint32_t second);

// A host may call an export with a session it has not set up, so every
// export checks the records it reads first. SessionComplete: all six.
bool SessionComplete(const DSData* ds);
// The scan pipelines read no ScannerInfo: a host pulling a memory transfer
// or reading a file scan block by block needs only these.
bool ScanRecordsPresent(const DSData* ds);
// The output dialogs read no ScanArea either: the host may open them on
// their own, before any scan.
bool OutputRecordsPresent(const DSData* ds);

// 1 when control group `groupId` is unlocked: bit (groupId - 14002) mod 32
// of guiControlMask, taken as a true modulo.
int IsControlGroupUnlocked(DSData* ds, int32_t groupId);

// Settings through the host's callbacks. Without a read callback the
// default is returned; without a write callback nothing is stored.
void ReadSetting(DSData* ds, const char* section, const char* key, char* buffer,
                 uint32_t size, const char* defaultText);
void WriteSetting(DSData* ds, const char* section, const char* key, const char* value);

#endif
