// Translation tables: the tone curves live in the digitizer; here each is
// known by name and number, and the operator's choice is kept.
#ifndef FILMCORE_TABLES_H
#define FILMCORE_TABLES_H

#include "FilmCore.h"

void TableCopyBuiltInList(TableEntry* list);

// Sets *entry to the list entry named like tableName (case ignored), or null.
// The dialog argument is unused; it keeps the call shape of the dialogs.
void TableFind(void* dialog, DSData* ds, const TableEntry** entry);
void TableLoadSelection(DSData* ds);
void TableSaveSelection(DSData* ds);

// Position of `name` in the list (case ignored), or -1.
int TablePositionOf(const DSData* ds, const char* name);

// Takes the name from control 4003 of `dialog`; 0 accepted, 1 refused
// (with the operator told why).
int TableSelectByName(void* dialog, DSData* ds);

#endif
