// The design-time services an IDE gives component packages, stood in for here: a component
// palette, property editors chosen by property type, component class and property name, and
// component editors with verbs. A property inspector (or a test) reads the registrations back.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/classes/PropInfo.h"
#include "framework/rtl/Types.h"

#include <functional>
#include <memory>
#include <vector>

namespace vmado {

class TComponent;
class TPersistent;

enum TPropertyAttribute {
    paValueList,
    paSubProperties,
    paDialog,
    paMultiSelect,
    paAutoUpdate,
    paSortList,
    paReadOnly
};
using TPropertyAttributes = TSet<TPropertyAttribute>;

// The form being designed, as far as editors need it: it is told when they change something.
class TFormDesigner {
public:
    void Modified();
    Integer ModifiedCount() const { return modified_; }
    std::function<void()> OnModified;

private:
    Integer modified_ = 0;
};

using TGetStrProc = std::function<void(const AnsiString& value)>;

// Edits one published property of one instance. The base works for every kind the framework
// streams, through the property's text; descendants add value lists and dialogs.
class TPropertyEditor {
public:
    TPropertyEditor(TFormDesigner* designer, TPersistent* instance, const TPropInfo* prop);
    virtual ~TPropertyEditor() = default;

    virtual TPropertyAttributes GetAttributes();
    virtual AnsiString GetValue();
    // Raises EConvertError (or the setter's own error) for a text the property cannot take.
    virtual void SetValue(const AnsiString& value);
    // The values a value list offers; the base lists an enumeration's names.
    virtual void GetValues(const TGetStrProc& proc);
    // Runs the editor's dialog; the base does nothing.
    virtual void Edit() {}

    void Modified();
    TFormDesigner* Designer() const { return designer_; }
    TPersistent* Instance() const { return instance_; }
    const TPropInfo& Prop() const { return *prop_; }

protected:
    AnsiString GetStrValue() const;
    void SetStrValue(const AnsiString& value);

private:
    TFormDesigner* designer_;
    TPersistent* instance_;
    const TPropInfo* prop_;
};

class TStringProperty : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
};

// Adds verbs to a component's context menu in the designer.
class TComponentEditor {
public:
    TComponentEditor(TComponent* component, TFormDesigner* designer)
        : component_(component), designer_(designer)
    {
    }
    virtual ~TComponentEditor() = default;
    virtual Integer GetVerbCount() { return 0; }
    virtual AnsiString GetVerb(Integer index) { return {}; }
    virtual void ExecuteVerb(Integer index) {}
    // A double click: the first verb, when there is one.
    virtual void Edit();
    TComponent* Component() const { return component_; }
    TFormDesigner* Designer() const { return designer_; }

private:
    TComponent* component_;
    TFormDesigner* designer_;
};

using TPropertyEditorFactory =
    std::function<std::unique_ptr<TPropertyEditor>(TFormDesigner*, TPersistent*, const TPropInfo*)>;
using TComponentEditorFactory = std::function<std::unique_ptr<TComponentEditor>(TComponent*, TFormDesigner*)>;

// The type a property editor registration names: the property's declared type name, or the
// name its kind has ("string", "Integer", "Boolean", ...).
AnsiString PropertyTypeName(const TPropInfo& prop);

// An empty componentClass or propertyName matches any; a class matches its descendants too.
// editorName is what PropertyEditorName answers, for inspectors and tests.
void RegisterPropertyEditor(const AnsiString& propertyType, const AnsiString& componentClass,
                            const AnsiString& propertyName, const AnsiString& editorName,
                            TPropertyEditorFactory factory);
void RegisterComponentEditor(const AnsiString& componentClass, const AnsiString& editorName,
                             TComponentEditorFactory factory);
void RegisterComponents(const AnsiString& page, const std::vector<AnsiString>& classNames);

struct TPalettePage {
    AnsiString Name;
    std::vector<AnsiString> Classes;
};
const std::vector<TPalettePage>& PalettePages();

// The editor for prop of instance: of the registrations that match, one naming the property
// beats one that does not, then the nearest class, then the latest; without a match the base
// editor for the property's kind.
std::unique_ptr<TPropertyEditor> GetPropertyEditor(TFormDesigner* designer, TPersistent* instance,
                                                   const TPropInfo* prop);
AnsiString PropertyEditorName(const TPersistent& instance, const TPropInfo& prop); // "" for the base
std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* component, TFormDesigner* designer);
AnsiString ComponentEditorName(const TComponent& component); // "" when none is registered

// Forgets every registration (a package unloading; tests).
void ClearDesignRegistry();

} // namespace vmado
