// Spans of a scan job's phases, for measuring where its time goes. Only a
// build configured with FILMCORE_PHASE_TIMING records them (into the file
// named by the environment variable FILMCORE_PHASE_LOG, when the module
// unloads); in the product PHASE_SPAN is empty.
#ifndef FILMCORE_PHASE_TIMING_H
#define FILMCORE_PHASE_TIMING_H

#ifdef FILMCORE_PHASE_TIMING
#include <stdint.h>

int64_t PhaseNow(void);
void PhaseRecord(const char* name, int64_t start, int64_t end);

struct PhaseSpan {
    const char* name;
    int64_t start;
    explicit PhaseSpan(const char* n) : name(n), start(PhaseNow()) {}
    ~PhaseSpan() { PhaseRecord(name, start, PhaseNow()); }
};
#define PHASE_SPAN(name) PhaseSpan phaseSpan_(name)
// The value of `call`, its time recorded under `name`.
#define PHASE_CALL(name, call) ([&] { PHASE_SPAN(name); return call; }())
#else
#define PHASE_SPAN(name) ((void)0)
#define PHASE_CALL(name, call) (call)
#endif

#endif
