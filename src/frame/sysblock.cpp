#include "sysblock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>

#include <atomic>
#include <thread>
#endif

static int g_refuseAfter = -1;

static bool Refused(void)
{
    if (g_refuseAfter < 0)
        return false;
    if (g_refuseAfter == 0)
        return true;
    --g_refuseAfter;
    return false;
}

void SysBlockRefuseAfter(int count)
{
    g_refuseAfter = count;
}

#ifdef _WIN32

void* SysBlockAlloc(size_t size, uintptr_t* handle)
{
    if (Refused())
        return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    *handle = reinterpret_cast<uintptr_t>(h);
    return p;
}

void SysBlockFree(uintptr_t handle)
{
    HGLOBAL h = reinterpret_cast<HGLOBAL>(handle);
    GlobalUnlock(h);
    GlobalFree(h);
}

static CRITICAL_SECTION g_lock;
static bool g_lockReady = false;

void SysLockCreate(void)
{
    if (!g_lockReady) {
        InitializeCriticalSection(&g_lock);
        g_lockReady = true;
    }
}

void SysLockDelete(void)
{
    if (g_lockReady) {
        DeleteCriticalSection(&g_lock);
        g_lockReady = false;
    }
}

void SysLockEnter(void)
{
    SysLockCreate();
    EnterCriticalSection(&g_lock);
}

void SysLockLeave(void)
{
    LeaveCriticalSection(&g_lock);
}

void* SysLockHandle(void)
{
    SysLockCreate();
    return &g_lock;
}

#else

void* SysBlockAlloc(size_t size, uintptr_t* handle)
{
    if (Refused())
        return nullptr;
    void* p = calloc(1, size ? size : 1);
    *handle = reinterpret_cast<uintptr_t>(p);
    return p;
}

void SysBlockFree(uintptr_t handle)
{
    free(reinterpret_cast<void*>(handle));
}

// A re-entrant lock as light as a critical section: one compare-and-swap
// to enter when free, a plain release store to leave.
struct RecursiveLock {
    std::atomic<uintptr_t> owner{0};
    uint32_t depth = 0;
};

static RecursiveLock g_lock;

static uintptr_t ThisThread(void)
{
    static thread_local char marker;
    return reinterpret_cast<uintptr_t>(&marker);
}

void SysLockCreate(void) {}
void SysLockDelete(void) {}

void SysLockEnter(void)
{
    uintptr_t me = ThisThread();
    if (g_lock.owner.load(std::memory_order_relaxed) == me) {
        ++g_lock.depth;
        return;
    }
    uintptr_t expected = 0;
    while (!g_lock.owner.compare_exchange_weak(expected, me, std::memory_order_acquire,
                                               std::memory_order_relaxed)) {
        expected = 0;
        std::this_thread::yield();
    }
    g_lock.depth = 1;
}

void SysLockLeave(void)
{
    if (--g_lock.depth == 0)
        g_lock.owner.store(0, std::memory_order_release);
}

void* SysLockHandle(void) { return &g_lock; }

#endif
