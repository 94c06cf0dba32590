// Filter lines to condition text in the SQL WHERE dialect and the ADO filter dialect. Texts are
// plain concatenations; every quoted string literal has its inner quotes doubled and every
// unquoted number or field name is checked, so a value can never become part of the expression
// (ffCustom lines are SQL by design and stay as typed).
#include "filters/VFilters.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"

#include <cctype>

namespace vmado {

namespace {

// Inner single quotes doubled; the caller adds the enclosing quotes.
AnsiString QuoteBody(const AnsiString& value)
{
    AnsiString out;
    out.reserve(value.size());
    for (char c : value) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

AnsiString Joiner(TLogicalType op)
{
    return op == flEnd ? AnsiString() : LogicalToString(op);
}

AnsiString RelationText(const TVSubFilter& line)
{
    return RelationToString(line.Negation() ? RelationNegation(line.Relation()) : line.Relation());
}

// A numeric value stands unquoted in the text, so it must be a number and nothing more.
const AnsiString& CheckedNumber(const AnsiString& value, const TVSubFilter& line)
{
    double number = 0;
    if (!TryStrToFloat(value, number))
        throw EConvertError("'" + value + "' is not a valid number for the filter on field '" +
                            line.FieldName() + "'");
    return value;
}

// The other field of a field-to-field comparison: one name, in brackets or double quotes or
// plain. A plain name may hold blanks ("Ship City", which the ADO filter grammar reads as one
// name), but none of its words may be an operator word that would join a second condition.
const AnsiString& CheckedFieldName(const AnsiString& value, const TVSubFilter& line)
{
    static const char* const kOperatorWords[] = {"AND", "OR", "NOT", "LIKE", "IS", "BETWEEN", "IN"};
    bool valid = !Trim(value).empty();
    const char first = valid ? value.front() : '\0';
    if (valid && (first == '[' || first == '"')) {
        const char close = first == '[' ? ']' : '"';
        valid = value.size() > 2 && value.back() == close && value.find(close, 1) == value.size() - 1;
    } else {
        AnsiString word;
        for (std::size_t i = 0; valid && i <= value.size(); ++i) {
            const char c = i < value.size() ? value[i] : ' ';
            const auto u = static_cast<unsigned char>(c);
            if (c == ' ') {
                for (const char* keyword : kOperatorWords)
                    if (SameText(word, keyword))
                        valid = false;
                word.clear();
            } else if (std::isalnum(u) || c == '_' || c == '.' || u >= 0x80) {
                word += c;
            } else {
                valid = false;
            }
        }
    }
    if (!valid)
        throw EDatabaseError("'" + value + "' is not a field name to compare field '" + line.FieldName() +
                             "' with in a filter");
    return value;
}

AnsiString StringLine(TVSubFilter& line, TFilterMode mode, bool upper)
{
    const AnsiString& f = line.FieldName();
    const AnsiString fx = upper ? "{fn UCASE(" + f + ")}" : f;
    const AnsiString v = QuoteBody(upper ? AnsiUpperCase(line.LowerValue()) : line.LowerValue());
    const AnsiString n = line.Negation() ? " NOT" : "";
    const AnsiString op = Joiner(line.LogicalOp());

    if (!line.UpperValue().empty()) {
        // Ranges are taken as typed: the ends are never compared or swapped.
        const AnsiString w = QuoteBody(upper ? AnsiUpperCase(line.UpperValue()) : line.UpperValue());
        if (mode == fmSQL)
            return " (" + fx + n + " BETWEEN '" + v + "' AND '" + w + "') " + op;
        // Outside the range: below its first end or above its second, as NOT BETWEEN means.
        if (line.Negation())
            return " (" + fx + " < '" + v + "' OR " + fx + " > '" + w + "') " + op;
        return " (" + fx + " >= '" + v + "' AND " + fx + " <= '" + w + "') " + op;
    }

    // The ADO filter grammar has no leading wildcard alone; the line keeps the wider relation.
    if (mode == fmADO && line.Relation() == frJokerLeft)
        line.SetRelation(frJokerSub);

    switch (line.Relation()) {
    case frJokerRight:
        return " (" + fx + n + " LIKE '" + v + "%') " + op;
    case frJokerLeft:
        return " (" + fx + n + " LIKE '%" + v + "') " + op;
    case frJokerSub:
        return " (" + fx + n + " LIKE '%" + v + "%') " + op;
    case frSpecEqual:
        // "NOT =" is no comparison any SQL accepts; "<>" selects the complementary rows.
        return " (" + fx + (line.Negation() ? " <> " : " = ") + CheckedFieldName(line.LowerValue(), line) +
               ") " + op;
    case frEmpty:
        return " (" + f + (line.Negation() ? " <> ''" : " = ''") + ") " + op;
    default:
        return " (" + fx + " " + RelationText(line) + " '" + v + "') " + op;
    }
}

AnsiString NumericLine(const TVSubFilter& line, TFilterMode mode)
{
    const AnsiString& f = line.FieldName();
    const AnsiString op = Joiner(line.LogicalOp());
    if (line.UpperValue().empty()) {
        if (line.Relation() == frSpecEqual)
            return " (" + f + " = " + CheckedFieldName(line.LowerValue(), line) + ") " + op;
        return " (" + f + " " + RelationText(line) + " " + CheckedNumber(line.LowerValue(), line) + ") " + op;
    }
    const Currency lower = StrToCurr(line.LowerValue());
    const Currency upperEnd = StrToCurr(line.UpperValue());
    if (lower == upperEnd)
        return " (" + f + " " + RelationText(line) + " " + line.LowerValue() + ") " + op;
    const bool swap = upperEnd < lower;
    const AnsiString& lo = swap ? line.UpperValue() : line.LowerValue();
    const AnsiString& hi = swap ? line.LowerValue() : line.UpperValue();
    if (mode == fmSQL)
        return " (" + f + (line.Negation() ? " NOT" : "") + " BETWEEN " + lo + " AND " + hi + ") " + op;
    if (line.Negation())
        return " (" + f + " < " + lo + " OR " + f + " > " + hi + ") " + op;
    return " (" + f + " >= " + lo + " AND " + f + " <= " + hi + ") " + op;
}

AnsiString DateLine(const TVSubFilter& line, TFilterMode mode)
{
    const AnsiString& f = line.FieldName();
    const AnsiString op = Joiner(line.LogicalOp());
    if (line.UpperValue().empty())
        return " (" + f + " " + RelationText(line) + " '" + QuoteBody(line.LowerValue()) + "') " + op;
    // Both ends parse as standard date texts, so they carry no "#" of their own.
    const TDateTime lower = StdToDate(line.LowerValue());
    const TDateTime upperEnd = StdToDate(line.UpperValue());
    if (lower == upperEnd)
        return " (" + f + " " + RelationText(line) + " #" + line.LowerValue() + "#) " + op;
    const bool swap = upperEnd < lower;
    const AnsiString& lo = swap ? line.UpperValue() : line.LowerValue();
    const AnsiString& hi = swap ? line.LowerValue() : line.UpperValue();
    if (mode == fmSQL)
        return " (" + f + (line.Negation() ? " NOT" : "") + " BETWEEN #" + lo + "# AND #" + hi + "#) " + op;
    if (line.Negation())
        return " (" + f + " < #" + lo + "# OR " + f + " > #" + hi + "#) " + op;
    return " (" + f + " >= #" + lo + "# AND " + f + " <= #" + hi + "#) " + op;
}

} // namespace

AnsiString TVFilter::FltToSQL(TVSubFilter* line, TFilterMode mode, bool upper)
{
    if (!line)
        return {};
    const AnsiString op = Joiner(line->LogicalOp());
    switch (line->FilterType()) {
    case ffString:
        return StringLine(*line, mode, upper);
    case ffNumeric:
        return NumericLine(*line, mode);
    case ffDate:
        return DateLine(*line, mode);
    case ffLogical:
        return " (" + line->FieldName() + (line->Negation() ? " <> " : " = ") +
               (StrToLog(line->LowerValue()) ? "-1" : "0") + ") " + op;
    case ffCustom:
        return " (" + line->FieldName() + " " + RelationText(*line) + " " + line->LowerValue() + ") " + op;
    case ffNone:
    case ffMarker:
        break;
    }
    return {};
}

AnsiString TVFilter::SQLText(TFilterMode mode, bool upper)
{
    AnsiString result;
    for (Integer i = 0; i < levels_->Count(); ++i) {
        TVSubFilter* line = levels_->GetItem(i);
        const TLogicalType op = line->LogicalOp();
        if (op != flNone)
            result += FltToSQL(line, mode, upper);
        if (op == flNone || op == flEnd)
            break;
    }
    return result;
}

AnsiString TVFilters::SQLText(Integer index, TFilterMode mode, bool upper)
{
    if (index < 0 || index >= Count())
        return {};
    return GetItem(index)->SQLText(mode, upper);
}

AnsiString TVFilters::SQLText(TFilterMode mode, bool upper)
{
    static const AnsiString joiner = " AND ";
    AnsiString result;
    for (Integer i = 0; i < Count(); ++i) {
        const AnsiString text = SQLText(i, mode, upper);
        if (!text.empty())
            result += text + joiner;
    }
    if (result.size() >= joiner.size() &&
        result.compare(result.size() - joiner.size(), joiner.size(), joiner) == 0)
        result.erase(result.size() - joiner.size());
    return result;
}

} // namespace vmado
