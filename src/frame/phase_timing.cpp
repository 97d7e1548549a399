#include "phase_timing.h"

#ifdef FILMCORE_PHASE_TIMING
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

namespace {

struct PhaseEvent {
    const char* name;
    int64_t start, end;
};

int64_t Frequency()
{
#ifdef _WIN32
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
#else
    return 1000000000;
#endif
}

// Written once, at unload, so the recording itself stays out of the spans.
struct PhaseLog {
    std::vector<PhaseEvent> events;
    PhaseLog() { events.reserve(1 << 20); }
    ~PhaseLog()
    {
        const char* path = getenv("FILMCORE_PHASE_LOG");
        FILE* file = path && path[0] ? fopen(path, "w") : nullptr;
        if (!file)
            return;
        fprintf(file, "frequency %lld\n", static_cast<long long>(Frequency()));
        for (const PhaseEvent& e : events)
            fprintf(file, "%s %lld %lld\n", e.name, static_cast<long long>(e.start),
                    static_cast<long long>(e.end));
        fclose(file);
    }
};

PhaseLog& Log()
{
    static PhaseLog log;
    return log;
}

}  // namespace

int64_t PhaseNow(void)
{
#ifdef _WIN32
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

void PhaseRecord(const char* name, int64_t start, int64_t end)
{
    Log().events.push_back(PhaseEvent{name, start, end});
}
#endif
