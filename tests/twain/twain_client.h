// What every test application of the source shares: the manager's entry,
// the application's identity and window, and calls to the manager and to
// FilmTwain as the manager lists it.
#ifndef FILMTWAIN_TEST_CLIENT_H
#define FILMTWAIN_TEST_CLIENT_H

#include <windows.h>

#include "twain_types.h"

extern DSMENTRYPROC g_dsm;
extern TW_IDENTITY g_app;
extern TW_IDENTITY g_source;
extern HWND g_window;
// The word a fatal line starts with ("FATAL" unless the application says).
extern const char* g_fatalWord;

TW_UINT16 Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
// The source's condition code for the last call (DAT_STATUS).
TW_UINT16 Condition();
[[noreturn]] void Fatal(const char* what);

// Loads twain_32.dll and opens the manager as `productName`.
void OpenManager(const char* productName);
// The manager's list, searched for FilmTwain; fatal when it is missing.
void FindSource();
TW_UINT16 TryOpenSource();
TW_UINT16 TryCloseSource();
// MSG_SET of one value.
TW_UINT16 SetOne(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 item);

#endif
