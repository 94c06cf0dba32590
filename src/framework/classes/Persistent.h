// The root of the framework's class tree: TObject (run-time class name) and TPersistent
// (assignment between objects, owner and name path for streaming and the designer).
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/rtl/Types.h"

namespace vmado {

class TFiler; // defined by the component-streaming layer (Filer.h)

// Framework objects live at fixed addresses (components point at each other, collections own
// items), so they are never copied; Assign copies the contents of one into another.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class name as the framework reports it ("TComponent"); every class overrides it.
    virtual AnsiString ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
public:
    AnsiString ClassName() const override { return "TPersistent"; }

    // Copies source into this object. The default hands over to source->AssignTo(this);
    // when nobody knows how, raises EConvertError "Cannot assign a <source class> to a <this
    // class>" ("nil" for a null source).
    virtual void Assign(const TPersistent* source);

    // The object this one belongs to for streaming and naming (a component's owner, a
    // collection's owner, an item's collection); null by default.
    virtual TPersistent* GetOwner() const { return nullptr; }

    // The dotted path the designer and streaming use: ClassName, prefixed by the owner's path.
    virtual AnsiString GetNamePath() const;

    // Declares non-published data (binary or custom properties) to a reader or writer.
    virtual void DefineProperties(TFiler& filer) {}

protected:
    // Copies this object into dest; the default raises the assignment error.
    virtual void AssignTo(TPersistent* dest) const;

    // Raises EConvertError "Cannot assign a <source> to a <this class>".
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

} // namespace vmado
