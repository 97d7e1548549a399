// The host's log: every line goes to standard output and, when a log file
// is set, to that file too, so a scripted run leaves a record of every sync
// notification, message box, transfer and step.
#ifndef FILMHOST_LOG_H
#define FILMHOST_LOG_H

#include <string>

// False when the file cannot be created.
bool SetHostLogFile(const char* path);
void CloseHostLog(void);
// One line; the line end is added.
void HostLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A text on one line: carriage returns, line feeds and tabs as \r \n \t.
std::string OneLine(const std::string& text);

#endif
