// The range rules of the negotiated parameters: values pushed by the host
// are brought into range, never refused. Portable.
#ifndef FILMCORE_PARAM_RULES_H
#define FILMCORE_PARAM_RULES_H

#include <stdint.h>

// The bed is 14 inches wide whatever the digitizer reports here.
#define BED_WIDTH_INCHES 14.0f

// 60 ... 800 of the known list pass; anything else is snapped.
uint32_t NormaliseResolution(uint32_t dpi);
// 1, 8, 12, 16 pass; anything else goes to the nearest of them by bounds.
uint32_t NormaliseDepth(uint32_t bits);
// NaN and negative lengths become 0, lengths above `limit` (and +inf) `limit`.
float LimitLength(float inches, float limit);
// Raised to `minimum`, else lowered to `maximum`.
uint16_t LimitExposure(uint32_t value, uint16_t minimum, uint16_t maximum);

#endif
