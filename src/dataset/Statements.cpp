// Statement generators: INSERT, UPDATE, DELETE and their WHERE clauses from the current record,
// and the bulk WHERE from the Filters collection. Every literal is one the database reads back as
// the same value: quotes doubled, Null as NULL (IS NULL in a condition), numbers with a point
// whatever the locale, dates between # marks for the engine's dialect layer to rewrite.
#include "dataset/PostingPrivate.h"

#include "framework/db/Fields.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"
#include "utils/SqlText.h"

#include <algorithm>

namespace vmado {

namespace {

AnsiString Quoted(const AnsiString& text)
{
    return QuotedStr(text);
}

// A name part in double quotes when it holds a blank, inner double quotes doubled.
AnsiString NamePart(const AnsiString& part)
{
    return part.find(' ') == AnsiString::npos ? part : AnsiQuotedStr(part, '"');
}

// The column of a field as the statements name it: its Origin, qualified when that names a table.
AnsiString ColumnRef(const TField* field)
{
    const AnsiString& origin = field->Origin();
    if (origin.empty())
        return NamePart(field->FieldName());
    if (origin.find('.') == AnsiString::npos)
        return NamePart(origin);
    return TVADODataSet::GenerateField(origin);
}

// The column alone, for a SET list: the databases refuse a table prefix there.
AnsiString ColumnName(const TField* field)
{
    const AnsiString& origin = field->Origin();
    return NamePart(origin.empty() ? field->FieldName() : ExtractField(origin, "."));
}

bool BelongsTo(const TField* field, const AnsiString& table)
{
    return ExtractTable(field->Origin(), ".") == table;
}

bool IsStringType(TFieldType type)
{
    return type == ftString || type == ftFixedChar || type == ftWideString;
}
bool IsDateType(TFieldType type)
{
    return type == ftDate || type == ftDateTime;
}
bool IsIntegerType(TFieldType type)
{
    return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc ||
           type == ftLargeint;
}

AnsiString WithPoint(AnsiString text)
{
    const char separator = FormatSettings().DecimalSeparator;
    if (separator != '.')
        std::replace(text.begin(), text.end(), separator, '.');
    return text;
}

AnsiString DateLiteral(TDateTime value)
{
    return "#" + DateToStd(value) + "#";
}

// The literal of a field's new value in VALUES (inValues) or SET.
AnsiString ValueLiteral(TVADODataSet& dataSet, TField* field, bool inValues)
{
    const TFieldType type = field->DataType();
    if (auto* blob = dynamic_cast<TBlobField*>(field)) {
        const AnsiString content = dataSet.GetBlobData(blob);
        if (type == ftMemo || type == ftFmtMemo)
            return Quoted(content);
        if (content.empty())
            return "NULL";
        throw EDatabaseError("Field '" + field->FieldName() +
                             "' holds binary data, which a generated statement cannot carry");
    }
    if (field->IsNull())
        return "NULL";
    if (IsStringType(type))
        return Quoted(field->AsString());
    // The dialect layer turns "column = -1" into the backend's true, but not a bare value in a
    // VALUES list, which PostgreSQL refuses for a Boolean column.
    if (type == ftBoolean)
        return inValues ? (field->AsBoolean() ? "TRUE" : "FALSE") : (field->AsBoolean() ? "-1" : "0");
    if (IsDateType(type))
        return DateLiteral(field->AsDateTime());
    if (type == ftTime)
        return Quoted(field->AsString());
    return WithPoint(field->AsString());
}

// One condition on a column's value before the change. A date matches the whole second its
// standard text names: the text drops milliseconds, and SQLite compares a stored date-time text
// such as "2024-01-05 00:00:00" as text, which "2024-01-05" alone would miss.
AnsiString Condition(TField* field, const AnsiString& column, const Variant& value)
{
    const TFieldType type = field->DataType();
    if (value.IsNull() || value.IsEmpty())
        return column + " IS NULL";
    if (IsStringType(type))
        return column + " = " + Quoted(VarToStr(value));
    if (type == ftBoolean)
        return column + " = " + (value.AsBoolean() ? "-1" : "0");
    if (IsDateType(type)) {
        TTimeStamp stamp = DateTimeToTimeStamp(value.AsDateTime());
        stamp.Time -= stamp.Time % 1000;
        const TDateTime from = TimeStampToDateTime(stamp);
        stamp.Time += 1000;
        if (stamp.Time >= 86400000) {
            stamp.Time -= 86400000;
            ++stamp.Date;
        }
        return "(" + column + " >= " + DateLiteral(from) + " AND " + column + " < " +
               DateLiteral(TimeStampToDateTime(stamp)) + ")";
    }
    if (IsIntegerType(type))
        return column + " = " + std::to_string(value.AsInt64());
    if (type == ftFloat || type == ftCurrency)
        return column + " = " + WithPoint(FloatToStrF(value.AsFloat(), ffGeneral, 17, 0));
    return column + " = " + WithPoint(VarToStr(value));
}

// True when the engine read the field's current text with characters the code page cannot hold:
// a literal of it would name another value than the one stored.
bool TextReplaced(const FieldPtr& adoField)
{
    try {
        return adoField->Properties()->Item("Text Replaced")->Value().AsBoolean();
    } catch (const EOleException&) {
        return false; // an engine without the property replaces nothing
    }
}

} // namespace

AnsiString TVADODataSet::InsertSQL()
{
    const AnsiString table = InternalTable(CommandText());
    if (table.empty() || !records_)
        return {};
    AnsiString names, values;
    const Integer count = records_->FieldNames->Count();
    for (Integer i = 0; i < count; ++i) {
        TField* field = dataset::PostedField(*this, records_->FieldNames->Strings(i));
        if (!field || !BelongsTo(field, table) || field->DataType() == ftAutoInc)
            continue;
        names += NamePart(field->FieldName()) + ", ";
        values += ValueLiteral(*this, field, true) + ", ";
    }
    if (names.ends_with(", "))
        names.resize(names.size() - 2);
    if (values.ends_with(", "))
        values.resize(values.size() - 2);
    return "INSERT INTO " + table + " ( " + names + " ) VALUES ( " + values + " ) ";
}

AnsiString TVADODataSet::ModifySQL()
{
    const AnsiString table = InternalTable(CommandText());
    if (table.empty() || !records_)
        return {};
    AnsiString result = "UPDATE " + table + " SET ";
    const dataset::RecordChanges changes(*this);
    const Integer count = records_->FieldNames->Count();
    for (Integer i = 0; i < count; ++i) {
        TField* field = dataset::PostedField(*this, records_->FieldNames->Strings(i));
        if (!field || !BelongsTo(field, table) || !changes.Changed(field, i))
            continue;
        result += ColumnName(field) + " = " + ValueLiteral(*this, field, false) + ", ";
    }
    if (result.ends_with(", "))
        result.resize(result.size() - 2);
    return result + GenerateUpdate();
}

AnsiString TVADODataSet::DeleteSQL()
{
    const AnsiString table = InternalTable(CommandText());
    if (table.empty())
        return {};
    return "DELETE FROM " + table + GenerateUpdate();
}

AnsiString TVADODataSet::GenerateUpdate()
{
    const AnsiString table = InternalTable(CommandText());
    if (table.empty() || !records_ || !records_->Active)
        return {};
    AnsiString result = " WHERE ";
    const FieldsPtr adoFields = records_->Recordset->Fields();
    const Integer count = adoFields->Count();
    for (Integer i = 0; i < count; ++i) {
        const FieldPtr adoField = adoFields->Item(i);
        TField* field = FieldByName(adoField->Name());
        if (!BelongsTo(field, table) || dynamic_cast<TBlobField*>(field) || field->DataType() == ftTime)
            continue;
        if (IsStringType(field->DataType()) && TextReplaced(adoField))
            throw EDatabaseError("Field '" + field->FieldName() +
                                 "' holds characters the code page cannot show, so a generated statement "
                                 "cannot find its record; post it through the recordset instead");
        result += Condition(field, ColumnRef(field), adoField->Value()) + " AND ";
    }
    while (!result.empty() && result.back() == ' ')
        result.pop_back();
    if (result.ends_with("AND"))
        result.resize(result.size() - 3);
    return result;
}

AnsiString TVADODataSet::GenerateWhere(const AnsiString& /*sql*/, TStrings* /*list*/)
{
    AnsiString text = filters_->SQLText(fmADO, FilterOptions().Contains(foCaseInsensitive));
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.pop_back();
    if (text.ends_with("AND"))
        text.resize(text.size() - 3);
    if (text.empty())
        return {};
    return " WHERE " + text;
}

AnsiString TVADODataSet::GenerateField(const AnsiString& table, const AnsiString& field)
{
    if (table.empty())
        return NamePart(field);
    return NamePart(table) + "." + NamePart(field);
}

AnsiString TVADODataSet::GenerateField(const AnsiString& name)
{
    // A bare name has no table part; splitting it would give the name twice.
    if (name.find('.') == AnsiString::npos)
        return NamePart(name);
    return GenerateField(ExtractTable(name, "."), ExtractField(name, "."));
}

} // namespace vmado
