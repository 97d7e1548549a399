#include "sysblock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#include <stdlib.h>
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

static std::recursive_mutex g_lock;

void SysLockCreate(void) {}
void SysLockDelete(void) {}
void SysLockEnter(void) { g_lock.lock(); }
void SysLockLeave(void) { g_lock.unlock(); }
void* SysLockHandle(void) { return &g_lock; }

#endif
