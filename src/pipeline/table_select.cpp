#include <windows.h>

#include <string.h>

#include "frame/text_copy.h"
#include "frame/tables.h"

static const int kTableNameControl = 4003;

int TableSelectByName(void* dialog, DSData* ds)
{
    if (!ds || !ds->ImageControl || !ds->HostServices)
        return 1;
    char typed[256] = {0};
    GetDlgItemTextA(static_cast<HWND>(dialog), kTableNameControl, typed, sizeof typed);
    // A list item shows the name followed by a remark in parentheses.
    char* remark = strstr(typed, " (");
    if (remark)
        *remark = '\0';
    int position = TablePositionOf(ds, typed);
    if (position < 0) {
        MessageBoxA(static_cast<HWND>(ds->HostServices->mainDialog),
                    "Invalid translation table name.", "ERROR", MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    ImageControl* c = ds->ImageControl;
    CopyText(c->tableName, sizeof c->tableName, typed);
    c->tableIndex = position;
    const TableEntry* entry = nullptr;
    TableFind(dialog, ds, &entry);
    return 0;
}
