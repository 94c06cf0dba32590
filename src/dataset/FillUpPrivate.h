// What the fill-up and marker statements share: the table they update, the WHERE clause that
// reaches the rows the dataset shows, and the run that closes, executes and re-opens.
#pragma once

#include "dataset/VDB.h"

namespace vmado::dataset {

// The table of the dataset's command as a statement names it; empty when there is none.
AnsiString BulkTable(TVADODataSet& dataSet);
// A column as a statement names it; EDatabaseError for an empty name.
AnsiString BulkColumn(const AnsiString& name);
// " WHERE " and the conditions that select the rows the dataset shows (the command's own
// condition, the Filters collection, the Filter text); empty when it shows the whole table.
// Raises EDatabaseError, before anything runs, when the rows cannot be told in SQL.
AnsiString BulkWhere(TVADODataSet& dataSet);
// Controls disabled throughout; start, close, execute, re-open, end. A failing statement leaves
// the dataset closed and skips the end event; the controls come back on every path.
void RunBulk(TVADODataSet& dataSet, const AnsiString& sql, const TDataSetNotifyEvent& onStart,
             const TDataSetNotifyEvent& onEnd);
// Posts an edit in progress, so the statement does not throw it away.
void PostPending(TVADODataSet& dataSet);
// One column set to an SQL literal the caller has already made safe, over the rows the dataset
// shows; nothing without a table.
void FillLiteral(TVADODataSet& dataSet, const AnsiString& fieldName, const AnsiString& literal);

} // namespace vmado::dataset
