// Writing an image beside its final name and putting it in place only when
// it is whole, so a scan that fails or is cancelled never costs the operator
// the file that was there before.
//
// Part files are named "<target>.<8 hex digits>.part" and created new,
// never over a file that exists, so no file of anyone else's is opened,
// cut or deleted. A scan that dies leaves its part files under names that
// say which target they were for; the next scan to that target removes them.
#ifndef FILMCORE_FILE_PLACE_H
#define FILMCORE_FILE_PLACE_H

#include <stddef.h>
#include <stdio.h>

enum {
    PART_SUFFIX_LENGTH = 14,  // ".<8 hex digits>.part"
    // Longest output name a scan takes: the line file's name, the output
    // name plus the part suffix, must fit the 256-byte tempPath of the
    // session record (and so also the 259 characters Windows allows).
    OUTPUT_NAME_MAX = 255 - PART_SUFFIX_LENGTH
};

// True when `name` is a part file name of `target` ("<target>.<8 hex
// digits>.part", the target's part compared as the system compares names).
bool IsPartNameOf(const char* target, const char* name);

// Creates a new, empty part file for `target` under a name no file had,
// open for reading and writing; its name goes to partPath. Null when none
// could be created (errno says why; ENAMETOOLONG when the target is longer
// than OUTPUT_NAME_MAX).
FILE* CreatePartFile(const char* target, char* partPath, size_t size);

// Deletes the part files that ended scans left for `target`. Windows does
// not let one be deleted while a running scan holds it open.
void RemoveLeftoverParts(const char* target);

// True when `target` exists and is not a regular file (a device): such a
// target is written in place, as nothing can be put where it is.
bool TargetIsDevice(const char* target);

// False when `target` exists as a regular file that cannot be opened for
// writing (read-only, or held by another program), as opening it for
// writing in place would have failed.
bool TargetWritable(const char* target);

// Replaces (or creates) `target` by the finished `part` in one step; false
// when that could not be done (the part is then still there).
bool PutFileInPlace(const char* part, const char* target);

#endif
