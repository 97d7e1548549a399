#include "tables.h"

#include <stdio.h>
#include <stdlib.h>

#include "frame/session.h"
#include "frame/text_copy.h"

static const char* const kBuiltInNames[TABLE_COUNT] = {
    "Linear", "Logarithmic", "OD", "SQRT", "Power07", "Power05", "Power03", "Power10",
};

static const char kSection[] = "TranslationTable";

void TableCopyBuiltInList(TableEntry* list)
{
    for (int i = 0; i < TABLE_COUNT; ++i) {
        list[i].number = static_cast<uint16_t>(i);
        for (size_t k = 0; k < sizeof list[i].name; ++k)
            list[i].name[k] = '\0';
        CopyText(list[i].name, sizeof list[i].name, kBuiltInNames[i]);
    }
}

int TablePositionOf(const DSData* ds, const char* name)
{
    if (!ds || !ds->ImageControl || !name)
        return -1;
    const ImageControl* c = ds->ImageControl;
    for (int i = 0; i < TABLE_COUNT; ++i) {
        if (EqualNoCase(c->tableList[i].name, name))
            return i;
    }
    return -1;
}

void TableFind(void* /*dialog*/, DSData* ds, const TableEntry** entry)
{
    if (!entry)
        return;
    int position = ds && ds->ImageControl ? TablePositionOf(ds, ds->ImageControl->tableName) : -1;
    *entry = position < 0 ? nullptr : &ds->ImageControl->tableList[position];
}

void TableLoadSelection(DSData* ds)
{
    if (!ds || !ds->ImageControl)
        return;
    ImageControl* c = ds->ImageControl;
    for (int i = 0; i < TABLE_COUNT; ++i) {
        char value[2] = {0, 0};
        ReadSetting(ds, kSection, c->tableList[i].name, value, sizeof value, "");
        if (atoi(value) != 0) {
            CopyText(c->tableName, sizeof c->tableName, c->tableList[i].name);
            c->tableIndex = i;
        }
    }
}

void TableSaveSelection(DSData* ds)
{
    if (!ds || !ds->ImageControl)
        return;
    const TableEntry* current = nullptr;
    TableFind(nullptr, ds, &current);
    const ImageControl* c = ds->ImageControl;
    for (int i = 0; i < TABLE_COUNT; ++i) {
        char value[16];
        int selected = current && c->tableList[i].number == current->number;
        snprintf(value, sizeof value, "%d", selected ? 1 : 0);
        WriteSetting(ds, kSection, c->tableList[i].name, value);
    }
}
