#include "host_sync.h"

#include "host_log.h"

#include <stdio.h>
#include <string.h>

static void LogNotification(int id, void* value, uint32_t size)
{
    if (id == 1 || id == 17) {
        char text[64] = {0};
        if (value)
            strncpy(text, static_cast<const char*>(value), sizeof text - 1);
        HostLog("notify %d: \"%s\" (size %u)", id, text, size);
    } else if (id == 9 || id == 10 || id == 20 || id == 21) {
        float f = 0;
        if (value && size >= 4)
            memcpy(&f, value, 4);
        HostLog("notify %d: %.2f (size %u)", id, f, size);
    } else if ((id == 15 || id == 16) && value && size >= 8) {
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
    static SyncEntry table[] = {
        {1, Notified<1>},   {2, Notified<2>},   {3, Notified<3>},   {4, Notified<4>},
        {8, Notified<8>},   {9, Notified<9>},   {10, Notified<10>}, {12, Notified<12>},
        {13, Notified<13>}, {14, Notified<14>}, {15, Notified<15>}, {16, Notified<16>},
        {18, Notified<18>}, {19, Notified<19>}, {20, Notified<20>}, {21, Notified<21>},
        {22, Notified<22>}, {23, Notified<23>}, {0, nullptr},
    };
    return table;
}
