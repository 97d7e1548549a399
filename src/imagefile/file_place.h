// Writing an image beside its final name and putting it in place only when
// it is whole, so a scan that fails or is cancelled never costs the operator
// the file that was there before.
#ifndef FILMCORE_FILE_PLACE_H
#define FILMCORE_FILE_PLACE_H

// Longest name the ANSI file functions of Windows take (MAX_PATH less the end).
enum { PLACE_MAX_NAME = 259 };

// The name of the temporary file for `target`, in the same folder: the
// target with "~" appended, or, when that would be longer than
// PLACE_MAX_NAME, with its last character replaced by "~". Allocated with
// malloc; null when the target exists and is not a regular file (a device
// is written in place: nothing can be put where it is) or memory ran out
// (*noMemory set).
char* PartNameFor(const char* target, bool* noMemory);

// False when `target` exists as a regular file that cannot be opened for
// writing (read-only, or held by another program), as opening it for
// writing in place would have failed.
bool TargetWritable(const char* target);

// Replaces (or creates) `target` by the finished `part`; false when that
// could not be done (the part is then still there).
bool PutFileInPlace(const char* part, const char* target);

#endif
