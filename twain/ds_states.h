// The source's side of the TWAIN states: 3 closed (source manager open),
// 4 open, 5 enabled, 6 a transfer is ready, 7 transferring.
#ifndef FILMTWAIN_DS_STATES_H
#define FILMTWAIN_DS_STATES_H

#include "twain_types.h"

enum {
    DS_CLOSED = 3,
    DS_OPEN = 4,
    DS_ENABLED = 5,
    DS_XFER_READY = 6,
    DS_TRANSFERRING = 7
};

// Whether the triplet may be sent in `state`; a known triplet out of its
// states gets TWCC_SEQERROR.
bool TripletAllowed(int state, uint32_t dg, uint16_t dat, uint16_t msg);
// Whether the source handles the triplet at all (TWCC_BADPROTOCOL when not).
bool TripletKnown(uint32_t dg, uint16_t dat, uint16_t msg);

#endif
