// Markers: the marker column of every row the open dataset shows set to one value by a single
// UPDATE, with its own pair of events around the run.
#include "dataset/FillUpPrivate.h"

#include "framework/rtl/SysUtils.h"

namespace vmado {

void TVADODataSet::Markers(const AnsiString& value)
{
    const AnsiString table = dataset::BulkTable(*this);
    const AnsiString marker = GetMarkerField();
    if (table.empty() || !Active() || marker.empty())
        return;
    const AnsiString column = dataset::BulkColumn(marker);
    dataset::PostPending(*this);
    dataset::RunBulk(
        *this, "UPDATE " + table + " SET " + column + " = " + QuotedStr(value) + dataset::BulkWhere(*this),
        OnMarkStart, OnMarkEnd);
}

} // namespace vmado
