// Fill-up: one column of every row the dataset shows changed by a single UPDATE, then the dataset
// re-opened on its first record. Values are literals the database reads back unchanged: quotes
// doubled, and a bare value only when it is a number, written with a point.
#include "dataset/FillUpPrivate.h"
#include "dataset/NumberText.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

namespace vmado {

namespace {

AnsiString NumberLiteral(const AnsiString& value, const AnsiString& fieldName)
{
    std::optional<AnsiString> literal = SqlNumberLiteral(value);
    if (!literal)
        throw EConvertError("'" + value + "' is not a valid number for field '" + fieldName +
                            "'; quote it to store it as text");
    return *literal;
}

} // namespace

void TVADODataSet::FillUpper(const AnsiString& fieldName)
{
    const AnsiString table = dataset::BulkTable(*this);
    if (table.empty())
        return;
    const AnsiString column = dataset::BulkColumn(fieldName);
    dataset::PostPending(*this);
    FillExec("UPDATE " + table + " SET " + column + " = UCASE(" + column + ")" + dataset::BulkWhere(*this));
}

void TVADODataSet::FillLower(const AnsiString& fieldName)
{
    const AnsiString table = dataset::BulkTable(*this);
    if (table.empty())
        return;
    const AnsiString column = dataset::BulkColumn(fieldName);
    dataset::PostPending(*this);
    FillExec("UPDATE " + table + " SET " + column + " = LCASE(" + column + ")" + dataset::BulkWhere(*this));
}

void TVADODataSet::FillConst(const AnsiString& fieldName, const AnsiString& value, bool quoted)
{
    if (dataset::BulkTable(*this).empty())
        return;
    dataset::FillLiteral(*this, fieldName, quoted ? QuotedStr(value) : NumberLiteral(value, fieldName));
}

void dataset::FillLiteral(TVADODataSet& dataSet, const AnsiString& fieldName, const AnsiString& literal)
{
    const AnsiString table = BulkTable(dataSet);
    if (table.empty())
        return;
    const AnsiString column = BulkColumn(fieldName);
    PostPending(dataSet);
    dataSet.FillExec("UPDATE " + table + " SET " + column + " = " + literal + BulkWhere(dataSet));
}

void TVADODataSet::FillExchange(const AnsiString& fieldName, const AnsiString& oldText,
                                const AnsiString& newText)
{
    const AnsiString table = dataset::BulkTable(*this);
    if (table.empty())
        return;
    const AnsiString column = dataset::BulkColumn(fieldName);
    dataset::PostPending(*this);
    FillExec("UPDATE " + table + " SET " + column + " = {fn REPLACE(" + column + ", " + QuotedStr(oldText) +
             ", " + QuotedStr(newText) + ")}" + dataset::BulkWhere(*this));
}

void TVADODataSet::FillSQL(const AnsiString& fieldName, TStrings* lines)
{
    const AnsiString table = dataset::BulkTable(*this);
    if (table.empty() || lines == nullptr || lines->Count() == 0)
        return;
    const AnsiString column = dataset::BulkColumn(fieldName);
    dataset::PostPending(*this);
    FillExec("UPDATE " + table + " SET " + column + " = " + CleanSQL(lines->Text()) + " " +
             dataset::BulkWhere(*this));
}

void TVADODataSet::FillExec(const AnsiString& sql)
{
    dataset::RunBulk(*this, sql, OnFillStart, OnFillEnd);
}

Integer TVADODataSet::FillCount()
{
    const AnsiString table = dataset::BulkTable(*this);
    if (table.empty())
        return -1;
    const AnsiString sql = CleanSQL("SELECT COUNT(*) FROM " + table + dataset::BulkWhere(*this));
    if (!ConnectionOpen())
        return -1;
    if (OnVerbose)
        OnVerbose(sql, vmExecute);
    const RecordsetPtr result = GetData()->Connection->Execute(sql, adCmdText);
    if (!result || result->State() != adStateOpen || result->Eof())
        throw EDatabaseError("The row count gave no answer: " + sql);
    return result->Fields()->Item(0)->Value().AsInteger();
}

} // namespace vmado
