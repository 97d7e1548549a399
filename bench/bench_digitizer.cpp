// Throughput of the virtual digitizer's getImage, so the scan pipeline's
// benchmarks measure the library and not the simulator; and the long film
// that must stream in constant memory.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "digitizer/toolkit.h"
#include "vd_digitizer.h"

namespace {

void PowerOn(const std::string& ini)
{
    const char* path = "/tmp/bench_digitizer.ini";
    FILE* file = fopen(path, "wb");
    if (!file) abort();
    fputs(ini.c_str(), file);
    fclose(file);
    setenv("SCANKIT_CONFIG", path, 1);
    ToolkitInstall(VdKit());
    uint16_t adapters = 0;
    Toolkit()->findSCSIAdaptors(&adapters);
    Toolkit()->stageFilmInFD();
}

void Program(uint16_t resolution, uint8_t bits, uint16_t scanMode, uint32_t pixels, uint32_t lines)
{
    const ScanKit* kit = Toolkit();
    kit->setResolution(resolution);
    kit->setOutputMode(bits <= 8 ? 4 : 6);
    kit->setScanMode(scanMode);
    kit->setPixelSize(pixels, lines);
    kit->setBitsPerPixel(bits);
    kit->setOffset(0, 0);
    kit->initScanner();
}

long PeakKilobytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Whole-width scans of the synthetic film, read 32768 bytes at a time as
// the pipeline does; the scan restarts when the film ends.
void BM_GetImage(benchmark::State& state)
{
    uint16_t resolution = (uint16_t)state.range(0);
    uint8_t bits = (uint8_t)state.range(1);
    PowerOn("");
    Program(resolution, bits, 1, 12 * resolution, 16 * resolution);
    std::vector<uint8_t> buffer(32768);
    int64_t bytes = 0;
    for (auto _ : state) {
        int32_t got = 0;
        TkStatus status = Toolkit()->getImage(buffer.data(), (uint32_t)buffer.size(), &got);
        bytes += got;
        if (status != 0) Toolkit()->stopScan();
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(bytes);
    ToolkitInstall(nullptr);
}
BENCHMARK(BM_GetImage)->Args({800, 16})->Args({800, 8})->Args({300, 16})->Args({100, 8});

// A 14 x 51 inch film at 800 dpi and 16 bits, read whole: 914 MB through a
// buffer of one line.
void BM_LongFilm(benchmark::State& state)
{
    PowerOn("filmWidth = 14\nfilmLength = 51\nfeederPresent = 0\n");
    const uint32_t pixels = 14 * 800, lines = 51 * 800;
    std::vector<uint8_t> buffer(32768 - 32768 % (2 * pixels));
    long before = PeakKilobytes();
    int64_t bytes = 0;
    for (auto _ : state) {
        Program(800, 16, 0, pixels, lines);
        TkStatus status = 0;
        while (status == 0) {
            int32_t got = 0;
            status = Toolkit()->getImage(buffer.data(), (uint32_t)buffer.size(), &got);
            bytes += got;
        }
        Toolkit()->stopScan();
        if (status != 10 || bytes % ((int64_t)pixels * lines * 2) != 0) state.SkipWithError("short image");
    }
    state.SetBytesProcessed(bytes);
    state.counters["peak_growth_kB"] = (double)(PeakKilobytes() - before);
    ToolkitInstall(nullptr);
}
BENCHMARK(BM_LongFilm)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
