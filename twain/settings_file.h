// The settings file of the user running the application: kept under the
// user's application data folder, where a standard user may write.
#ifndef FILMTWAIN_SETTINGS_FILE_H
#define FILMTWAIN_SETTINGS_FILE_H

#include <windows.h>

#include <stddef.h>

// The path of the source's settings file into `path`. Creates
// %APPDATA%\FilmCore and, when it has no settings yet, copies there the
// "FilmTwain.ini" of an older installation beside the source (which stays).
// Without a usable application data folder it is the file beside the source.
void FindSettingsFile(HINSTANCE instance, char* path, size_t size);

// `name` in the folder of the module `instance` into `path`; false when it does not fit.
bool FileBeside(HINSTANCE instance, const char* name, char* path, size_t size);

#endif
