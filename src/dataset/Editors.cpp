// The dataset's editor shortcuts and the hook table the UI module fills. Without the module every
// shortcut shows nothing and reports false, so a console program never blocks on a dialog.
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "filters/VFilters.h"
#include "framework/classes/Strings.h"

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
        // Numbers go unquoted, so FillConst checks them; everything else is a quoted literal.
        FillConst(name, text, !IsNumeric(field->DataType()));
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
