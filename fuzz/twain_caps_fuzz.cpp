// Arbitrary capability messages and containers: the first five bytes pick
// the message, the capability and the container type, the rest is the
// container. Every answer must be well formed and the table stay sound.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "cap_table.h"

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

static const uint16_t kCaps[] = {CAP_XFERCOUNT, CAP_INDICATORS, CAP_FEEDERENABLED, ICAP_XFERMECH, ICAP_PIXELTYPE,
                                 ICAP_BITDEPTH, ICAP_UNITS, ICAP_XRESOLUTION, ICAP_YRESOLUTION, ICAP_IMAGEFILEFORMAT,
                                 ICAP_COMPRESSION, ICAP_PHYSICALWIDTH, CAP_SUPPORTEDCAPS, CAP_DEVICEONLINE, ICAP_FRAMES,
                                 ICAP_PIXELFLAVOR, CAP_DEVICEEVENT, ICAP_UNDEFINEDIMAGESIZE, 0x1234};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    static const DigitizerAbilities digitizer = {{75, 150, 300}, 3, {1, 8, 12, 16}, 4, 14.0, 17.0, true, false, true};
    CapTable table;
    BuildCapTable(&table, digitizer);
    const uint8_t* p = data + 5;
    size_t left = size - 5;
    // Several messages on one table, so a bad value stored by one shows up in the next answer.
    for (int round = 0; round < 3; ++round) {
        const uint16_t msg = data[round % 5] % 10;
        const uint16_t cap = kCaps[data[(round + 1) % 5] % (sizeof kCaps / sizeof kCaps[0])];
        const uint16_t conType = 3 + data[(round + 2) % 5] % 4;
        const size_t take = left ? data[(round + 3) % 5] % (left + 1) : 0;
        // An exact-size copy, so reading past the container is caught.
        std::vector<uint8_t> container(p, p + take);
        CapContainer out;
        const CapReply r = NegotiateCap(&table, msg, cap, conType, container.empty() ? nullptr : container.data(),
                                        container.size(), &out);
        Check(r.rc == 0 || r.rc == 1 || r.rc == 2);
        Check((r.rc == 1) == (r.cc != 0));
        p += take;
        left -= take;
    }
    for (int i = 0; i < table.count; ++i) {
        const CapEntry& e = table.entries[i];
        Check(e.valueCount <= CAP_MAX_VALUES);
        if (e.list && e.settable) {
            bool offered = false;
            for (int v = 0; v < e.valueCount; ++v)
                offered = offered || e.values[v] == e.current;
            Check(offered);
        }
    }
    CapContainer answer;
    Check(NegotiateCap(&table, MSG_GET, ICAP_BITDEPTH, 0, nullptr, 0, &answer).rc == 0);
    // Only the depths of the current pixel type are offered, the current one among them.
    const uint32_t listed = answer.bytes[2] | answer.bytes[3] << 8 | answer.bytes[4] << 16 | (uint32_t)answer.bytes[5] << 24;
    Check(listed >= 1 && answer.bytes.size() == 14 + 2 * listed);
    for (uint32_t i = 0; i < listed; ++i)
        Check(DepthFitsPixelType(&table, answer.bytes[14 + 2 * i] | answer.bytes[15 + 2 * i] << 8));
    Check(DepthFitsPixelType(&table, CapCurrent(&table, ICAP_BITDEPTH)));
    const FrameInches bed = WholeBed(&table);
    Check(table.frame.left >= 0 && table.frame.top >= 0 && table.frame.right <= bed.right &&
          table.frame.bottom <= bed.bottom && table.frame.left < table.frame.right && table.frame.top < table.frame.bottom);
    return 0;
}
