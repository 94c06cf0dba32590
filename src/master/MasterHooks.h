// The seam between the master and the UI module: the module installs the connection editor here
// when it starts, so the library itself never depends on a windowing toolkit.
#pragma once

#include "framework/rtl/Types.h"

#include <functional>

namespace vmado {

class TComponent;

// Shows the connection editor for text, owned by owner; true when the user accepted, text then
// holding the edited string.
using TConnectionEditorHook = std::function<bool(TComponent* owner, AnsiString& text)>;

// Replaces the installed hook; an empty function removes it. Returns the previous one.
TConnectionEditorHook SetConnectionEditorHook(TConnectionEditorHook hook);
const TConnectionEditorHook& ConnectionEditorHook();

} // namespace vmado
