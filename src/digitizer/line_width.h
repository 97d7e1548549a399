// The pixels per line the digitizer delivers at a depth.
#ifndef FILMCORE_LINE_WIDTH_H
#define FILMCORE_LINE_WIDTH_H

#include <stdint.h>

// Asks the digitizer's status page up to 20 times, 50 ms apart, until it
// reports a width; 0 when it never does. Even for depth 8.
uint16_t QueryLineWidth(uint32_t bitDepth);

// The decimal number the status page reports from byte 5 (0 when there is
// none, 65535 at most).
uint16_t ParseLineWidth(const uint8_t* page, uint32_t length);

#endif
