// The binary list of the images scanned in a session, kept in a file of
// fixed-size records, and the deletion of those images when the operator
// throws the session away.
#ifndef FILMCORE_SESSION_IMAGES_H
#define FILMCORE_SESSION_IMAGES_H

#include <stdint.h>

#include "FilmCore.h"

// Writes every record of the list into the file: over records whose name
// is empty, else at the end. 0, FC_OPEN_FAILED when the file cannot be
// created, FC_SHORT_WRITE when a write (or the final flush) falls short.
uint16_t SaveSessionImageList(const char* fileName, const SessionImage* list);

// Deletes the file named in each record, ignoring failures; 0.
uint16_t DeleteSessionImages(const SessionImage* list);

#endif
