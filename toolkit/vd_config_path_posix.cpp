// Native builds: the configuration comes from SCANKIT_CONFIG only.
#include <stdlib.h>

#include "vd_digitizer.h"

const char* VdConfigPath(void)
{
    const char* path = getenv("SCANKIT_CONFIG");
    return path ? path : "";
}
