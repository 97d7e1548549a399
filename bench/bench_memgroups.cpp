// Memory groups against malloc+free, for the small pieces a task takes.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <vector>

#include "frame/memgroups.h"

namespace {

// Piece sizes 16 to 256 bytes, the same sequence for both sides.
std::vector<int32_t> PieceSizes(size_t count)
{
    std::vector<int32_t> sizes(count);
    uint32_t x = 12345;
    for (auto& s : sizes) {
        x = x * 1103515245u + 12345u;
        s = 16 + static_cast<int32_t>((x >> 16) % 241);
    }
    return sizes;
}

const size_t kPiecesPerTask = 64;

// A task takes its pieces from one group, which is then rewound for the next.
void BM_MemGetBuffer(benchmark::State& state)
{
    MemInit(4000);
    int32_t id;
    MemGetGroupID(&id);
    auto sizes = PieceSizes(kPiecesPerTask);
    for (auto _ : state) {
        for (int32_t size : sizes)
            benchmark::DoNotOptimize(MemGetBuffer(id, size));
        MemRewindGroup(id);
    }
    state.SetItemsProcessed(state.iterations() * kPiecesPerTask);
    MemDeinit();
}
BENCHMARK(BM_MemGetBuffer);

void BM_MallocFree(benchmark::State& state)
{
    auto sizes = PieceSizes(kPiecesPerTask);
    std::vector<void*> pieces(kPiecesPerTask);
    for (auto _ : state) {
        for (size_t i = 0; i < kPiecesPerTask; ++i) {
            pieces[i] = malloc(static_cast<size_t>(sizes[i]));
            benchmark::DoNotOptimize(pieces[i]);
        }
        for (void* p : pieces)
            free(p);
    }
    state.SetItemsProcessed(state.iterations() * kPiecesPerTask);
}
BENCHMARK(BM_MallocFree);

// Group churn with 100 groups alive: take a group, use it, free it.
void BM_GroupChurn(benchmark::State& state)
{
    MemInit(4000);
    std::vector<int32_t> alive(100);
    for (auto& id : alive)
        MemGetGroupID(&id);
    size_t next = 0;
    for (auto _ : state) {
        int32_t victim = alive[next];
        MemFreeGroup(victim);
        MemGetGroupID(&alive[next]);
        benchmark::DoNotOptimize(MemGetBuffer(alive[next], 64));
        next = (next + 37) % alive.size();
    }
    state.SetItemsProcessed(state.iterations());
    MemDeinit();
}
BENCHMARK(BM_GroupChurn);

}  // namespace

BENCHMARK_MAIN();
