// Throughput of the virtual digitizer's getImage, so the scan pipeline's
// benchmarks measure the library and not the simulator; and the long film
// that must stream in constant memory. The digitizer is found and opened
// as the library does it; a run whose digitizer cannot be opened, or that
// delivers a short image, fails and the program exits non-zero.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "bench_failures.h"
#include "digitizer/toolkit.h"
#include "vd_digitizer.h"

namespace {

// Powers the digitizer on with `ini`, finds it on the first adapter and
// opens the toolkit there, as start-up does; then a film is staged when
// there is a feeder. Empty when all went well, else what failed.
std::string PowerOn(const std::string& ini)
{
    const char* path = "/tmp/bench_digitizer.ini";
    FILE* file = fopen(path, "wb");
    if (!file)
        return std::string("cannot write ") + path;
    fputs(ini.c_str(), file);
    fclose(file);
    setenv("SCANKIT_CONFIG", path, 1);
    ToolkitInstall(VdKit());
    const ScanKit* kit = Toolkit();
    uint16_t adapters = 0;
    if (kit->findSCSIAdaptors(&adapters) != 0 || adapters == 0)
        return "no SCSI adapter";
    if (kit->setSCSIAdaptorId(0) != 0)
        return "adapter 0 refused";
    for (uint16_t target = 0; target < 8; ++target) {
        uint32_t value = 0;
        if (kit->openToolKit(target, &value) != 0)
            return "openToolKit failed";
        uint8_t inquiry[52] = {};
        if (kit->doInquiry(inquiry, sizeof inquiry) == 0 && memcmp(inquiry + 16, "NQT-", 4) == 0) {
            if (kit->getFDStatus() == 16 && kit->stageFilmInFD() != 0)
                return "no film staged";
            return "";
        }
        kit->closeToolKit();
    }
    return "no digitizer on adapter 0";
}

bool Programmed(uint16_t resolution, uint8_t bits, uint16_t scanMode, uint32_t pixels, uint32_t lines)
{
    const ScanKit* kit = Toolkit();
    return kit->setResolution(resolution) == 0 && kit->setOutputMode(bits <= 8 ? 4 : 6) == 0 &&
           kit->setScanMode(scanMode) == 0 && kit->setPixelSize(pixels, lines) == 0 &&
           kit->setBitsPerPixel(bits) == 0 && kit->setOffset(0, 0) == 0 && kit->initScanner() == 0;
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
    const uint32_t pixels = 12 * resolution, lines = 16 * resolution;
    std::string failed = PowerOn("");
    if (failed.empty() && !Programmed(resolution, bits, 1, pixels, lines))
        failed = "programming refused";
    if (!failed.empty()) {
        state.SkipWithError(failed.c_str());
        ToolkitInstall(nullptr);
        return;
    }
    std::vector<uint8_t> buffer(32768);
    int64_t bytes = 0;
    for (auto _ : state) {
        int32_t got = 0;
        TkStatus status = Toolkit()->getImage(buffer.data(), (uint32_t)buffer.size(), &got);
        if (got <= 0 && status == 0) {
            state.SkipWithError("getImage delivered nothing");
            break;
        }
        bytes += got;
        // The film ended: the next scan of it starts.
        if (status != 0 && !(Toolkit()->stopScan() == 0 && Toolkit()->initScanner() == 0)) {
            state.SkipWithError("the scan could not start again");
            break;
        }
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
    const std::string failed = PowerOn("filmWidth = 14\nfilmLength = 51\nfeederPresent = 0\n");
    if (!failed.empty()) {
        state.SkipWithError(failed.c_str());
        ToolkitInstall(nullptr);
        return;
    }
    const uint32_t pixels = 14 * 800, lines = 51 * 800;
    std::vector<uint8_t> buffer(32768 - 32768 % (2 * pixels));
    long before = PeakKilobytes();
    int64_t bytes = 0;
    for (auto _ : state) {
        if (!Programmed(800, 16, 0, pixels, lines)) {
            state.SkipWithError("programming refused");
            break;
        }
        TkStatus status = 0;
        while (status == 0) {
            int32_t got = 0;
            status = Toolkit()->getImage(buffer.data(), (uint32_t)buffer.size(), &got);
            bytes += got;
        }
        Toolkit()->stopScan();
        if (status != 10 || bytes % ((int64_t)pixels * lines * 2) != 0) {
            state.SkipWithError("short image");
            break;
        }
    }
    state.SetBytesProcessed(bytes);
    state.counters["peak_growth_kB"] = (double)(PeakKilobytes() - before);
    ToolkitInstall(nullptr);
}
BENCHMARK(BM_LongFilm)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    FailureCountingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.ExitCode();
}
