// Filters tested in memory against a dataset's current record (the colour rules). Reads fields
// through the framework only and changes nothing; field and conversion errors propagate.
#include "filters/VFilters.h"

#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"
#include "utils/Strings.h"

#include <algorithm>

namespace vmado {

namespace {

bool IsOrdered(TRelationType relation)
{
    return relation >= frEqual && relation <= frSmallerEqual;
}

// The six ordered comparisons shared by every ordered kind.
template <typename T> bool Compare(TRelationType relation, const T& x, const T& y)
{
    switch (relation) {
    case frEqual:
        return x == y;
    case frNotEqual:
        return x != y;
    case frBigger:
        return x > y;
    case frBiggerEqual:
        return x >= y;
    case frSmaller:
        return x < y;
    case frSmallerEqual:
        return x <= y;
    default:
        return false;
    }
}

bool TextHolds(const TVSubFilter& line, TField& field, const TDataSet& dataSet)
{
    const AnsiString a = AnsiUpperCase(field.AsString());
    const TRelationType relation = line.Relation();
    if (relation == frSpecEqual) {
        // Both sides go through the same case mapping; otherwise two fields holding the same
        // mixed-case text would never be equal.
        return a == AnsiUpperCase(dataSet.FieldByName(line.LowerValue())->AsString());
    }
    const AnsiString v = AnsiUpperCase(line.LowerValue());
    switch (relation) {
    case frJokerRight:
        return LeftStr(a, static_cast<Integer>(v.size())) == v;
    case frJokerLeft:
        return RightStr(a, static_cast<Integer>(v.size())) == v;
    case frJokerSub:
        return !v.empty() && a.find(v) != AnsiString::npos;
    default:
        return Compare(relation, a, v);
    }
}

bool IntegerHolds(const TVSubFilter& line, TField& field, const TDataSet& dataSet)
{
    // 64 bits, so that a large-integer field compares whole.
    const Int64 x = field.AsLargeInt();
    if (line.Relation() == frSpecEqual)
        return x == dataSet.FieldByName(line.LowerValue())->AsLargeInt();
    // A relation that never holds here must not fail on a value it would not use.
    if (!IsOrdered(line.Relation()))
        return false;
    return Compare(line.Relation(), x, StrToInt64(line.LowerValue()));
}

bool CurrencyHolds(const TVSubFilter& line, TField& field, const TDataSet& dataSet)
{
    const Currency x = field.AsCurrency();
    if (line.Relation() == frSpecEqual)
        return x == dataSet.FieldByName(line.LowerValue())->AsCurrency();
    if (!IsOrdered(line.Relation()))
        return false;
    return Compare(line.Relation(), x, StrToCurr(line.LowerValue()));
}

bool DateHolds(const TVSubFilter& line, TField& field, const TDataSet& dataSet)
{
    const TDateTime x = field.AsDateTime();
    if (line.Relation() == frSpecEqual)
        return x == dataSet.FieldByName(line.LowerValue())->AsDateTime();
    if (!IsOrdered(line.Relation()))
        return false;
    return Compare(line.Relation(), x, StrToDate(line.LowerValue()));
}

bool BooleanHolds(const TVSubFilter& line, TField& field, const TDataSet& dataSet)
{
    const bool x = field.AsBoolean();
    switch (line.Relation()) {
    case frEqual:
        return x == StrToLog(line.LowerValue());
    case frNotEqual:
        return x != StrToLog(line.LowerValue());
    case frSpecEqual:
        return x == dataSet.FieldByName(line.LowerValue())->AsBoolean();
    default:
        return false;
    }
}

bool Ends(TLogicalType op)
{
    return op == flNone || op == flEnd;
}

// How a chain is read: all AND operators, all OR operators, or both (left to right, each line's
// result replacing the last, no precedence).
enum class Method { AndChain, OrChain, Mixed };

} // namespace

bool TVFilters::EvalOne(const TVSubFilter* line, TDataSet* dataSet) const
{
    if (!line || !dataSet || IsEmptyStr(line->FieldName()))
        return false;
    TField* field = dataSet->FieldByName(line->FieldName());
    switch (field->DataType()) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
        return TextHolds(*line, *field, *dataSet);
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return IntegerHolds(*line, *field, *dataSet);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        return CurrencyHolds(*line, *field, *dataSet);
    case ftDate:
    case ftDateTime:
        return DateHolds(*line, *field, *dataSet);
    case ftBoolean:
        return BooleanHolds(*line, *field, *dataSet);
    default:
        return false;
    }
}

bool TVFilters::Evaluate(Integer index, TDataSet* dataSet) const
{
    if (!dataSet || index < 0 || index >= Count())
        return false;
    const TVFilter* filter = GetItem(index);
    const TVSubFilters* lines = filter->Levels();
    if (lines->Count() == 0)
        return false;

    const Integer nOR = filter->CountOR();
    const Integer nAND = filter->CountAND();
    if (nAND == 0 && nOR == 0)
        return EvalOne(lines->GetItem(0), dataSet);

    const Method method = nOR == 0 ? Method::AndChain : nAND == 0 ? Method::OrChain : Method::Mixed;
    // AND and OR chains look at ten lines at most; a mixed chain runs to its end.
    const Integer limit = method == Method::Mixed ? lines->Count() : std::min<Integer>(lines->Count(), 10);

    bool r = false;
    TLogicalType prev = flEnd;
    for (Integer i = 0; i < limit; ++i) {
        const TVSubFilter* line = lines->GetItem(i);
        const TLogicalType op = line->LogicalOp();
        if (op != flNone) {
            r = EvalOne(line, dataSet);
            const bool invert = method == Method::AndChain  ? prev == flAndNot
                                : method == Method::OrChain ? prev == flOrNot
                                                            : prev == flAndNot || prev == flOrNot;
            if (invert)
                r = !r;
        }
        switch (method) {
        case Method::AndChain:
            if (!r)
                return false;
            if (Ends(op))
                return r;
            break;
        case Method::OrChain:
            if (r)
                return true;
            if (Ends(op))
                return r;
            break;
        case Method::Mixed:
            if (r && (op == flOr || op == flOrNot || Ends(op)))
                return true;
            if (Ends(op))
                return r;
            break;
        }
        prev = op;
    }
    return r;
}

} // namespace vmado
