// A component that runs the connection editor form on its Connection text.
#pragma once

#include "framework/classes/Component.h"

namespace vmado {

class TVConnectionEditor : public TComponent {
public:
    explicit TVConnectionEditor(TComponent* owner);

    AnsiString ClassName() const override { return "TVConnectionEditor"; }

    const AnsiString& Connection() const { return connection_; }
    void SetConnection(const AnsiString& value) { connection_ = value; }
    // The table a single-table driver's data file implies; empty after a cancel.
    const AnsiString& DefaultTable() const { return defaultTable_; }
    void SetDefaultTable(const AnsiString& value) { defaultTable_ = value; }

    // Shows the form modally; true when the user accepted, Connection then holding the new text.
    bool Execute();

private:
    AnsiString connection_;
    AnsiString defaultTable_;
};

// Routes the dataset's and the master's connection editors to this component.
void InstallConnectionEditorHook();

} // namespace vmado
