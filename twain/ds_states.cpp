#include "ds_states.h"

namespace {

struct TripletRule {
    uint32_t dg;
    uint16_t dat, msg;
    uint8_t lowest, highest;
};

// msg MSG_NULL matches every message of the data type.
const TripletRule kRules[] = {
    {DG_CONTROL, DAT_IDENTITY, MSG_GET, 3, 7},
    {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3, 7},   // while open: TWCC_MAXCONNECTIONS
    {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, 4, 4},
    {DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, 3, 4},
    {DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, 4, 4},
    {DG_CONTROL, DAT_STATUS, MSG_GET, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GET, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETDEFAULT, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_SET, 4, 4},
    {DG_CONTROL, DAT_CAPABILITY, MSG_RESET, 4, 4},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 4, 4},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, 5, 5},
    {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, 5, 7},
    {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, 4, 6},
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, 4, 6},
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETDEFAULT, 4, 6},
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, 4, 6},
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_RESET, 4, 4},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, 4, 7},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, 6, 7},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, 6, 6},
    {DG_CONTROL, DAT_XFERGROUP, MSG_GET, 4, 7},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, 4, 6},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GETDEFAULT, 4, 6},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, 4, 4},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, 4, 4},
    {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, 6, 7},
    {DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, 6, 7},
    {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, 6, 6},
    {DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, 6, 6},
};

const TripletRule* FindRule(uint32_t dg, uint16_t dat, uint16_t msg)
{
    for (const TripletRule& r : kRules)
        if (r.dg == dg && r.dat == dat && r.msg == msg)
            return &r;
    return nullptr;
}

}  // namespace

bool TripletKnown(uint32_t dg, uint16_t dat, uint16_t msg)
{
    return FindRule(dg, dat, msg) != nullptr;
}

bool TripletAllowed(int state, uint32_t dg, uint16_t dat, uint16_t msg)
{
    const TripletRule* r = FindRule(dg, dat, msg);
    return r && state >= r->lowest && state <= r->highest;
}
