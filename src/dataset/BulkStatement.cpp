// The rows a bulk statement reaches are the rows the dataset shows: its command's own condition,
// the Filters collection when it filters the view, and the free Filter text, which the engine
// writes as SQL with the same meaning or refuses. Anything that cannot be said exactly stops the
// statement before it is sent, so no row the user does not see is changed.
#include "dataset/FillUpPrivate.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"
#include "utils/SqlText.h"

#include <vector>

namespace vmado::dataset {

namespace {

bool IsQuotedName(const AnsiString& name)
{
    return !name.empty() && (name.front() == '"' || name.front() == '[' || name.front() == '`');
}

bool TableCommand(const TVADODataSet& dataSet)
{
    return dataSet.CommandType() == coTable || dataSet.CommandType() == coTableDirect;
}

AnsiString FilterCondition(TVADODataSet& dataSet)
{
    const AnsiString& filter = dataSet.Filter();
    if (Trim(filter).empty())
        return {};
    TVRecords* records = dataSet.Records();
    if (!dataSet.Active() || records == nullptr || !records->Active || !records->Recordset)
        throw EDatabaseError("The statement would reach other rows than the dataset shows: its Filter '" +
                             filter + "' can be written as SQL only while the dataset is open");
    try {
        return FilterAsCondition(records->Recordset, filter);
    } catch (const EOleException& e) {
        throw EDatabaseError(
            "The statement would reach other rows than the dataset shows, so nothing was run. "
            "Filter '" +
            filter + "': " + e.Message());
    }
}

} // namespace

AnsiString BulkTable(TVADODataSet& dataSet)
{
    const AnsiString table = Trim(dataSet.InternalTable(dataSet.CommandText()));
    // A table command is the bare name, blanks and all; a SELECT's table is written as its text has it.
    if (TableCommand(dataSet) && table.find(' ') != AnsiString::npos && !IsQuotedName(table))
        return TVADODataSet::GenerateField(table);
    return table;
}

AnsiString BulkColumn(const AnsiString& name)
{
    if (Trim(name).empty())
        throw EDatabaseError("No field name given for the statement");
    if (IsQuotedName(name))
        return name;
    return TVADODataSet::GenerateField(AnsiString(), name);
}

AnsiString BulkWhere(TVADODataSet& dataSet)
{
    const Integer maxRecords = dataSet.GetMaxRecords();
    if (maxRecords > 0 && (!dataSet.Active() || dataSet.RecordCount() >= maxRecords))
        throw EDatabaseError("The statement would reach other rows than the dataset shows: MaxRecords (" +
                             std::to_string(maxRecords) + ") may leave rows out of the dataset");
    std::vector<AnsiString> parts;
    if (!TableCommand(dataSet)) {
        const AnsiString own = Trim(ExtractWhere(dataSet.CommandText()));
        if (!own.empty())
            parts.push_back(own);
    }
    if (dataSet.Options().Contains(opFilter)) {
        const AnsiString filters = dataSet.GenerateWhere(dataSet.CommandText(), nullptr);
        const AnsiString keyword = " WHERE ";
        if (filters.starts_with(keyword) && filters.size() > keyword.size())
            parts.push_back(filters.substr(keyword.size()));
    }
    const AnsiString filter = FilterCondition(dataSet);
    if (!filter.empty())
        parts.push_back(filter);
    if (parts.empty())
        return {};
    if (parts.size() == 1)
        return " WHERE " + parts.front();
    // Each part may join its conditions with OR; brackets keep them apart.
    AnsiString where = " WHERE (" + parts.front() + ")";
    for (std::size_t i = 1; i < parts.size(); ++i)
        where += " AND (" + parts[i] + ")";
    return where;
}

void RunBulk(TVADODataSet& dataSet, const AnsiString& sql, const TDataSetNotifyEvent& onStart,
             const TDataSetNotifyEvent& onEnd)
{
    dataSet.DisableControls();
    try {
        if (onStart)
            onStart(&dataSet);
        dataSet.Close();
        dataSet.InternalSQL(sql);
        dataSet.Open();
        if (onEnd)
            onEnd(&dataSet);
    } catch (...) {
        dataSet.EnableControls();
        throw;
    }
    dataSet.EnableControls();
}

void PostPending(TVADODataSet& dataSet)
{
    if (dataSet.Active())
        dataSet.CheckBrowseMode();
}

} // namespace vmado::dataset
