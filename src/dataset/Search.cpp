// Searching: conditions built from field types and values, sent to the recordset's Find when
// there is one condition and through a temporary filter otherwise. Values never leave their
// literal: quotes are doubled and numeric, Boolean and date values are checked before use.
#include "dataset/DataSetPrivate.h"
#include "dataset/VDB.h"

#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"
#include "utils/Strings.h"

#include <cctype>
#include <vector>

namespace vmado {

namespace {

enum class Literal { Text, Date, Boolean, Number, Other };

Literal LiteralKind(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
        return Literal::Text;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return Literal::Date;
    case ftBoolean:
        return Literal::Boolean;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftAutoInc:
    case ftLargeint:
        return Literal::Number;
    default:
        return Literal::Other;
    }
}

// A LIKE pattern's "%" goes after the value, inside its quotes.
AnsiString Quoted(const AnsiString& value, const char* tail)
{
    return QuotedStr(value + tail);
}

[[noreturn]] void BadValue(const AnsiString& value, const AnsiString& what, const AnsiString& fieldName)
{
    throw EConvertError("'" + value + "' is not a valid " + what + " to search field '" + fieldName + "' by");
}

// A key value as the criteria expects it: dates in the standard text the expression compiler
// reads between '#' marks (the locale's date text would not read back on every setting).
AnsiString KeyText(const Variant& value)
{
    if ((value.VarType() & varTypeMask) == varDate)
        return DateToStd(value.AsDateTime());
    return VarToStr(value);
}

bool IsPlainName(const AnsiString& name)
{
    if (name.empty())
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '_' || u >= 0x80))
            return false;
    }
    return true;
}

// A field name as the criteria grammar reads it: bracketed when it holds blanks or punctuation,
// so that "Unit Price" cannot be read as a field Unit followed by a stray word.
AnsiString CriteriaName(const AnsiString& name)
{
    return IsPlainName(name) ? name : "[" + StrTran(name, "]", "]]") + "]";
}

// One condition; with caseless, text values compare upper-cased on both sides.
AnsiString Condition(TVADODataSet& dataSet, const AnsiString& fieldName, const AnsiString& value,
                     bool partial, bool caseless)
{
    TField* field = dataSet.FindField(fieldName);
    if (!field)
        return {};
    const AnsiString name = CriteriaName(fieldName);
    const Literal kind = LiteralKind(field->DataType());
    // The record line's form of Null is an empty entry; only a text field can hold an empty value.
    if (value.empty() && kind != Literal::Text)
        return name + " IS NULL";
    switch (kind) {
    case Literal::Text:
        if (caseless)
            return "{fn UCASE(" + name + ")}" + (partial ? " LIKE " : " = ") +
                   Quoted(AnsiUpperCase(value), partial ? "%" : "");
        return name + (partial ? " LIKE " : " = ") + Quoted(value, partial ? "%" : "");
    case Literal::Date:
        if (value.find('#') != AnsiString::npos)
            BadValue(value, "date", fieldName);
        return name + (partial ? " >= " : " = ") + "#" + value + "#";
    case Literal::Boolean: {
        // Booleans are written as the engine's -1 and 0 whatever form the value came in.
        bool flag = false;
        if (!TryStrToBool(Trim(value), flag))
            BadValue(value, "Boolean value", fieldName);
        return name + " = " + (flag ? "-1" : "0");
    }
    case Literal::Number: {
        double number = 0;
        if (!TryStrToFloat(Trim(value), number))
            BadValue(value, "number", fieldName);
        return name + (partial ? " >= " : " = ") + value;
    }
    case Literal::Other:
        break;
    }
    // Binary and other uncommon types compare with the value as a quoted text, so that what a
    // user typed can never become part of the expression.
    return name + (partial ? " >= " : " = ") + Quoted(value, "");
}

// One condition for a key value; Null (or no value at all) finds the records without one.
AnsiString KeyCondition(TVADODataSet& dataSet, const AnsiString& name, const Variant& value, bool partial,
                        bool caseless)
{
    if (VarIsNullOrEmpty(value))
        return dataSet.FindField(name) ? CriteriaName(name) + " IS NULL" : AnsiString();
    return Condition(dataSet, name, KeyText(value), partial, caseless);
}

// A list of field names is split at ';' only: a blank or a comma may belong to a name. Blanks
// around a name are not part of it.
std::vector<AnsiString> SplitNames(const AnsiString& text)
{
    std::vector<AnsiString> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(';', start);
        const AnsiString name =
            Trim(text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start));
        if (!name.empty())
            names.push_back(name);
        if (end == AnsiString::npos)
            return names;
        start = end + 1;
    }
}

// Key values given as one text are split as the record line's comma-text.
std::vector<AnsiString> SplitValues(const AnsiString& text)
{
    return dataset::SplitLine(StrTran(text, ";", ","));
}

} // namespace

AnsiString TVADODataSet::CreateCriteria(const AnsiString& fieldName, const AnsiString& value, bool partial)
{
    return Condition(*this, fieldName, value, partial, false);
}

bool TVADODataSet::Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    if (!IsCursorOpen() || !records_)
        return false;
    const std::vector<AnsiString> names = SplitNames(keyFields);
    std::vector<Variant> values;
    if (keyValues.IsArray()) {
        if (VarArrayDimCount(keyValues) != 1)
            throw EVariantError("Locate takes a one-dimensional array of key values");
        const Integer high = VarArrayHighBound(keyValues, 1);
        for (Integer i = VarArrayLowBound(keyValues, 1); i <= high; ++i)
            values.push_back(keyValues.GetElement(i));
    } else if (names.size() <= 1) {
        // One key: the value is taken whole, blanks and commas included.
        values.push_back(keyValues);
    } else {
        for (const AnsiString& text : SplitValues(VarToStr(keyValues)))
            values.emplace_back(text);
    }
    if (values.size() < names.size()) {
        throw EListError("List index out of bounds (" + std::to_string(values.size()) + "): Locate on " +
                         std::to_string(names.size()) + " key fields (" + keyFields + ") got " +
                         std::to_string(values.size()) + " key values");
    }
    const bool partial = options.Contains(loPartialKey);
    const bool caseless = options.Contains(loCaseInsensitive);
    AnsiString criteria;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const AnsiString condition = KeyCondition(*this, names[i], values[i], partial, caseless);
        // A condition on a field the dataset does not have matches no record.
        if (condition.empty())
            return false;
        if (!criteria.empty())
            criteria += " AND ";
        criteria += condition;
    }
    return Find(criteria);
}

Variant TVADODataSet::Lookup(const AnsiString& keyFields, const Variant& keyValues,
                             const AnsiString& resultFields)
{
    if (!Locate(keyFields, keyValues, TLocateOptions{}))
        return Variant::Null();
    if (resultFields.find(';') == AnsiString::npos) {
        TField* field = FindField(resultFields);
        return field ? field->AsVariant() : Variant::Null();
    }
    AnsiString text;
    for (const AnsiString& name : SplitNames(resultFields))
        if (TField* field = FindField(name))
            text += field->AsString();
    return Variant(text);
}

bool TVADODataSet::Search(const AnsiString& fieldName, const AnsiString& value, bool partial, Byte length)
{
    if (!IsCursorOpen() || !records_ || value.empty() || fieldName.empty())
        return false;
    const AnsiString text = length > 0 ? FillZero(value, length) : value;
    return Find(CreateCriteria(fieldName, text, partial));
}

bool TVADODataSet::Search(TField* field, const AnsiString& value, bool partial, Byte length)
{
    if (!field)
        return false;
    return Search(field->FieldName(), value, partial, length);
}

bool TVADODataSet::Find(const AnsiString& criteria)
{
    if (!IsCursorOpen() || !records_ || criteria.empty())
        return false;
    if (OnVerbose)
        OnVerbose(criteria, vmSearch);
    if (!records_->HasRecords)
        return false;
    CheckBrowseMode();
    DoBeforeScroll();
    bool found = false;
    const AnsiString upper = AnsiUpperCase(criteria);
    if (upper.find("AND") == AnsiString::npos && upper.find("OR") == AnsiString::npos) {
        found = records_->Find(criteria);
        if (found)
            Resync(ResyncMode);
    } else {
        // The buffers are rebuilt before the controls come back: enabling them puts the engine
        // cursor on the active record, which until the resync is still the old one.
        DisableControls();
        try {
            const Integer bookmark = records_->FilterFind(criteria);
            records_->SetBookmark(bookmark);
            found = bookmark > 0;
            if (found)
                Resync(ResyncMode);
        } catch (...) {
            EnableControls();
            throw;
        }
        EnableControls();
    }
    DoAfterScroll();
    return found;
}

} // namespace vmado
