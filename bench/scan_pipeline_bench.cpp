// Under Wine, in one process: ScanProcRun of a 14 x 17 inch film at 300 dpi
// (4200 x 5100), 8 and 16 bits, to each format, with a digitizer that
// delivers at once, next to writing the same rows through the writer alone;
// and the peak working set above the idle level while a 14 x 51 inch
// landscape film at 800 dpi, 16 bits (11200 x 40800), is scanned to DICOM.
//   scan_pipeline_bench.exe speed|memory FOLDER
// Figures are medians of nine rounds, writer and scan taking turns, so that
// runs on a shared machine agree; each also goes out as a "row|" line for
// scripts/bench's table. Exits non-zero when a scan or a write fails.
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frame/clock.h"
#include "imagefile/output_writer.h"
#include "pipeline/scan_proc.h"
#include "main_dialog_stub.h"
#include "digitizer/toolkit.h"
#include "session_fixture.h"

namespace {

const uint32_t kBandLines = 61;   // rows repeat with a period no request size shares

// The digitizer: lines of a band made once, handed out by copying.
struct InstantFilm {
    uint32_t lineBytes = 0;
    uint64_t total = 0, delivered = 0;
    std::vector<uint8_t> band;
} g_film;

void MakeFilm(uint32_t pixels, uint32_t lines, uint32_t bytesPerSample)
{
    g_film.lineBytes = pixels * bytesPerSample;
    g_film.total = (uint64_t)g_film.lineBytes * lines;
    g_film.delivered = 0;
    g_film.band.resize((size_t)g_film.lineBytes * kBandLines);
    uint32_t seed = 12345;
    for (size_t i = 0; i < g_film.band.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        g_film.band[i] = (uint8_t)(seed >> 16);
        if (bytesPerSample == 2 && i % 2) g_film.band[i] &= 0x0F;   // 12-bit values
    }
}

const uint8_t* FilmLine(uint64_t line)
{
    return g_film.band.data() + (size_t)(line % kBandLines) * g_film.lineBytes;
}

TkStatus InstantGetImage(uint8_t* buffer, uint32_t wanted, int32_t* got)
{
    uint64_t end = g_film.delivered + wanted;
    if (end > g_film.total) end = g_film.total;
    uint8_t* out = buffer;
    while (g_film.delivered < end) {
        uint64_t line = g_film.delivered / g_film.lineBytes;
        uint32_t at = (uint32_t)(g_film.delivered % g_film.lineBytes);
        uint64_t take = g_film.lineBytes - at;
        if (take > end - g_film.delivered) take = end - g_film.delivered;
        memcpy(out, FilmLine(line) + at, (size_t)take);
        out += take;
        g_film.delivered += take;
    }
    *got = (int32_t)(out - buffer);
    return g_film.delivered == g_film.total ? 10 : 0;
}

TkStatus InstantAverageCount(uint16_t* count)
{
    *count = 1;
    return 0;
}

TkStatus Quiet(void) { return 0; }

void InstallInstantDigitizer()
{
    static ScanKit table;
    table = *ToolkitStandIns();
    table.getImage = InstantGetImage;
    table.getAverageCount = InstantAverageCount;
    table.stopScan = Quiet;
    table.loadMedium = Quiet;
    ToolkitInstall(&table);
}

double Seconds()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

struct Bench {
    TestSession s;
    HWND dialog = nullptr;

    Bench()
    {
        StartTestSession(&s);
        InstallInstantDigitizer();
        ClockUseVirtual(0);
        dialog = CreateScanDialogStub(&s.ds);
        s.host.mainDialog = dialog;
        s.image.autoEject = 1;
    }
    ~Bench()
    {
        DestroyWindow(dialog);
        ClockUseReal();
        DeInitDSData();
    }

    void Program(uint32_t pixels, uint32_t lines, uint32_t depth, uint32_t dpi, uint32_t format,
                 const std::string& path, bool landscape)
    {
        ScanSettings& st = s.settings;
        st.resolution = dpi;
        st.scanPixels = pixels;
        st.scanLines = lines;
        st.maxLength = 51;
        st.bitDepth = depth;
        st.sampleBits = depth < 12 ? 8 : depth;
        st.selectionFlags = 1;
        st.progressTotal = pixels * lines * (depth > 8 ? 2 : 1);
        s.area.prescanMode = 0;
        s.image.landscape = landscape ? 1 : 0;
        s.output.outputFormat = format;
        snprintf(s.output.outputPath, sizeof s.output.outputPath, "%s", path.c_str());
        MakeFilm(pixels, lines, depth > 8 ? 2 : 1);
    }

    bool Scan()
    {
        s.settings.scanState = 1;
        int32_t result = ScanProcRun(dialog, &s.ds);
        s.settings.scanState = 0;
        for (int32_t* group : {&s.settings.scanPreviewGroup, &s.settings.prescanGroup}) {
            if (*group != FC_NO_GROUP) MemFreeGroup(*group);
            *group = FC_NO_GROUP;
        }
        return result == 1;
    }
};

// The same rows through the six writer operations, as the pipeline drives them.
bool WriterAlone(const std::string& path, uint32_t format, uint32_t pixels, uint32_t lines, uint32_t depth,
                 uint32_t dpi)
{
    OutputWriter writer = {};
    if (OpenOutputWriter(&writer, path.c_str(), format) != 0) return false;
    uint32_t bits = depth;
    SetWriterParam(&writer, ImageWidth, &pixels, 4);
    SetWriterParam(&writer, BitsPerSample, &bits, 4);
    SetWriterParam(&writer, Resolution, &dpi, 4);
    bool ok = BeginOutputImage(&writer) == 0;
    MakeFilm(pixels, lines, depth > 8 ? 2 : 1);
    std::vector<uint8_t> row(g_film.lineBytes);
    for (uint32_t y = 0; ok && y < lines; ++y) {
        memcpy(row.data(), FilmLine(y), row.size());   // the writer may change its row (12-bit TIFF)
        ok = WriteOutputRow(&writer, row.data()) == 0;
    }
    ok = ok && FinishOutputImage(&writer) == 0;
    ReleaseOutputWriter(&writer);
    return ok;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Fastest(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

const double kPipelineTarget = 1.3;   // ScanProcRun against the writer alone
const int kRounds = 9;

struct SpeedCase {
    uint32_t format;
    const char* name;
    uint32_t depth;
    std::vector<double> writer, pipeline, noFile;
    bool failed;
};

// One round of a case: the writer alone, the scan, the scan without a file.
bool MeasureRound(Bench& bench, SpeedCase& c, const std::string& folder)
{
    const uint32_t pixels = 4200, lines = 5100, dpi = 300;
    const std::string path = folder + "\\bench_scan." + c.name;
    // Both write a new file: replacing one costs the file system the same
    // whoever does it, and is not the pipeline's share.
    DeleteFileA(path.c_str());
    double t0 = Seconds();
    bool wrote = WriterAlone(path, c.format, pixels, lines, c.depth, dpi);
    double t1 = Seconds();
    DeleteFileA(path.c_str());
    bench.Program(pixels, lines, c.depth, dpi, c.format, path, false);
    double t2 = Seconds();
    bool scanned = bench.Scan();
    double t3 = Seconds();
    bench.Program(pixels, lines, c.depth, dpi, c.format, path, false);
    bench.s.area.prescanMode = 1;
    double t4 = Seconds();
    bool previewed = bench.Scan();
    double t5 = Seconds();
    bench.s.area.prescanMode = 0;
    DeleteFileA(path.c_str());
    if (!wrote || !scanned || !previewed) {
        printf("%s %u: %s failed\n", c.name, c.depth,
               !wrote ? "the writer" : !scanned ? "the scan" : "the scan without a file");
        return false;
    }
    c.writer.push_back(t1 - t0);
    c.pipeline.push_back(t3 - t2);
    c.noFile.push_back(t5 - t4);
    return true;
}

int Speed(const std::string& folder)
{
    Bench bench;
    if (!bench.dialog) {
        fprintf(stderr, "scan_pipeline_bench: no dialog to scan for\n");
        return 1;
    }
    std::vector<SpeedCase> cases;
    for (const auto& f : {std::make_pair(1u, "bmp"), std::make_pair(2u, "tif"), std::make_pair(3u, "dcm")})
        for (uint32_t depth : {8u, 16u})
            cases.push_back(SpeedCase{f.first, f.second, depth, {}, {}, {}, false});
    // The cases take turns round after round, so that a burst of load from
    // elsewhere falls on all of them alike.
    for (int round = 0; round < kRounds; ++round)
        for (SpeedCase& c : cases)
            if (!c.failed)
                c.failed = !MeasureRound(bench, c, folder);
    // "no file": the same scan as a prescan, the pipeline's own share
    // (reads, preview, progress) without any writer.
    printf("%-6s %5s %12s %12s %7s %12s %9s   (medians of %d; fastest rounds)\n", "format", "bits", "writer s",
           "pipeline s", "ratio", "no file s", "fastest", kRounds);
    int failures = 0;
    for (const SpeedCase& c : cases) {
        if (c.failed) {
            printf("row|ScanProcRun %s %u-bit|-|writer alone|-|-|%.1f|FAILED\n", c.name, c.depth, kPipelineTarget);
            ++failures;
            continue;
        }
        const double w = Median(c.writer), p = Median(c.pipeline), n = Median(c.noFile);
        // The fastest rounds show the cost without the Wine server's slow
        // spells, which move the medians from run to run.
        const double fw = Fastest(c.writer), fp = Fastest(c.pipeline);
        printf("%-6s %5u %12.3f %12.3f %7.2f %12.3f %9.2f\n", c.name, c.depth, w, p, p / w, n, fp / fw);
        printf("row|ScanProcRun %s %u-bit|%.4f s|writer alone|%.4f s|%.2f|%.1f|%s\n", c.name, c.depth, p, w, p / w,
               kPipelineTarget, p / w <= kPipelineTarget ? "ok" : "OVER");
        printf("row|ScanProcRun %s %u-bit, no file|%.4f s|-|-|-|-|info\n", c.name, c.depth, n);
        printf("row|ScanProcRun %s %u-bit, fastest rounds|%.4f s|writer alone, fastest|%.4f s|%.2f|-|info\n", c.name,
               c.depth, fp, fw, fp / fw);
    }
    return failures ? 1 : 0;
}

SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

int Memory(const std::string& folder)
{
    const uint32_t pixels = 11200, lines = 40800, dpi = 800;
    Bench bench;
    if (!bench.dialog) {
        fprintf(stderr, "scan_pipeline_bench: no dialog to scan for\n");
        return 1;
    }
    std::string path = folder + "\\bench_landscape.dcm";
    bench.Program(pixels, lines, 16, dpi, 3, path, true);
    SIZE_T idle = WorkingSet(), idlePeak = PeakWorkingSet();
    double t0 = Seconds();
    bool scanned = bench.Scan();
    double t1 = Seconds();
    SIZE_T peak = PeakWorkingSet();
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info);
    uint64_t size = ((uint64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow;
    DeleteFileA(path.c_str());
    printf("landscape 11200 x 40800, 16 bits, DICOM: %s in %.1f s, file %.0f MB\n", scanned ? "scanned" : "FAILED",
           t1 - t0, size / 1e6);
    const double above = peak > idle ? (peak - idle) / 1048576.0 : 0.0;
    printf("working set idle %.1f MB (peak so far %.1f MB), peak during the scan %.1f MB: %.1f MB above idle\n",
           idle / 1048576.0, idlePeak / 1048576.0, peak / 1048576.0, above);
    printf("row|landscape 11200 x 40800 DICOM, working set above idle|%.1f MB|-|-|-|-|%s\n", above,
           scanned ? "info" : "FAILED");
    return scanned ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (strcmp(argv[1], "speed") != 0 && strcmp(argv[1], "memory") != 0)) {
        fprintf(stderr, "usage: scan_pipeline_bench speed|memory FOLDER\n");
        return 2;
    }
    std::string folder = argv[2];
    CreateDirectoryA(folder.c_str(), nullptr);
    return strcmp(argv[1], "speed") == 0 ? Speed(folder) : Memory(folder);
}
