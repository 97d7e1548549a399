#include "clock.h"
#include "phase_timing.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

static int g_virtual = 0;
static uint32_t g_virtualTicks = 0;
static uint64_t g_virtualSlept = 0;

uint32_t ClockTicks(void)
{
    if (g_virtual)
        return g_virtualTicks;
#ifdef _WIN32
    return GetTickCount();
#else
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
#endif
}

void ClockSleep(uint32_t ms)
{
    PHASE_SPAN("ClockSleep");
    if (g_virtual) {
        g_virtualTicks += ms;
        g_virtualSlept += ms;
        return;
    }
#ifdef _WIN32
    Sleep(ms);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

void ClockUseVirtual(uint32_t start)
{
    g_virtual = 1;
    g_virtualTicks = start;
    g_virtualSlept = 0;
}

void ClockUseReal(void)
{
    g_virtual = 0;
}

void ClockAdvance(uint32_t ms)
{
    g_virtualTicks += ms;
}

int ClockIsVirtual(void)
{
    return g_virtual;
}

uint64_t ClockSleptTotal(void)
{
    return g_virtualSlept;
}
