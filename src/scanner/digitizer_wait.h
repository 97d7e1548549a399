// Waiting for the digitizer to answer before a scan command.
#ifndef FILMCORE_DIGITIZER_WAIT_H
#define FILMCORE_DIGITIZER_WAIT_H

#include <windows.h>

// Sense reads allowed for one not-ready answer, and tracking-mode rounds
// (1000 ms each) allowed for one wait, before the digitizer counts as lost.
enum { DIGITIZER_SENSE_READS = 64, DIGITIZER_TRACKING_ROUNDS = 300 };

// 1 when the digitizer answers; 0 when communication is lost, after
// "ERROR. Lost communication with digitizer." in the status line.
int WaitForDigitizerReady(HWND window);

#endif
