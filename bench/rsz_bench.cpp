// The preview resampler over a scan's blocks, and LoadDICOMImageFile next
// to DCMTK's scaled load of the same data set.
#include <benchmark/benchmark.h>
#include <dcmtk/dcmimgle/dcmimage.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "FilmCore.h"
#include "frame/memgroups.h"

namespace {

constexpr uint32_t kWidth = 4200, kLines = 5100;  // 14 x 17 inches at 300 dpi
constexpr uint32_t kBlockBytes = 32768;
constexpr uint16_t kScanFactor = 14;  // scanWidth / 300

const std::vector<uint8_t>& Image16()
{
    static const std::vector<uint8_t> image = [] {
        std::vector<uint8_t> bytes(size_t(kWidth) * kLines * 2);
        for (uint32_t y = 0; y < kLines; ++y)
            for (uint32_t x = 0; x < kWidth; ++x) {
                const uint32_t value = (x * 7 + y * 3 + ((x * y) >> 5)) & 0xFFF;
                bytes[(size_t(y) * kWidth + x) * 2] = uint8_t(value);
                bytes[(size_t(y) * kWidth + x) * 2 + 1] = uint8_t(value >> 8);
            }
        return bytes;
    }();
    return image;
}

void Put(std::vector<uint8_t>& out, uint16_t group, uint16_t element, const void* value, uint32_t length)
{
    const uint8_t header[8] = {uint8_t(group), uint8_t(group >> 8), uint8_t(element), uint8_t(element >> 8),
                               uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    out.insert(out.end(), header, header + 8);
    out.insert(out.end(), static_cast<const uint8_t*>(value), static_cast<const uint8_t*>(value) + length);
}

// The data set as the DICOM writer lays it out: implicit VR little endian,
// no preamble and no meta header.
const std::string& DataSetPath()
{
    static const std::string path = [] {
        const char* dir = getenv("TMPDIR");
        std::string name = std::string(dir != nullptr ? dir : "/tmp") + "/rsz_bench_4200x5100.dcm";
        std::vector<uint8_t> file;
        const uint16_t one = 1, rows = kLines, columns = kWidth, sixteen = 16, twelve = 12, eleven = 11, zero = 0;
        Put(file, 0x0008, 0x0016, "1.2.840.10008.5.1.4.1.1.7", 26);
        Put(file, 0x0008, 0x0060, "OT", 2);
        Put(file, 0x0028, 0x0002, &one, 2);
        Put(file, 0x0028, 0x0004, "MONOCHROME2 ", 12);
        Put(file, 0x0028, 0x0010, &rows, 2);
        Put(file, 0x0028, 0x0011, &columns, 2);
        Put(file, 0x0028, 0x0100, &sixteen, 2);
        Put(file, 0x0028, 0x0101, &twelve, 2);
        Put(file, 0x0028, 0x0102, &eleven, 2);
        Put(file, 0x0028, 0x0103, &zero, 2);
        const std::vector<uint8_t>& image = Image16();
        Put(file, 0x7FE0, 0x0010, image.data(), uint32_t(image.size()));
        FILE* out = fopen(name.c_str(), "wb");
        if (out == nullptr || fwrite(file.data(), 1, file.size(), out) != file.size()) abort();
        fclose(out);
        return name;
    }();
    return path;
}

void ResamplerInput(benchmark::State& state)
{
    MemInit(4000);
    const std::vector<uint8_t>& image = Image16();
    for (auto _ : state) {
        RszData record;
        if (RszInitData(&record, kWidth, 2, 12, kScanFactor) != 0) state.SkipWithError("init");
        for (size_t at = 0; at < image.size(); at += kBlockBytes) {
            const size_t take = image.size() - at < kBlockBytes ? image.size() - at : kBlockBytes;
            if (RszInputDataBlock(&record, image.data() + at, uint32_t(take)) != 0) state.SkipWithError("input");
        }
        benchmark::DoNotOptimize(record.previewLines);
        FreeRszData(&record);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(ResamplerInput)->Unit(benchmark::kMillisecond);

void LoadDicomFit(benchmark::State& state)
{
    MemInit(4000);
    const std::string& path = DataSetPath();
    for (auto _ : state) {
        void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
        int32_t group = -1;
        if (LoadDICOMImageFile(path.c_str(), 300 * 400, &bits, &info, 300, 400, &fitBits, &fitInfo, &group) != 0)
            state.SkipWithError("load");
        benchmark::DoNotOptimize(fitBits);
        MemFreeGroup(group);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Image16().size()));
}
BENCHMARK(LoadDicomFit)->Unit(benchmark::kMillisecond);

void DcmtkScaledLoad(benchmark::State& state)
{
    const std::string& path = DataSetPath();
    for (auto _ : state) {
        DicomImage image(path.c_str());
        if (image.getStatus() != EIS_Normal) state.SkipWithError("dcmtk load");
        image.setMinMaxWindow();
        DicomImage* scaled = image.createScaledImage(300UL, 400UL, 0, 1);
        if (scaled == nullptr) state.SkipWithError("dcmtk scale");
        else benchmark::DoNotOptimize(scaled->getOutputData(8));
        delete scaled;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Image16().size()));
}
BENCHMARK(DcmtkScaledLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
