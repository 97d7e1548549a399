// The host's settings: an INI file behind the profile callbacks.
#ifndef FILMHOST_SETTINGS_H
#define FILMHOST_SETTINGS_H

#include <stdint.h>

#include "FilmCore.h"

void SetSettingsFile(const char* path);
int32_t HostWriteProfile(const char* section, const char* key, const char* value);
uint32_t HostReadProfile(const char* section, const char* key, char* buffer, uint32_t size,
                         const char* defaultText);

// The operator's notes (staging, first-time staging, multi-film prescan) are
// on until the library has stored "OFF" for them: set at session start.
void ApplyNoteSettings(ImageControl* image);

#endif
