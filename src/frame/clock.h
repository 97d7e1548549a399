// The module-wide clock. Every sleep, wait and millisecond tick read of the
// library goes through here, so tests can swap in a virtual clock and make an
// eight-second feeder wait cost nothing.
#ifndef FILMCORE_CLOCK_H
#define FILMCORE_CLOCK_H

#include <stdint.h>

uint32_t ClockTicks(void);          // milliseconds, wraps like GetTickCount
void ClockSleep(uint32_t ms);

// Virtual clock: ticks start at `start` and only move when the library
// sleeps (or the test advances them). Off by default.
void ClockUseVirtual(uint32_t start);
void ClockUseReal(void);
void ClockAdvance(uint32_t ms);
int ClockIsVirtual(void);
uint64_t ClockSleptTotal(void);     // virtual milliseconds slept since ClockUseVirtual

#endif
