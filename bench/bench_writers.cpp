// Writes a 14 x 17 inch film at 300 dpi (4200 x 5100), 8 and 16 bits,
// row by row through each writer, next to the peers: plain buffered fwrite
// of the same bytes (the limit), libtiff scanlines and a DCMTK data set.
// Prints MB/s per case and, at the end, each ratio against its peer with
// the target it is held to, also as "row|" lines for scripts/bench's table.
// Exits non-zero when a case failed to run.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include <dcmtk/dcmdata/dctk.h>
#include <tiffio.h>

#include "bench_failures.h"
#include "imagefile/dicom_table.h"
#include "imagefile/output_writer.h"

namespace {

const uint32_t kWidth = 4200;
const uint32_t kRows = 5100;

const std::vector<uint8_t>& Film(uint32_t bits)
{
    static std::map<uint32_t, std::vector<uint8_t>> films;
    std::vector<uint8_t>& film = films[bits];
    if (film.empty()) {
        size_t rowBytes = (size_t)kWidth * (bits / 8);
        film.resize(rowBytes * kRows);
        uint32_t seed = 12345;
        for (uint8_t& b : film) {
            seed = seed * 1103515245u + 12345u;
            b = (uint8_t)(seed >> 16);
        }
    }
    return film;
}

std::string OutputPath(const char* name)
{
    const char* folder = getenv("TMPDIR");
    return std::string(folder && folder[0] ? folder : "/tmp") + "/fcbench_" + name;
}

size_t RowBytes(uint32_t bits)
{
    return (size_t)kWidth * (bits / 8);
}

void Finish(benchmark::State& state, uint32_t bits, const std::string& path)
{
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)Film(bits).size());
    remove(path.c_str());
}

void PlainFwrite(benchmark::State& state)
{
    uint32_t bits = (uint32_t)state.range(0);
    const std::vector<uint8_t>& film = Film(bits);
    std::string path = OutputPath("plain.raw");
    std::vector<char> buffer(256 * 1024);
    for (auto _ : state) {
        FILE* f = fopen(path.c_str(), "wb");
        setvbuf(f, buffer.data(), _IOFBF, buffer.size());  // as large as the writers' own
        for (uint32_t y = 0; y < kRows; ++y)
            fwrite(film.data() + y * RowBytes(bits), 1, RowBytes(bits), f);
        if (fclose(f) != 0)
            state.SkipWithError("fwrite failed");
    }
    Finish(state, bits, path);
}

void OurWriter(benchmark::State& state, uint32_t format, const char* name)
{
    uint32_t bits = (uint32_t)state.range(0);
    const std::vector<uint8_t>& film = Film(bits);
    std::string path = OutputPath(name);
    for (auto _ : state) {
        OutputWriter writer = {};
        uint32_t width = kWidth, dpi = 300;
        uint16_t result = OpenOutputWriter(&writer, path.c_str(), format);
        SetWriterParam(&writer, ImageWidth, &width, 4);
        SetWriterParam(&writer, BitsPerSample, &bits, 4);
        SetWriterParam(&writer, Resolution, &dpi, 4);
        result = result ? result : BeginOutputImage(&writer);
        for (uint32_t y = 0; result == 0 && y < kRows; ++y)
            result = WriteOutputRow(&writer, film.data() + y * RowBytes(bits));
        result = result ? result : FinishOutputImage(&writer);
        result = result ? result : ReleaseOutputWriter(&writer);
        if (result)
            state.SkipWithError("writer failed");
    }
    Finish(state, bits, path);
}

void Bitmap(benchmark::State& state) { OurWriter(state, OUTPUT_BITMAP, "writer.bmp"); }
void Tiff(benchmark::State& state) { OurWriter(state, OUTPUT_TIFF, "writer.tif"); }

void Dicom(benchmark::State& state)
{
    static bool started = (MemInit(0), true);
    (void)started;
    DcmSetElemU16(DCM_TAG(0x0028, 0x0002), 1);
    DcmSetElemValue(DCM_TAG(0x0028, 0x0004), "MONOCHROME2 ", 12);
    OurWriter(state, OUTPUT_DICOM, "writer.dcm");
}

void Libtiff(benchmark::State& state)
{
    uint32_t bits = (uint32_t)state.range(0);
    const std::vector<uint8_t>& film = Film(bits);
    std::string path = OutputPath("libtiff.tif");
    std::vector<uint8_t> row(RowBytes(bits));
    for (auto _ : state) {
        TIFF* tif = TIFFOpen(path.c_str(), "w");
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kRows);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kRows);
        bool ok = true;
        for (uint32_t y = 0; ok && y < kRows; ++y) {
            // TIFFWriteScanline may alter its buffer (byte swapping), so
            // it gets a copy, as a scan line from the digitizer would be.
            memcpy(row.data(), film.data() + y * RowBytes(bits), row.size());
            ok = TIFFWriteScanline(tif, row.data(), y, 0) == 1;
        }
        TIFFClose(tif);
        if (!ok)
            state.SkipWithError("TIFFWriteScanline failed");
    }
    Finish(state, bits, path);
}

void Dcmtk(benchmark::State& state)
{
    uint32_t bits = (uint32_t)state.range(0);
    const std::vector<uint8_t>& film = Film(bits);
    std::string path = OutputPath("dcmtk.dcm");
    for (auto _ : state) {
        DcmDataset dataset;
        dataset.putAndInsertUint16(DCM_SamplesPerPixel, 1);
        dataset.putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
        dataset.putAndInsertUint16(DCM_Rows, (Uint16)kRows);
        dataset.putAndInsertUint16(DCM_Columns, (Uint16)kWidth);
        dataset.putAndInsertUint16(DCM_BitsAllocated, (Uint16)bits);
        dataset.putAndInsertUint16(DCM_BitsStored, (Uint16)bits);
        dataset.putAndInsertUint16(DCM_HighBit, (Uint16)(bits - 1));
        OFCondition put = bits > 8
            ? dataset.putAndInsertUint16Array(DCM_PixelData, (const Uint16*)film.data(),
                                              (unsigned long)(film.size() / 2))
            : dataset.putAndInsertUint8Array(DCM_PixelData, film.data(),
                                             (unsigned long)film.size());
        OFCondition saved = dataset.saveFile(path.c_str(), EXS_LittleEndianImplicit);
        if (put.bad() || saved.bad())
            state.SkipWithError("DCMTK failed");
    }
    Finish(state, bits, path);
}

// Keeps the median real and CPU time per iteration of every case.
class RatioReporter : public FailureCountingReporter {
public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> times;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median || run.iterations <= 0)
                continue;
            Times& t = times[run.run_name.function_name + "/" + run.run_name.args];
            // An aggregate's times are its per-iteration value times its
            // count of repetitions, which it keeps as its iterations.
            t.real = run.real_accumulated_time / run.iterations;
            t.cpu = run.cpu_accumulated_time / run.iterations;
        }
        FailureCountingReporter::ReportRuns(runs);
    }
};

// The ratio of real times, median against median; a target of 0 only
// informs. A pair that did not run is reported as missing.
void PrintRatio(const RatioReporter& r, const char* ours, const char* peer, int bits, double target)
{
    std::string suffix = "/" + std::to_string(bits);
    auto a = r.times.find(std::string(ours) + suffix);
    auto b = r.times.find(std::string(peer) + suffix);
    if (a == r.times.end() || b == r.times.end() || b->second.real <= 0 || b->second.cpu <= 0) {
        printf("%-6s %2d-bit vs %-11s: missing\n", ours, bits, peer);
        printf("row|%s %d-bit writer|-|%s|-|-|%.2f|MISSING\n", ours, bits, peer, target);
        return;
    }
    double real = a->second.real / b->second.real;
    double cpu = a->second.cpu / b->second.cpu;
    const char* verdict = target <= 0 ? "info" : real <= target ? "ok" : "OVER";
    printf("%-6s %2d-bit vs %-11s: %.2f x real time, %.2f x CPU time (target %.2f) %s\n", ours, bits, peer,
           real, cpu, target, verdict);
    printf("row|%s %d-bit writer|%.4f s|%s|%.4f s|%.2f|%s|%s\n", ours, bits, a->second.real, peer,
           b->second.real, real, target > 0 ? std::to_string(target).substr(0, 4).c_str() : "-", verdict);
}

}  // namespace

// Medians of five runs: the machine may be busy with other work.
#define FILM_BENCH(fn)                                                                   \
    BENCHMARK(fn)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5) \
        ->Repetitions(5)->ReportAggregatesOnly(true)

FILM_BENCH(PlainFwrite);
FILM_BENCH(Bitmap);
FILM_BENCH(Dicom);
FILM_BENCH(Tiff);
FILM_BENCH(Libtiff);
FILM_BENCH(Dcmtk);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printf("\nImage %u x %u, written row by row:\n", kWidth, kRows);
    for (int bits : {8, 16}) {
        PrintRatio(reporter, "Bitmap", "PlainFwrite", bits, 1.1);
        PrintRatio(reporter, "Dicom", "PlainFwrite", bits, 1.1);
        PrintRatio(reporter, "Tiff", "Libtiff", bits, 1.5);
        PrintRatio(reporter, "Dicom", "Dcmtk", bits, 0);
    }
    benchmark::Shutdown();
    return reporter.ExitCode();
}
