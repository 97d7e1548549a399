// One step of the scan reaching up into a dialog: what the check refuses.
#include "ui/main_dialog.h"
