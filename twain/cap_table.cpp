#include "cap_table.h"

#include <math.h>
#include <string.h>

#include "fix32.h"

namespace {

void Put16(std::vector<uint8_t>* b, uint16_t v)
{
    b->push_back((uint8_t)v);
    b->push_back((uint8_t)(v >> 8));
}

void Put32(std::vector<uint8_t>* b, uint32_t v)
{
    Put16(b, (uint16_t)v);
    Put16(b, (uint16_t)(v >> 16));
}

uint16_t Get16(const uint8_t* p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

uint32_t Get32(const uint8_t* p)
{
    return Get16(p) | (uint32_t)Get16(p + 2) << 16;
}

uint32_t ItemBits(uint16_t itemType, double value)
{
    if (itemType == TWTY_FIX32)
        return Fix32Bits(FloatToFix32(value));
    if (itemType == TWTY_INT16)
        return (uint32_t)(uint16_t)(int16_t)value;
    return (uint32_t)(int64_t)value;
}

double ItemValue(uint16_t itemType, uint32_t bits)
{
    switch (itemType) {
    case TWTY_FIX32:
        return Fix32ToFloat(Fix32FromBits(bits));
    case TWTY_INT16:
        return (int16_t)(bits & 0xffff);
    case TWTY_UINT16:
    case TWTY_BOOL:
        return bits & 0xffff;
    case TWTY_INT32:
        return (int32_t)bits;
    default:
        return bits;
    }
}

void PutItem(std::vector<uint8_t>* b, uint16_t itemType, double value)
{
    const uint32_t bits = ItemBits(itemType, value);
    if (ItemSize(itemType) == 2)
        Put16(b, (uint16_t)bits);
    else
        Put32(b, bits);
}

CapEntry Entry(uint16_t cap, uint16_t type, bool settable, bool list, double current)
{
    CapEntry e;
    memset(&e, 0, sizeof e);
    e.cap = cap;
    e.itemType = type;
    e.settable = settable;
    e.list = list;
    e.current = e.initial = current;
    return e;
}

void AddValue(CapEntry* e, double v)
{
    if (e->valueCount < CAP_MAX_VALUES)
        e->values[e->valueCount++] = v;
}

void Add(CapTable* t, const CapEntry& e)
{
    if (t->count < CAP_TABLE_SIZE)
        t->entries[t->count++] = e;
}

// The length in the units currently negotiated.
double InUnits(const CapTable* t, const CapEntry& e, double inches)
{
    if (!e.inUnits)
        return inches;
    const double per = InchesPerUnit((uint16_t)CapCurrent(t, ICAP_UNITS), (uint32_t)CapCurrent(t, ICAP_XRESOLUTION));
    return per > 0 ? inches / per : inches;
}

void OneValue(const CapTable* t, const CapEntry& e, double value, CapContainer* out)
{
    out->conType = TWON_ONEVALUE;
    out->bytes.clear();
    Put16(&out->bytes, e.itemType);
    Put32(&out->bytes, ItemBits(e.itemType, InUnits(t, e, value)));
}

// The values offered now: the depths only those of the current pixel type.
bool OfferedNow(const CapTable* t, const CapEntry& e, double v)
{
    return e.cap != ICAP_BITDEPTH || DepthFitsPixelType(t, v);
}

void Enumeration(const CapTable* t, const CapEntry& e, CapContainer* out)
{
    std::vector<double> offered;
    for (int i = 0; i < e.valueCount; ++i)
        if (OfferedNow(t, e, e.values[i]))
            offered.push_back(e.values[i]);
    uint32_t current = 0, initial = 0;
    const double defaultValue = DefaultValue(t, e);
    for (size_t i = 0; i < offered.size(); ++i) {
        if (offered[i] == e.current)
            current = (uint32_t)i;
        if (offered[i] == defaultValue)
            initial = (uint32_t)i;
    }
    out->conType = TWON_ENUMERATION;
    out->bytes.clear();
    Put16(&out->bytes, e.itemType);
    Put32(&out->bytes, (uint32_t)offered.size());
    Put32(&out->bytes, current);
    Put32(&out->bytes, initial);
    for (double v : offered)
        PutItem(&out->bytes, e.itemType, v);
}

void FrameValue(const CapTable* t, const FrameInches& f, CapContainer* out)
{
    const TW_FRAME frame = FrameInUnits(f, (uint16_t)CapCurrent(t, ICAP_UNITS), (uint32_t)CapCurrent(t, ICAP_XRESOLUTION));
    out->conType = TWON_ONEVALUE;
    out->bytes.clear();
    Put16(&out->bytes, TWTY_FRAME);
    for (const TW_FIX32& edge : {frame.Left, frame.Top, frame.Right, frame.Bottom})
        Put32(&out->bytes, Fix32Bits(edge));
}

// An application's frame, a TW_ONEVALUE of TWTY_FRAME, onto the bed.
CapReply SetFrame(CapTable* t, uint16_t conType, const uint8_t* in, size_t inSize)
{
    if (conType != TWON_ONEVALUE || !in || inSize < 2 + 16 || Get16(in) != TWTY_FRAME)
        return {TWRC_FAILURE, TWCC_BADVALUE};
    const TW_FRAME frame = {Fix32FromBits(Get32(in + 2)), Fix32FromBits(Get32(in + 6)), Fix32FromBits(Get32(in + 10)),
                            Fix32FromBits(Get32(in + 14))};
    const FrameInches bed = WholeBed(t);
    FrameInches onBed;
    const uint16_t rc = FrameOntoBed(frame, (uint16_t)CapCurrent(t, ICAP_UNITS),
                                     (uint32_t)CapCurrent(t, ICAP_XRESOLUTION), bed.right, bed.bottom, &onBed);
    if (rc == TWRC_FAILURE)
        return {TWRC_FAILURE, TWCC_BADVALUE};
    t->frame = onBed;
    return {rc, TWCC_SUCCESS};
}

void EmptyArray(CapContainer* out)
{
    out->conType = TWON_ARRAY;
    out->bytes.clear();
    Put16(&out->bytes, TWTY_UINT16);
    Put32(&out->bytes, 0);
}

void ArrayOfCaps(const CapTable* t, CapContainer* out)
{
    out->conType = TWON_ARRAY;
    out->bytes.clear();
    Put16(&out->bytes, TWTY_UINT16);
    Put32(&out->bytes, t->count);
    for (int i = 0; i < t->count; ++i)
        Put16(&out->bytes, t->entries[i].cap);
}

uint32_t QueryFlags(const CapEntry& e)
{
    uint32_t flags = TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT;
    if (e.settable)
        flags |= TWQC_SET | TWQC_RESET;
    return flags;
}

// The value an application's MSG_SET asks for, from a TW_ONEVALUE whose
// type and size are checked; false when the container cannot be used.
bool ReadOneValue(const CapEntry& e, uint16_t conType, const uint8_t* in, size_t inSize, double* value)
{
    if (conType != TWON_ONEVALUE || !in || inSize < 6)
        return false;
    const uint16_t type = Get16(in);
    const bool boolAsInt = e.itemType == TWTY_BOOL && (type == TWTY_UINT16 || type == TWTY_INT16);
    if (type != e.itemType && !boolAsInt)
        return false;
    *value = ItemValue(type, Get32(in + 2));
    return true;
}

double Nearest(const CapEntry& e, double v)
{
    double best = e.values[0];
    for (int i = 1; i < e.valueCount; ++i)
        if (fabs(e.values[i] - v) < fabs(best - v))
            best = e.values[i];
    return best;
}

bool Offered(const CapEntry& e, double v)
{
    for (int i = 0; i < e.valueCount; ++i)
        if (e.values[i] == v)
            return true;
    return false;
}

// Values that move together: one resolution for both axes, the depth with
// the pixel type.
void KeepInStep(CapTable* t, const CapEntry& changed)
{
    if (changed.cap == ICAP_XRESOLUTION || changed.cap == ICAP_YRESOLUTION) {
        FindCap(t, ICAP_XRESOLUTION)->current = changed.current;
        FindCap(t, ICAP_YRESOLUTION)->current = changed.current;
    }
    if (changed.cap == ICAP_PIXELTYPE) {
        CapEntry* depth = FindCap(t, ICAP_BITDEPTH);
        if (!DepthFitsPixelType(t, depth->current))
            depth->current = DefaultValue(t, *depth);
    }
}

CapReply SetValue(CapTable* t, CapEntry* e, double v)
{
    CapReply reply = {TWRC_SUCCESS, TWCC_SUCCESS};
    if (e->cap == CAP_XFERCOUNT) {
        if (v != -1 && v < 1)
            return {TWRC_FAILURE, TWCC_BADVALUE};
    } else if (e->snapToNearest) {
        const double nearest = Nearest(*e, v);
        if (nearest != v)
            reply.rc = TWRC_CHECKSTATUS;
        v = nearest;
    } else if (!Offered(*e, v)) {
        return {TWRC_FAILURE, TWCC_BADVALUE};
    }
    if (e->cap == ICAP_BITDEPTH && !DepthFitsPixelType(t, v))
        return {TWRC_FAILURE, TWCC_BADVALUE};
    e->current = v;
    KeepInStep(t, *e);
    return reply;
}

CapReply NegotiateFrame(CapTable* t, uint16_t msg, uint16_t conType, const uint8_t* in, size_t inSize,
                        CapContainer* out)
{
    CapReply reply = {TWRC_SUCCESS, TWCC_SUCCESS};
    if (msg == MSG_SET)
        reply = SetFrame(t, conType, in, inSize);
    else if (msg == MSG_RESET)
        t->frame = WholeBed(t);
    else if (msg != MSG_GET && msg != MSG_GETCURRENT && msg != MSG_GETDEFAULT)
        return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
    if (reply.rc != TWRC_FAILURE && msg != MSG_SET)
        FrameValue(t, msg == MSG_GETDEFAULT ? WholeBed(t) : t->frame, out);
    return reply;
}

}  // namespace

size_t ItemSize(uint16_t itemType)
{
    switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
        return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
        return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
        return 4;
    case TWTY_FRAME:
        return 16;
    default:
        return 0;
    }
}

void BuildCapTable(CapTable* t, const DigitizerAbilities& d)
{
    memset(t, 0, sizeof *t);
    Add(t, Entry(CAP_SUPPORTEDCAPS, TWTY_UINT16, false, false, 0));
    Add(t, Entry(CAP_XFERCOUNT, TWTY_INT16, true, false, -1));
    Add(t, Entry(CAP_UICONTROLLABLE, TWTY_BOOL, false, false, 1));
    CapEntry indicators = Entry(CAP_INDICATORS, TWTY_BOOL, true, false, 1);
    AddValue(&indicators, 0);
    AddValue(&indicators, 1);
    Add(t, indicators);
    Add(t, Entry(CAP_DEVICEONLINE, TWTY_BOOL, false, false, d.online));
    CapEntry feeder = Entry(CAP_FEEDERENABLED, TWTY_BOOL, true, false, 0);
    AddValue(&feeder, 0);
    if (d.feederFitted)
        AddValue(&feeder, 1);
    Add(t, feeder);
    Add(t, Entry(CAP_FEEDERLOADED, TWTY_BOOL, false, false, d.feederLoaded));

    CapEntry mech = Entry(ICAP_XFERMECH, TWTY_UINT16, true, true, TWSX_NATIVE);
    for (double v : {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY})
        AddValue(&mech, v);
    Add(t, mech);

    bool bilevel = false;
    CapEntry depth = Entry(ICAP_BITDEPTH, TWTY_UINT16, true, true, 8);
    for (int i = 0; i < d.depthCount && i < 5; ++i) {
        AddValue(&depth, d.depths[i]);
        bilevel = bilevel || d.depths[i] == 1;
    }
    if (!Offered(depth, 8) && depth.valueCount)
        depth.current = depth.initial = depth.values[depth.valueCount - 1];
    CapEntry pixel = Entry(ICAP_PIXELTYPE, TWTY_UINT16, true, true, TWPT_GRAY);
    if (bilevel)
        AddValue(&pixel, TWPT_BW);
    AddValue(&pixel, TWPT_GRAY);
    Add(t, pixel);
    Add(t, depth);

    CapEntry units = Entry(ICAP_UNITS, TWTY_UINT16, true, true, TWUN_INCHES);
    for (double v : {TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS})
        AddValue(&units, v);
    Add(t, units);

    CapEntry resolution = Entry(ICAP_XRESOLUTION, TWTY_FIX32, true, true, 150);
    resolution.snapToNearest = true;
    for (int i = 0; i < d.resolutionCount && i < 9; ++i)
        AddValue(&resolution, d.resolutions[i]);
    if (resolution.valueCount && !Offered(resolution, 150))
        resolution.current = resolution.initial = resolution.values[0];
    if (!resolution.valueCount)
        AddValue(&resolution, 150);
    Add(t, resolution);
    resolution.cap = ICAP_YRESOLUTION;
    Add(t, resolution);

    CapEntry width = Entry(ICAP_PHYSICALWIDTH, TWTY_FIX32, false, false, d.widthInches);
    width.inUnits = true;
    Add(t, width);
    CapEntry length = Entry(ICAP_PHYSICALHEIGHT, TWTY_FIX32, false, false, d.lengthInches);
    length.inUnits = true;
    Add(t, length);

    CapEntry format = Entry(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, true, true, TWFF_BMP);
    AddValue(&format, TWFF_BMP);
    AddValue(&format, TWFF_TIFF);
    Add(t, format);
    CapEntry compression = Entry(ICAP_COMPRESSION, TWTY_UINT16, true, true, TWCP_NONE);
    AddValue(&compression, TWCP_NONE);
    Add(t, compression);

    // Every image source answers these: one chunky plane, most significant
    // bit first, 0 black unless the application asks for 0 white.
    CapEntry planar = Entry(ICAP_PLANARCHUNKY, TWTY_UINT16, false, true, TWPC_CHUNKY);
    AddValue(&planar, TWPC_CHUNKY);
    Add(t, planar);
    CapEntry flavor = Entry(ICAP_PIXELFLAVOR, TWTY_UINT16, true, true, TWPF_CHOCOLATE);
    AddValue(&flavor, TWPF_CHOCOLATE);
    AddValue(&flavor, TWPF_VANILLA);
    Add(t, flavor);
    CapEntry bitOrder = Entry(ICAP_BITORDER, TWTY_UINT16, true, true, TWBO_MSBFIRST);
    AddValue(&bitOrder, TWBO_MSBFIRST);
    Add(t, bitOrder);
    double optical = 0;
    for (int i = 0; i < resolution.valueCount; ++i)
        optical = resolution.values[i] > optical ? resolution.values[i] : optical;
    Add(t, Entry(ICAP_XNATIVERESOLUTION, TWTY_FIX32, false, false, optical));
    Add(t, Entry(ICAP_YNATIVERESOLUTION, TWTY_FIX32, false, false, optical));
    Add(t, Entry(CAP_ENABLEDSUIONLY, TWTY_BOOL, false, false, 0));
    Add(t, Entry(CAP_DEVICEEVENT, TWTY_UINT16, false, false, 0));
    Add(t, Entry(ICAP_FRAMES, TWTY_FRAME, true, false, 0));
    CapEntry undefinedSize = Entry(ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, true, false, 0);
    AddValue(&undefinedSize, 0);
    AddValue(&undefinedSize, 1);
    Add(t, undefinedSize);
    t->frame = WholeBed(t);
}

FrameInches WholeBed(const CapTable* t)
{
    return {0, 0, CapCurrent(t, ICAP_PHYSICALWIDTH), CapCurrent(t, ICAP_PHYSICALHEIGHT)};
}

bool DepthFitsPixelType(const CapTable* t, double depth)
{
    const bool bilevel = CapCurrent(t, ICAP_PIXELTYPE) == TWPT_BW;
    return bilevel ? depth == 1 : depth != 1;
}

double DefaultValue(const CapTable* t, const CapEntry& e)
{
    if (e.cap != ICAP_BITDEPTH || DepthFitsPixelType(t, e.initial))
        return e.initial;
    for (int i = 0; i < e.valueCount; ++i)
        if (DepthFitsPixelType(t, e.values[i]))
            return e.values[i];
    return e.initial;
}

CapEntry* FindCap(CapTable* t, uint16_t cap)
{
    for (int i = 0; i < t->count; ++i)
        if (t->entries[i].cap == cap)
            return &t->entries[i];
    return nullptr;
}

double CapCurrent(const CapTable* t, uint16_t cap)
{
    return FindCap(const_cast<CapTable*>(t), cap) ? FindCap(const_cast<CapTable*>(t), cap)->current : 0;
}

CapReply NegotiateCap(CapTable* t, uint16_t msg, uint16_t cap, uint16_t conType, const uint8_t* in, size_t inSize,
                      CapContainer* out)
{
    CapEntry* e = FindCap(t, cap);
    if (!e)
        return {TWRC_FAILURE, TWCC_CAPUNSUPPORTED};
    if (cap == ICAP_FRAMES && msg != MSG_QUERYSUPPORT)
        return NegotiateFrame(t, msg, conType, in, inSize, out);
    switch (msg) {
    case MSG_QUERYSUPPORT:
        out->conType = TWON_ONEVALUE;
        out->bytes.clear();
        Put16(&out->bytes, TWTY_INT32);
        Put32(&out->bytes, QueryFlags(*e));
        return {TWRC_SUCCESS, TWCC_SUCCESS};
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
        if (cap == CAP_SUPPORTEDCAPS)
            ArrayOfCaps(t, out);
        else if (cap == CAP_DEVICEEVENT)
            EmptyArray(out);   // the digitizer reports no events
        else if (msg == MSG_GET && e->list)
            Enumeration(t, *e, out);
        else
            OneValue(t, *e, msg == MSG_GETDEFAULT ? DefaultValue(t, *e) : e->current, out);
        return {TWRC_SUCCESS, TWCC_SUCCESS};
    case MSG_SET: {
        if (!e->settable)
            return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
        double v = 0;
        if (!ReadOneValue(*e, conType, in, inSize, &v))
            return {TWRC_FAILURE, TWCC_BADVALUE};
        return SetValue(t, e, v);
    }
    case MSG_RESET:
        if (!e->settable)
            return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
        e->current = DefaultValue(t, *e);
        KeepInStep(t, *e);
        OneValue(t, *e, e->current, out);
        return {TWRC_SUCCESS, TWCC_SUCCESS};
    default:
        return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
    }
}
