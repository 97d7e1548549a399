#include "host_sync.h"

#include "host_log.h"

#include <stdio.h>
#include <string.h>

static void LogNotification(int id, void* value, uint32_t size)
{
    if (id == PARAM_FORMAT_NAME || id == PARAM_HOST_FILE_NAME) {
        char text[64] = {0};
        if (value)
            strncpy(text, static_cast<const char*>(value), sizeof text - 1);
        HostLog("notify %d: \"%s\" (size %u)", id, text, size);
    } else if (id == PARAM_WIDTH || id == PARAM_LENGTH || id == PARAM_TOP || id == PARAM_LEFT) {
        float f = 0;
        if (value && size >= 4)
            memcpy(&f, value, 4);
        HostLog("notify %d: %.2f (size %u)", id, f, size);
    } else if ((id == PARAM_LINE_AVERAGING || id == PARAM_BILEVEL) && value && size >= 8) {
        uint32_t pair[2];
        memcpy(pair, value, 8);
        HostLog("notify %d: {%u, %u} (size %u)", id, pair[0], pair[1], size);
    } else if (value && size >= 4) {
        uint32_t v;
        memcpy(&v, value, 4);
        HostLog("notify %d: %u (size %u)", id, v, size);
    } else {
        HostLog("notify %d (size %u)", id, size);
    }
}

template <int Id>
static void Notified(void* value, uint32_t size)
{
    LogNotification(Id, value, size);
}

SyncEntry* HostSyncTable(void)
{
#define HOST_SYNC(id) {id, Notified<id>}
    // Every id the library notifies; the transfer mode and file name never are.
    static SyncEntry table[] = {
        HOST_SYNC(PARAM_FORMAT_NAME),    HOST_SYNC(PARAM_EXPOSURE),   HOST_SYNC(PARAM_RESOLUTION),
        HOST_SYNC(PARAM_BIT_DEPTH),      HOST_SYNC(PARAM_UNITS),      HOST_SYNC(PARAM_WIDTH),
        HOST_SYNC(PARAM_LENGTH),         HOST_SYNC(PARAM_AUTO_EJECT), HOST_SYNC(PARAM_DARK_ENHANCE),
        HOST_SYNC(PARAM_AUTO_SIZE),      HOST_SYNC(PARAM_LINE_AVERAGING), HOST_SYNC(PARAM_BILEVEL),
        HOST_SYNC(PARAM_PATIENT_DATA),   HOST_SYNC(PARAM_TOP_CENTER), HOST_SYNC(PARAM_TOP),
        HOST_SYNC(PARAM_LEFT),           HOST_SYNC(PARAM_MULTI_FILM), HOST_SYNC(PARAM_TWELVE_HIGH),
        {0, nullptr},
    };
#undef HOST_SYNC
    return table;
}
