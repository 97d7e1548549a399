// Placeholder until the shared lock rules are merged: links the options
// dialog, locks nothing. Delete this file when control_locks.cpp arrives.
#include "ui/control_locks.h"

void ApplyControlLocks(HWND window, DSData* ds)
{
    (void)window;
    (void)ds;
}
