// Capability negotiation over the source's table of capabilities. The
// containers are plain bytes in their TWAIN layout (2-byte packing), so
// everything an application hands in can be checked here, off Windows.
#ifndef FILMTWAIN_CAP_TABLE_H
#define FILMTWAIN_CAP_TABLE_H

#include <stddef.h>

#include <vector>

#include "fix32.h"
#include "twain_types.h"

// What the connected digitizer can do.
struct DigitizerAbilities {
    uint16_t resolutions[9];
    uint16_t resolutionCount;
    uint16_t depths[5];
    uint16_t depthCount;
    double widthInches, lengthInches;
    bool feederFitted, feederLoaded, online;
};

enum { CAP_MAX_VALUES = 12, CAP_TABLE_SIZE = 28 };

struct CapEntry {
    uint16_t cap;
    uint16_t itemType;
    bool settable;
    bool list;           // answered as an enumeration of `values`
    bool snapToNearest;  // a value between the offered ones is taken as the nearest
    bool inUnits;        // a length in inches, answered in ICAP_UNITS
    double values[CAP_MAX_VALUES];
    uint16_t valueCount;
    double current, initial;
};

struct CapTable {
    CapEntry entries[CAP_TABLE_SIZE];
    uint16_t count;
    FrameInches frame;   // the scan region on the bed: ICAP_FRAMES and DAT_IMAGELAYOUT alike
};

struct CapReply {
    uint16_t rc, cc;
};

// One answer container: its type and bytes.
struct CapContainer {
    uint16_t conType = 0;
    std::vector<uint8_t> bytes;
};

void BuildCapTable(CapTable* table, const DigitizerAbilities& digitizer);
CapEntry* FindCap(CapTable* table, uint16_t cap);
double CapCurrent(const CapTable* table, uint16_t cap);

// Runs one DAT_CAPABILITY message. `in` is the application's container for
// MSG_SET (may be null for the others); `out` receives the answer when the
// message has one.
CapReply NegotiateCap(CapTable* table, uint16_t msg, uint16_t cap, uint16_t conType, const uint8_t* in,
                      size_t inSize, CapContainer* out);

// The whole bed in inches, the frame's default.
FrameInches WholeBed(const CapTable* table);
// The depths the current pixel type allows (1 for black and white, the
// grey depths otherwise) and the one a reset or a new pixel type takes.
bool DepthFitsPixelType(const CapTable* table, double depth);
double DefaultValue(const CapTable* table, const CapEntry& e);

// Bytes of one item of the type, 0 for unknown types.
size_t ItemSize(uint16_t itemType);

#endif
