// Sideways between the writers and the digitizer helpers.
#include "digitizer/units.h"
