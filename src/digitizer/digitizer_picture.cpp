#include "digitizer_picture.h"

#include <string.h>

#include "res/resource.h"

int DigitizerPictureFor(const char* modelVariant, int otherwise)
{
    static const struct {
        const char* variant;
        int picture;
    } kPictures[] = {
        {"9A", IDB_DIGITIZER_9A},
        {"9E", IDB_DIGITIZER_9E},
        {"A2", IDB_DIGITIZER_A2},
        {"NA", IDB_DIGITIZER_NA},
    };
    if (!modelVariant)
        return otherwise;
    for (const auto& entry : kPictures) {
        if (strcmp(modelVariant, entry.variant) == 0)
            return entry.picture;
    }
    return otherwise;
}
