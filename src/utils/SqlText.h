// Parts of SQL text found by keyword search, without a parser: WHERE condition, table list,
// selected fields with their tables, qualified names, IN conditions. Total: nothing here raises.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado {

class TStrings;

AnsiString ClearTableName(const AnsiString& S); // the text after the first exact "dbo."
// Table and field part of a qualified column name (a leading double-quoted table is unquoted).
AnsiString ExtractTable(const AnsiString& S, const AnsiString& Sep);
AnsiString ExtractField(const AnsiString& S, const AnsiString& Sep);
// Field IN (values...); Values are separated by ",", ";" or blanks. Quoted values get single
// quotes (inner quotes doubled). An empty list gives a condition that holds for no row.
AnsiString CreateINCondition(const AnsiString& Field, const AnsiString& Values, bool Quoted);
// The WHERE condition without its keyword, on one line; empty when there is none.
AnsiString ExtractWhere(const AnsiString& SQL);
// The table list after FROM, on one line; with FirstOnly only up to the first ",".
AnsiString ExtractTableName(const AnsiString& SQL, bool FirstOnly);
// Fills List with Field=Table.Field entries for the selected fields; List stays empty for
// "SELECT *" and when there is no FROM, and is left untouched when there is no SELECT.
void ExtractFieldList(const AnsiString& SQL, TStrings& List);

} // namespace vmado
