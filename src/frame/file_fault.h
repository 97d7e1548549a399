// One log line for every file fault, so that a failed scan can be traced
// to the file and the system's reason where the operator saw only a box.
#ifndef FILMCORE_FILE_FAULT_H
#define FILMCORE_FILE_FAULT_H

// Appends "<operation>: cannot <action> <name>: <reason>\n" to the log.
void LogFileFault(const char* operation, const char* action, const char* name, const char* reason);

// The same with the text of a C library error (errno).
void LogFileError(const char* operation, const char* action, const char* name, int error);

// The same with the text of the last system error (GetLastError on
// Windows, errno elsewhere); for failures of the system's file calls.
void LogSystemFileError(const char* operation, const char* action, const char* name);

#endif
