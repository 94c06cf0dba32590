// The dataset's editor shortcuts and the hook table the UI module fills. Without the module every
// shortcut shows nothing and reports false, so a console program never blocks on a dialog.
#include "dataset/EditorHooks.h"
#include "dataset/FillUpPrivate.h"
#include "dataset/VDB.h"
#include "filters/VFilters.h"
#include "framework/classes/Strings.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <utility>

namespace vmado {

TEditorHooks& EditorHooks()
{
    static TEditorHooks hooks;
    return hooks;
}

namespace {

TConnectionEditorHook& InstalledConnectionHook()
{
    static TConnectionEditorHook hook;
    return hook;
}

bool IsNumeric(TFieldType type)
{
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

AnsiString TwoDigits(Word value)
{
    return AnsiString(1, static_cast<char>('0' + value / 10 % 10)) + static_cast<char>('0' + value % 10);
}

// The constant the user typed, written the way the field's column takes it: text quoted, dates
// and times as the ODBC escapes every backend's dialect understands, Booleans as TRUE/FALSE.
// Numbers are left to FillConst, which checks them. Anything that does not read as the field's
// kind raises EConvertError before a statement runs.
void FillConstant(TVADODataSet& dataSet, TField* field, const AnsiString& text)
{
    const AnsiString name = field->FieldName();
    const auto refuse = [&](const char* what) {
        throw EConvertError("'" + text + "' is not " + what + " for field '" + name + "'");
    };
    switch (field->DataType()) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
        dataSet.FillConst(name, text, true);
        return;
    case ftBoolean: {
        bool flag = false;
        if (!TryStrToBool(Trim(text), flag))
            refuse("a Boolean value");
        dataset::FillLiteral(dataSet, name, flag ? "TRUE" : "FALSE");
        return;
    }
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp: {
        TDateTime value = 0;
        if (!TryStrToDateTime(Trim(text), value))
            refuse(field->DataType() == ftTime ? "a valid time" : "a valid date");
        Word y = 0, m = 0, d = 0, h = 0, n = 0, sec = 0, ms = 0;
        DecodeDate(value, y, m, d);
        DecodeTime(value, h, n, sec, ms);
        const AnsiString date = IntToStr(static_cast<Integer>(y)) + "-" + TwoDigits(m) + "-" + TwoDigits(d);
        const AnsiString time = TwoDigits(h) + ":" + TwoDigits(n) + ":" + TwoDigits(sec);
        AnsiString literal;
        if (field->DataType() == ftDate)
            literal = "{d '" + date + "'}";
        else if (field->DataType() == ftTime)
            literal = "{t '" + time + "'}";
        else
            literal = "{ts '" + date + " " + time + "'}";
        dataset::FillLiteral(dataSet, name, literal);
        return;
    }
    default:
        if (IsNumeric(field->DataType())) {
            dataSet.FillConst(name, text, false);
            return;
        }
        throw EConvertError("Field '" + name + "' cannot be filled with a typed constant");
    }
}

} // namespace

TConnectionEditorHook SetConnectionEditorHook(TConnectionEditorHook hook)
{
    return std::exchange(InstalledConnectionHook(), std::move(hook));
}

const TConnectionEditorHook& ConnectionEditorHook()
{
    return InstalledConnectionHook();
}

bool TVADODataSet::FilterEditor(TField* field)
{
    const auto& hook = EditorHooks().Filter;
    if (!field || !hook)
        return false;
    TVSubFilters lines(nullptr);
    if (!hook(this, this, field, GetMarkerField(), lines))
        return false;
    Filters()->Add(&lines);
    ExecFilter();
    return true;
}

bool TVADODataSet::FilterEditor(const AnsiString& fieldName)
{
    return FilterEditor(FindField(fieldName));
}

bool TVADODataSet::FilterEditor()
{
    return FilterEditor(static_cast<TField*>(nullptr));
}

bool TVADODataSet::ColorEditor()
{
    const auto& hook = EditorHooks().Color;
    if (!hook || !hook(this, this, Colors(), GetMarkerField()))
        return false;
    First();
    return true;
}

void TVADODataSet::ExportEditor()
{
    if (const auto& hook = EditorHooks().Export)
        hook(this, this);
}

void TVADODataSet::FillUpEditor(TField* field)
{
    const auto& hook = EditorHooks().FillUp;
    if (!field || field->FieldKind() != fkData || !hook)
        return;
    TVFillUpMode mode = TVFillUpMode::fmNone;
    AnsiString text;
    TStringList lines;
    if (!hook(this, this, field, mode, text, lines))
        return;
    const AnsiString name = field->FieldName();
    switch (mode) {
    case TVFillUpMode::fmConst:
        FillConstant(*this, field, text);
        break;
    case TVFillUpMode::fmLower:
        FillLower(name);
        break;
    case TVFillUpMode::fmUpper:
        FillUpper(name);
        break;
    case TVFillUpMode::fmSQL:
        FillSQL(name, &lines);
        break;
    case TVFillUpMode::fmNone:
        break;
    }
}

void TVADODataSet::FillUpEditor(const AnsiString& fieldName)
{
    FillUpEditor(FindField(fieldName));
}

AnsiString TVADODataSet::ConnectionEditor()
{
    AnsiString text = GetConnection();
    if (const auto& hook = ConnectionEditorHook(); hook && hook(this, text))
        SetConnection(text);
    return GetConnection();
}

} // namespace vmado
