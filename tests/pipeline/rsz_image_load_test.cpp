#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "frame/memgroups.h"
#include "pipeline/rsz_image_source.h"
#include "rsz_test_support.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Put16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Element(Bytes& out, uint16_t group, uint16_t element, const Bytes& value)
{
    Put16(out, group);
    Put16(out, element);
    Put32(out, uint32_t(value.size()));
    out.insert(out.end(), value.begin(), value.end());
}

Bytes U16(uint32_t v)
{
    Bytes b;
    Put16(b, v);
    return b;
}

struct DataSet {
    uint32_t samplesPerPixel = 1, rows = 6, columns = 8, bitsAllocated = 8, bitsStored = 8;
    int omit = -1;  // index of a group-0028 element left out
    Bytes Build(const Bytes& pixels, uint32_t pixelLength) const
    {
        Bytes out;
        Element(out, 0x0008, 0x0060, Bytes{'O', 'T'});
        const uint16_t tags[] = {0x0002, 0x0010, 0x0011, 0x0100, 0x0101};
        const uint32_t values[] = {samplesPerPixel, rows, columns, bitsAllocated, bitsStored};
        for (int i = 0; i < 5; ++i)
            if (i != omit) Element(out, 0x0028, tags[i], U16(values[i]));
        Put16(out, 0x7FE0);
        Put16(out, 0x0010);
        Put32(out, pixelLength);
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
    Bytes Build() const
    {
        Bytes pixels(size_t(rows) * columns * (bitsAllocated / 8));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i);
        return Build(pixels, uint32_t(pixels.size()));
    }
};

struct BitmapFile {
    int32_t width = 5, height = 3, pixelOffset = 1078;
    uint32_t infoSize = 40, bitCount = 8, compression = 0, sizeImage = 0xFFFFFFFF;
    Bytes Build() const
    {
        // Pixels are written only for sizes a test can hold.
        const uint64_t stride = width > 0 && width < 4096 ? (uint64_t(bitCount + 7) / 8 * uint32_t(width) + 3) & ~3u : 0;
        const uint64_t lines = height < 0 ? -int64_t(height) : height;
        Bytes out{'B', 'M'};
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, uint32_t(pixelOffset));
        Put32(out, infoSize);
        Put32(out, uint32_t(width));
        Put32(out, uint32_t(height));
        Put16(out, 1);
        Put16(out, bitCount);
        Put32(out, compression);
        Put32(out, sizeImage != 0xFFFFFFFF ? sizeImage : uint32_t(stride * lines));
        for (int i = 0; i < 4; ++i) Put32(out, 0);
        out.resize(size_t(pixelOffset), 0);
        for (uint64_t i = 0; i < stride * lines && lines < 4096; ++i) out.push_back(uint8_t(i / stride * 16 + i % stride));
        return out;
    }
};

struct Loaded {
    uint16_t result = 0xFFFF;
    void* bits = nullptr;
    void* info = nullptr;
    void* fitBits = nullptr;
    void* fitInfo = nullptr;
    int32_t group = -1;
    ~Loaded()
    {
        if (group != -1) MemFreeGroup(group);
    }
    uint8_t Pixel(uint32_t x, uint32_t row) const
    {
        const uint32_t stride = (uint32_t(HeaderOf(info).width) + 3) & ~3u;
        return static_cast<const uint8_t*>(bits)[row * stride + x];
    }
};

void LoadBytes(const Bytes& file, Loaded* out, uint32_t maxPixels = 1u << 20, uint16_t boundWidth = 100,
               uint16_t boundHeight = 100)
{
    RszMemorySource memory{file.data(), file.size()};
    const RszImageSource source = RszMakeMemorySource(&memory);
    out->result = RszLoadImage(&source, maxPixels, &out->bits, &out->info, boundWidth, boundHeight, &out->fitBits,
                               &out->fitInfo, &out->group);
}

uint16_t LoadResult(const Bytes& file)
{
    Loaded loaded;
    LoadBytes(file, &loaded);
    EXPECT_EQ(-1, loaded.group) << "a failed load keeps its group";
    return loaded.result;
}

TEST(RszLoadImage, DataSetLoadsWithItsFirstRowOnTop)
{
    DataSet set;
    Loaded loaded;
    LoadBytes(set.Build(), &loaded, 1000, 4, 4);
    ASSERT_EQ(0, loaded.result);
    const DibInfoHeader header = HeaderOf(loaded.info);
    EXPECT_EQ(8, header.width);
    EXPECT_EQ(6, header.height);
    // The DIB's first row in memory is the bottom: the last row of the file.
    EXPECT_EQ(uint8_t(5 * 8 + 0), loaded.Pixel(0, 0));
    EXPECT_EQ(uint8_t(0 * 8 + 7), loaded.Pixel(7, 5));
    const DibInfoHeader fit = HeaderOf(loaded.fitInfo);
    EXPECT_EQ(4, fit.width);
    EXPECT_EQ(3, fit.height);
}

TEST(RszLoadImage, ChoosesTheSmallestFactorWithinMaxPixels)
{
    DataSet set;
    set.rows = 100;
    set.columns = 100;
    for (auto [maxPixels, width] : {std::pair<uint32_t, int32_t>{10000, 100}, {9999, 50}, {2500, 50}, {2499, 34}}) {
        Loaded loaded;
        LoadBytes(set.Build(), &loaded, maxPixels, 2, 2);
        ASSERT_EQ(0, loaded.result);
        EXPECT_EQ(width, HeaderOf(loaded.info).width) << maxPixels;
    }
}

TEST(RszLoadImage, RefusesDamagedDataSetsWithACode)
{
    for (int omit = 0; omit < 5; ++omit) {
        DataSet set;
        set.omit = omit;
        EXPECT_EQ(202, LoadResult(set.Build())) << "without element " << omit;
    }
    DataSet set;
    const Bytes whole = set.Build();
    EXPECT_EQ(202, LoadResult(Bytes(whole.begin(), whole.end() - 1))) << "pixel data cut short";
    EXPECT_EQ(202, LoadResult(Bytes(whole.begin(), whole.begin() + 30))) << "ends before Pixel Data";
    EXPECT_EQ(202, LoadResult(set.Build(Bytes(47), 47))) << "Pixel Data shorter than rows x columns";

    Bytes past;
    Element(past, 0x0008, 0x0060, Bytes{'O', 'T'});
    Put16(past, 0x0010);
    Put16(past, 0x0010);
    Put32(past, 0x7FFFFFF0);
    EXPECT_EQ(202, LoadResult(past)) << "element length past the end";

    Bytes undefined;
    Put16(undefined, 0x0008);
    Put16(undefined, 0x1140);
    Put32(undefined, 0xFFFFFFFF);
    Put32(undefined, 0);
    EXPECT_EQ(1, LoadResult(undefined)) << "undefined length cannot be walked";

    const auto with = [](void (*change)(DataSet&)) {
        DataSet changed;
        change(changed);
        return changed.Build();
    };
    EXPECT_EQ(1, LoadResult(with([](DataSet& s) { s.rows = 0; })));
    EXPECT_EQ(1, LoadResult(with([](DataSet& s) { s.columns = 0; })));
    EXPECT_EQ(1, LoadResult(with([](DataSet& s) { s.bitsAllocated = 12; })));
    EXPECT_EQ(1, LoadResult(with([](DataSet& s) { s.bitsAllocated = 32; })));
    EXPECT_EQ(1, LoadResult(with([](DataSet& s) { s.bitsStored = 9; })));
    EXPECT_EQ(1, LoadResult(with([](DataSet& s) { s.samplesPerPixel = 3; })));
    EXPECT_EQ(202, LoadResult(Bytes{0x08}));
}

TEST(RszLoadImage, BitmapsLoadBottomRowFirst)
{
    BitmapFile bmp;
    Loaded loaded;
    LoadBytes(bmp.Build(), &loaded);
    ASSERT_EQ(0, loaded.result);
    // Rows keep their padding: 5 pixels become 8 samples.
    EXPECT_EQ(8, HeaderOf(loaded.info).width);
    EXPECT_EQ(3, HeaderOf(loaded.info).height);
    EXPECT_EQ(0x21, loaded.Pixel(1, 2));

    bmp.height = -3;
    Loaded topDown;
    LoadBytes(bmp.Build(), &topDown);
    ASSERT_EQ(0, topDown.result);
    EXPECT_EQ(0x01, topDown.Pixel(1, 2));

    bmp.height = 3;
    bmp.sizeImage = 0;  // whole rows
    Loaded noSize;
    LoadBytes(bmp.Build(), &noSize);
    EXPECT_EQ(0, noSize.result);

    BitmapFile deep;
    deep.bitCount = 16;
    deep.width = 3;
    Loaded wide;
    LoadBytes(deep.Build(), &wide);
    ASSERT_EQ(0, wide.result);
    EXPECT_EQ(4, HeaderOf(wide.info).width);
}

TEST(RszLoadImage, RefusesDamagedBitmapsWithACode)
{
    const auto with = [](void (*change)(BitmapFile&)) {
        BitmapFile changed;
        change(changed);
        return changed.Build();
    };
    EXPECT_EQ(202, LoadResult(with([](BitmapFile& b) { b.pixelOffset = 14 + 39; })));
    EXPECT_EQ(202, LoadResult(with([](BitmapFile& b) { b.infoSize = 12; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.bitCount = 0; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.bitCount = 24; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.bitCount = 1; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.bitCount = 0xFFFF; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.width = -5; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.height = 0; })));
    EXPECT_EQ(1, LoadResult(with([](BitmapFile& b) { b.compression = 1; })));
    EXPECT_EQ(202, LoadResult(with([](BitmapFile& b) { b.sizeImage = 8; }))) << "fewer bytes than the rows";
    Bytes huge = with([](BitmapFile& b) { b.width = 0x7FFFFFFF; b.height = 2; b.sizeImage = 0; });
    EXPECT_EQ(202, LoadResult(huge));
    Bytes tall = with([](BitmapFile& b) { b.sizeImage = 0; });
    tall[22] = 0x00, tall[23] = 0x00, tall[24] = 0x00, tall[25] = 0x80;  // height INT32_MIN
    EXPECT_EQ(202, LoadResult(tall));
    Bytes cut = BitmapFile().Build();
    cut.resize(cut.size() - 3);
    EXPECT_EQ(202, LoadResult(cut));
}

std::string TempPath(const char* name)
{
    const char* dir = getenv("TMPDIR");
    if (dir == nullptr) dir = getenv("TEMP");
    return std::string(dir != nullptr ? dir : ".") + "/" + name;
}

TEST(RszLoadImage, FileEntryChecksBoundsAndOpensTheFile)
{
    void *bits = nullptr, *info = nullptr, *fitBits = nullptr, *fitInfo = nullptr;
    int32_t group = -1;
    const std::string path = TempPath("rsz_load_test.dcm");
    const Bytes file = DataSet().Build();
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    fwrite(file.data(), 1, file.size(), out);
    fclose(out);
    EXPECT_EQ(1, LoadDICOMImageFile(path.c_str(), 1000, &bits, &info, 1, 100, &fitBits, &fitInfo, &group));
    EXPECT_EQ(1, LoadDICOMImageFile(path.c_str(), 1000, &bits, &info, 100, 1, &fitBits, &fitInfo, &group));
    EXPECT_EQ(201, LoadDICOMImageFile(TempPath("no_such_file.dcm").c_str(), 1000, &bits, &info, 100, 100, &fitBits,
                                      &fitInfo, &group));
    ASSERT_EQ(0, LoadDICOMImageFile(path.c_str(), 1000, &bits, &info, 100, 100, &fitBits, &fitInfo, &group));
    EXPECT_EQ(8, HeaderOf(info).width);
    EXPECT_NE(-1, group);
    remove(path.c_str());
    EXPECT_EQ(0, MemFreeGroup(group));
}

}  // namespace
