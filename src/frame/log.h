// The diagnostic log "c:\nqt\twnqt32.log".
#ifndef FILMCORE_LOG_H
#define FILMCORE_LOG_H

// Appends text unchanged (no line end added); failures are ignored, and
// nothing is logged when the folder c:\nqt does not exist.
void WriteLog(const char* text);

#endif
