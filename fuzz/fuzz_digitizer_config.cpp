// The digitizer's INI text: every key and list stays within its record.
#include <stdint.h>
#include <string.h>

#include <string>

#include "vd_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text((const char*)data, size);
    VdConfig config;
    VdDefaultConfig(&config);
    VdParseConfig(&config, text.c_str());
    VdCallFails(&config, "getImage");
    return 0;
}
