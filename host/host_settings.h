// The host's settings: an INI file behind the profile callbacks.
#ifndef FILMHOST_SETTINGS_H
#define FILMHOST_SETTINGS_H

#include <stdint.h>

void SetSettingsFile(const char* path);
int32_t HostWriteProfile(const char* section, const char* key, const char* value);
uint32_t HostReadProfile(const char* section, const char* key, char* buffer, uint32_t size,
                         const char* defaultText);

#endif
