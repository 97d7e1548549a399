// The host's sync table: one function per parameter id, each logging what
// the library notified.
#ifndef FILMHOST_SYNC_H
#define FILMHOST_SYNC_H

#include "FilmCore.h"

SyncEntry* HostSyncTable(void);

#endif
