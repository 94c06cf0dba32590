// What the package registers with the IDE stand-in: the palette, the property editors of the
// dataset, master and table units, and the master's component editor.
#pragma once

#include "framework/design/Design.h"

namespace vmado {

void RegisterPalette();       // the "Velmar" page
void RegisterDataSetDesign(); // Connection, PrimaryKey, MarkerField, FileName of the datasets
void RegisterMasterDesign();  // the master's Connection editor and its "Editor" verb
void RegisterTablesDesign();  // a table's TableName list
void RegisterAll();

} // namespace vmado
