// The master's design-time parts: its Connection property runs the master's editor, and its
// context menu has the verb "Editor".
#pragma once

#include "framework/design/Design.h"

namespace vmado {

class TVMasterConnectionProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() override { return TPropertyAttributes{paDialog}; }
    void Edit() override;
};

class TVMasterEditor : public TComponentEditor {
public:
    using TComponentEditor::TComponentEditor;
    Integer GetVerbCount() override { return 1; }
    AnsiString GetVerb(Integer index) override { return index == 0 ? "Editor" : AnsiString(); }
    void ExecuteVerb(Integer index) override;
};

// A table's TableName lists the tables of its connection, taking its master's first.
class TVTableNameProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() override
    {
        return TPropertyAttributes{paValueList, paSortList, paAutoUpdate};
    }
    void GetValues(const TGetStrProc& proc) override;
};

} // namespace vmado
