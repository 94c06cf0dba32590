// The seam between the library and the UI module. The dialogs live in a module that needs a
// windowing toolkit; the dataset's editor shortcuts and the master's editor reach them through
// this table, which the UI module fills when it starts. An empty entry means "no dialog": the
// shortcut shows nothing and reports false.
#pragma once

#include "framework/rtl/Types.h"

#include <functional>

namespace vmado {

class TComponent;
class TDataSet;
class TField;
class TStrings;
class TVFilters;
class TVSubFilters;
enum class TVFillUpMode;

// Shows the connection editor for text, owned by owner; true when the user accepted, text then
// holding the edited string.
using TConnectionEditorHook = std::function<bool(TComponent* owner, AnsiString& text)>;

struct TEditorHooks {
    // The filter dialog for field of dataSet; on OK the edited lines are in lines.
    std::function<bool(TComponent* owner, TDataSet* dataSet, TField* field, const AnsiString& marker,
                       TVSubFilters& lines)>
        Filter;
    // The colour dialog, editing colors in place (changes stay after a cancel); true on OK.
    std::function<bool(TComponent* owner, TDataSet* dataSet, TVFilters* colors, const AnsiString& marker)>
        Color;
    std::function<void(TComponent* owner, TDataSet* dataSet)> Export;
    // The fill-up dialog for field; on OK mode, text and lines hold the user's choice.
    std::function<bool(TComponent* owner, TDataSet* dataSet, TField* field, TVFillUpMode& mode,
                       AnsiString& text, TStrings& lines)>
        FillUp;
};

// The installed table; the UI module assigns its entries, tests may swap them.
TEditorHooks& EditorHooks();

// Replaces the installed connection editor; an empty function removes it. Returns the previous one.
TConnectionEditorHook SetConnectionEditorHook(TConnectionEditorHook hook);
const TConnectionEditorHook& ConnectionEditorHook();

} // namespace vmado
