// Preview list of 1-bit scans: every F-th bit of every F-th packed line.
#pragma once

#include <stdint.h>

#include "FilmCore.h"

uint16_t RszBitInit(DSData* session, uint16_t factor);
uint16_t RszBitInputLine(DSData* session, const uint8_t* packedLine);
uint16_t RszBitGetBitmap(DSData* session, void** bits, void** info, int32_t* group);
// The list carries no mark, so FreeRszData refuses it: this frees its group.
uint16_t RszBitFree(DSData* session);
