// Components, their published properties and collections through TWriter/TReader. A read that
// fails frees what it created and leaves no component in the csLoading/csReading state.
#include "framework/classes/ComponentStreaming.h"
#include "framework/rtl/SysUtils.h"

#include "framework/classes/Collection.h"
#include "framework/classes/Component.h"
#include "framework/classes/PropInfo.h"
#include "framework/classes/internal/FilerPrivate.h"

#include <algorithm>
#include <memory>

namespace vmado {

namespace {

constexpr int kMaxDepth = 200;

// The framework's way of naming a referenced component from the component being written.
AnsiString ComponentReferenceName(const TComponent& value, const TComponent* lookupRoot)
{
    if (value.Owner() == lookupRoot)
        return value.Name();
    if (&value == lookupRoot)
        return "Owner";
    if (value.Owner() != nullptr && !value.Owner()->Name().empty() && !value.Name().empty())
        return value.Owner()->Name() + "." + value.Name();
    if (!value.Name().empty())
        return value.Name() + ".Owner";
    return {};
}

class StateGuard {
public:
    StateGuard(TComponent& c, TComponentStateItem item) : c_(c), item_(item)
    {
        c_.IncludeComponentState(item_);
    }
    ~StateGuard() { c_.ExcludeComponentState(item_); }

private:
    TComponent& c_;
    TComponentStateItem item_;
};

} // namespace

// ---- writing -----------------------------------------------------------------------------------

void TWriter::WriteRootComponent(TComponent& root)
{
    root_ = &root;
    WriteSignature();
    WriteComponent(root);
    FlushBuffer();
}

void TWriter::WriteComponent(TComponent& component)
{
    StateGuard writing(component, csWriting);
    const AnsiString savedPath = std::exchange(propPath_, AnsiString());
    WriteStr(component.ClassName());
    WriteStr(component.Name());
    WriteProperties(component);
    WriteListEnd();
    component.GetChildren([this](TComponent* child) { WriteComponent(*child); }, root_);
    WriteListEnd();
    propPath_ = savedPath;
}

void TWriter::WriteProperties(const TPersistent& instance)
{
    if (const TClassInfo* info = GetClassInfo(instance))
        for (const TPropInfo* prop : info->Properties())
            WriteProperty(instance, *prop);
    // DefineProperties is not const in the framework, but writing never changes the object.
    const_cast<TPersistent&>(instance).DefineProperties(*this);
}

void TWriter::WriteProperty(const TPersistent& instance, const TPropInfo& prop)
{
    if (!prop.IsStored(instance))
        return;
    switch (prop.Kind) {
    case TPropKind::Class:
    case TPropKind::Collection: {
        const TPersistent* value = prop.GetObject(instance);
        if (value == nullptr)
            return;
        const AnsiString savedPath = propPath_;
        propPath_ += prop.Name + ".";
        WriteProperties(*value);
        propPath_ = savedPath;
        if (const auto* collection = dynamic_cast<const TCollection*>(value)) {
            WritePropName(prop.Name);
            WriteCollection(collection);
        }
        return;
    }
    case TPropKind::Component: {
        const auto* value = dynamic_cast<const TComponent*>(prop.GetObject(instance));
        if (value == nullptr)
            return;
        const AnsiString name = ComponentReferenceName(*value, LookupRoot());
        if (name.empty())
            return; // an unnamed component cannot be referred to in a stream
        WritePropName(prop.Name);
        WriteIdent(name);
        return;
    }
    default:
        break;
    }
    if (prop.HasDefaultValue(instance))
        return;
    WritePropName(prop.Name);
    switch (prop.Kind) {
    case TPropKind::Integer: {
        const Int64 value = prop.GetOrd(instance);
        AnsiString ident;
        if (prop.Idents != nullptr && prop.Idents->ToIdent && prop.Idents->ToIdent(value, ident))
            WriteIdent(ident);
        else
            WriteInteger(value);
        break;
    }
    case TPropKind::Int64:
        WriteInteger(prop.GetOrd(instance));
        break;
    case TPropKind::Char:
        WriteChar(static_cast<char>(prop.GetOrd(instance)));
        break;
    case TPropKind::Boolean:
        WriteBoolean(prop.GetOrd(instance) != 0);
        break;
    case TPropKind::Enumeration: {
        const Int64 value = prop.GetOrd(instance);
        const AnsiString name = prop.ValueName(value);
        if (name.empty())
            throw EWriteError("Invalid value " + std::to_string(value) + " of property " + prop.Name);
        WriteIdent(name);
        break;
    }
    case TPropKind::Set: {
        const auto bits = static_cast<std::uint64_t>(prop.GetOrd(instance));
        WriteValue(vaSet);
        for (unsigned i = 0; i < 64; ++i) {
            if ((bits >> i) & 1) {
                if (i >= prop.ValueNames.size())
                    throw EWriteError("Invalid element " + std::to_string(i) + " in property " + prop.Name);
                WriteStr(prop.ValueNames[i]);
            }
        }
        WriteStr("");
        break;
    }
    case TPropKind::String:
        WriteString(prop.GetStr(instance));
        break;
    case TPropKind::Float:
        switch (prop.FloatKind) {
        case TFloatKind::Double:
            WriteFloat(prop.GetFloat(instance));
            break;
        case TFloatKind::Single:
            WriteSingle(static_cast<float>(prop.GetFloat(instance)));
            break;
        case TFloatKind::Date:
            WriteDate(prop.GetFloat(instance));
            break;
        case TFloatKind::Currency:
            WriteCurrency(Currency::FromRaw(prop.GetOrd(instance)));
            break;
        }
        break;
    default:
        break;
    }
}

void TWriter::WriteCollection(const TCollection* collection)
{
    WriteValue(vaCollection);
    if (collection != nullptr) {
        const AnsiString savedPath = std::exchange(propPath_, AnsiString());
        for (Integer i = 0; i < collection->Count(); ++i) {
            WriteListBegin();
            WriteProperties(*collection->Items(i));
            WriteListEnd();
        }
        propPath_ = savedPath;
    }
    WriteListEnd();
}

// ---- reading -----------------------------------------------------------------------------------

namespace {

// Marks an EReadError that already names the property it failed on, so outer properties
// (a collection holding the item) pass it on unchanged.
class EPropertyReadError : public EReadError {
    using EReadError::EReadError;
};

} // namespace

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    ReadSignature();
    Byte flags = 0;
    Integer childPos = 0;
    ReadPrefix(flags, childPos);
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();

    std::unique_ptr<TComponent> created;
    if (root == nullptr) {
        const TClassInfo& info = FindClass(className);
        if (!info.IsComponent())
            throw EReadError("Class " + className + " is not a component");
        created.reset(dynamic_cast<TComponent*>(info.CreateInstance(nullptr)));
        if (!created)
            throw EReadError("Class " + className + " is not a component");
        root = created.get();
    }
    root_ = root;
    owner_ = root;
    loaded_.clear();
    fixups_.clear();
    loaded_.push_back(root);
    root->IncludeComponentState(csLoading);
    root->IncludeComponentState(csReading);
    try {
        try {
            root->SetName(name);
        } catch (const Exception& e) {
            throw EReadError(e.Message());
        }
        ReadComponentData(*root);
        ResolveFixups();
    } catch (...) {
        for (TComponent* c : loaded_) {
            c->ExcludeComponentState(csReading);
            c->ExcludeComponentState(csLoading);
        }
        loaded_.clear();
        fixups_.clear();
        throw; // a created root takes the children read so far with it
    }
    const std::vector<TComponent*> loaded = std::move(loaded_);
    loaded_.clear();
    for (TComponent* c : loaded)
        c->ExcludeComponentState(csReading);
    for (TComponent* c : loaded)
        c->Loaded();
    created.release(); // the caller owns a root made here
    return root;
}

void TReader::ReadComponentData(TComponent& component)
{
    while (!EndOfList())
        ReadProperty(component);
    ReadListEnd();
    TComponent* childOwner = component.GetChildOwner();
    if (childOwner == nullptr)
        childOwner = owner_;
    while (!EndOfList())
        ReadComponent(childOwner);
    ReadListEnd();
}

TComponent* TReader::ReadComponent(TComponent* owner)
{
    if (++depth_ > kMaxDepth)
        internal::InvalidStreamFormat();
    Byte flags = 0;
    Integer childPos = 0;
    ReadPrefix(flags, childPos);
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();
    if (className.empty())
        internal::InvalidStreamFormat();

    // A component the owner already made (in its constructor) is read into, not duplicated.
    TComponent* component = name.empty() ? nullptr : owner->FindComponent(name);
    if (component != nullptr && !SameText(component->ClassName(), className))
        component = nullptr;
    std::unique_ptr<TComponent> created;
    if (component == nullptr) {
        const TClassInfo& info = FindClass(className);
        if (!info.IsComponent())
            throw EReadError("Class " + className + " is not a component");
        TPersistent* instance = info.CreateInstance(owner);
        component = dynamic_cast<TComponent*>(instance);
        if (component == nullptr) {
            delete instance;
            throw EReadError("Class " + className + " is not a component");
        }
        created.reset(component); // freeing it also takes it out of the owner
    }
    component->IncludeComponentState(csLoading);
    component->IncludeComponentState(csReading);
    loaded_.push_back(component);
    try {
        if (created) {
            try {
                component->SetName(name);
            } catch (const Exception& e) {
                throw EReadError(e.Message());
            }
        }
        ReadComponentData(*component);
    } catch (...) {
        if (created) {
            // Drop every reference to the component and what it owns before it goes.
            auto gone = [&](TComponent* c) {
                for (TComponent* p = c; p != nullptr; p = p->Owner())
                    if (p == component)
                        return true;
                return false;
            };
            loaded_.erase(std::remove_if(loaded_.begin(), loaded_.end(), gone), loaded_.end());
            fixups_.clear();
        }
        throw;
    }
    created.release(); // owned by owner now
    --depth_;
    return component;
}

void TReader::ReadProperties(TPersistent& instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
}

void TReader::ReadProperty(TPersistent& instance)
{
    const AnsiString path = ReadStr();
    if (path.empty())
        internal::InvalidStreamFormat();
    AnsiString componentName;
    if (const auto* component = dynamic_cast<const TComponent*>(&instance))
        componentName = component->Name();
    else if (!loaded_.empty())
        componentName = loaded_.back()->Name();
    try {
        auto propertyError = [](const AnsiString& name) -> void {
            throw EReadError("Property " + name + " does not exist");
        };
        TPersistent* current = &instance;
        std::size_t start = 0;
        for (;;) {
            const std::size_t dot = path.find('.', start);
            const AnsiString segment =
                path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
            const TClassInfo* info = GetClassInfo(*current);
            const TPropInfo* prop = info != nullptr ? info->FindProperty(segment) : nullptr;
            if (dot == AnsiString::npos) {
                if (prop != nullptr) {
                    ReadPropValue(*current, *prop);
                } else {
                    propName_ = segment;
                    current->DefineProperties(*this);
                    if (!propName_.empty()) {
                        propName_.clear();
                        propertyError(segment);
                    }
                }
                return;
            }
            if (prop == nullptr || (prop->Kind != TPropKind::Class && prop->Kind != TPropKind::Collection))
                propertyError(segment);
            current = prop->GetObject(*current);
            if (current == nullptr)
                propertyError(segment);
            start = dot + 1;
        }
    } catch (const EPropertyReadError&) {
        throw;
    } catch (const Exception& e) {
        throw EPropertyReadError("Error reading " +
                                 (componentName.empty() ? AnsiString() : componentName + ".") + path + ": " +
                                 e.Message());
    }
}

void TReader::ReadPropValue(TPersistent& instance, const TPropInfo& prop)
{
    switch (prop.Kind) {
    case TPropKind::Integer:
        if (NextValue() == vaIdent && prop.Idents != nullptr && prop.Idents->FromIdent) {
            Int64 value = 0;
            if (!prop.Idents->FromIdent(ReadIdent(), value))
                PropValueError();
            prop.SetOrd(instance, value);
        } else {
            prop.SetOrd(instance, ReadInteger());
        }
        break;
    case TPropKind::Int64:
        prop.SetOrd(instance, ReadInt64());
        break;
    case TPropKind::Char:
        prop.SetOrd(instance, static_cast<unsigned char>(ReadChar()));
        break;
    case TPropKind::Boolean:
        prop.SetOrd(instance, ReadBoolean() ? 1 : 0);
        break;
    case TPropKind::Enumeration: {
        const Int64 ordinal = prop.ValueOrdinal(ReadIdent());
        if (ordinal < 0)
            PropValueError();
        prop.SetOrd(instance, ordinal);
        break;
    }
    case TPropKind::Set: {
        CheckValue(vaSet);
        std::uint64_t bits = 0;
        for (AnsiString element = ReadStr(); !element.empty(); element = ReadStr()) {
            const Int64 ordinal = prop.ValueOrdinal(element);
            if (ordinal < 0 || ordinal >= 64)
                PropValueError();
            bits |= std::uint64_t{1} << ordinal;
        }
        prop.SetOrd(instance, static_cast<Int64>(bits));
        break;
    }
    case TPropKind::String:
        prop.SetStr(instance, ReadString());
        break;
    case TPropKind::Float:
        switch (prop.FloatKind) {
        case TFloatKind::Double:
            prop.SetFloat(instance, ReadFloat());
            break;
        case TFloatKind::Single:
            prop.SetFloat(instance, ReadSingle());
            break;
        case TFloatKind::Date:
            prop.SetFloat(instance, ReadDate());
            break;
        case TFloatKind::Currency:
            prop.SetOrd(instance, ReadCurrency().Raw);
            break;
        }
        break;
    case TPropKind::Class:
    case TPropKind::Collection: {
        // Nested objects arrive as dotted names; on their own they are nil or a collection.
        if (NextValue() == vaNil) {
            ReadValue();
            break;
        }
        auto* collection = dynamic_cast<TCollection*>(prop.GetObject(instance));
        if (collection == nullptr || NextValue() != vaCollection)
            PropValueError();
        ReadValue();
        ReadCollection(*collection);
        break;
    }
    case TPropKind::Component: {
        if (NextValue() == vaNil) {
            ReadValue();
            prop.SetObject(instance, nullptr);
            break;
        }
        const AnsiString name = ReadIdent();
        fixups_.push_back(Fixup{&instance, &prop, name});
        break;
    }
    }
}

void TReader::ReadCollection(TCollection& collection)
{
    if (++depth_ > kMaxDepth)
        internal::InvalidStreamFormat();
    collection.BeginUpdate();
    struct EndUpdate {
        TCollection& c;
        ~EndUpdate() { c.EndUpdate(); }
    } endUpdate{collection};
    if (!EndOfList()) {
        // Pending references held by objects of this collection would dangle once it is cleared.
        fixups_.erase(std::remove_if(fixups_.begin(), fixups_.end(),
                                     [](const Fixup& f) { return !internal::IsComponent(*f.Instance); }),
                      fixups_.end());
        collection.Clear();
    }
    while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32)
            ReadInteger(); // the order index, meaningful only for inherited forms
        TCollectionItem* item = collection.Add();
        CheckValue(vaList);
        while (!EndOfList())
            ReadProperty(*item);
        ReadListEnd();
    }
    ReadListEnd();
    --depth_;
}

void TReader::ResolveFixups()
{
    std::vector<Fixup> fixups = std::move(fixups_);
    fixups_.clear();
    for (const Fixup& f : fixups) {
        TComponent* target = nullptr;
        if (SameText(f.Name, "Owner") || (root_ != nullptr && SameText(f.Name, root_->Name())))
            target = root_;
        else if (root_ != nullptr) {
            AnsiString name = f.Name;
            const std::size_t dot = name.find('.');
            if (dot != AnsiString::npos && SameText(name.substr(0, dot), root_->Name()))
                name = name.substr(dot + 1);
            target = root_->FindComponent(name);
        }
        // A reference to a component outside this stream stays empty: nothing here can find it.
        if (target != nullptr)
            f.Prop->SetObject(*f.Instance, target);
    }
}

// ---- entry points ------------------------------------------------------------------------------

void WriteComponent(TStream& stream, TComponent& instance)
{
    // Written to memory first, so that a failing property leaves nothing half-written behind.
    TMemoryStream buffer;
    {
        TWriter writer(buffer);
        writer.WriteRootComponent(instance);
    }
    stream.WriteBuffer(buffer.Memory(), buffer.Size());
}

TComponent* ReadComponent(TStream& stream, TComponent* instance)
{
    TReader reader(stream);
    return reader.ReadRootComponent(instance);
}

void TStream::WriteComponent(TComponent* instance)
{
    if (instance == nullptr)
        throw EWriteError("Cannot write a nil component");
    vmado::WriteComponent(*this, *instance);
}

TComponent* TStream::ReadComponent(TComponent* instance)
{
    return vmado::ReadComponent(*this, instance);
}

} // namespace vmado
