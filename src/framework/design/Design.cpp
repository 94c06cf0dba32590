#include "framework/design/Design.h"

#include "framework/classes/Component.h"
#include "framework/classes/Persistent.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <climits>

namespace vmado {

namespace {

struct PropertyRegistration {
    AnsiString Type, Class, Property, Name;
    TPropertyEditorFactory Factory;
};

struct ComponentRegistration {
    AnsiString Class, Name;
    TComponentEditorFactory Factory;
};

struct Registry {
    std::vector<PropertyRegistration> Properties;
    std::vector<ComponentRegistration> Components;
    std::vector<TPalettePage> Pages;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

// How many steps up from instance's class className is: 0 for the class itself; -1 when the
// instance is not one of them (or its class is not registered with the framework).
int ClassDistance(const TPersistent& instance, const AnsiString& className)
{
    const TClassInfo* info = nullptr;
    try {
        info = &FindClass(instance.ClassName());
    } catch (const Exception&) {
        return SameText(instance.ClassName(), className) ? 0 : -1;
    }
    int distance = 0;
    for (; info; info = info->Parent(), ++distance)
        if (SameText(info->ClassName(), className))
            return distance;
    return -1;
}

const PropertyRegistration* Match(const TPersistent& instance, const TPropInfo& prop)
{
    const AnsiString type = PropertyTypeName(prop);
    const PropertyRegistration* best = nullptr;
    int bestNamed = -1, bestDistance = INT_MAX;
    for (const PropertyRegistration& r : TheRegistry().Properties) {
        if (!r.Type.empty() && !SameText(r.Type, type))
            continue;
        if (!r.Property.empty() && !SameText(r.Property, prop.Name))
            continue;
        const int distance = r.Class.empty() ? INT_MAX - 1 : ClassDistance(instance, r.Class);
        if (distance < 0)
            continue;
        const int named = r.Property.empty() ? 0 : 1;
        // Later registrations win ties: a package may replace an editor it registered before.
        if (named > bestNamed || (named == bestNamed && distance <= bestDistance)) {
            best = &r;
            bestNamed = named;
            bestDistance = distance;
        }
    }
    return best;
}

const ComponentRegistration* MatchComponent(const TComponent& component)
{
    const ComponentRegistration* best = nullptr;
    int bestDistance = INT_MAX;
    for (const ComponentRegistration& r : TheRegistry().Components) {
        const int distance = ClassDistance(component, r.Class);
        if (distance >= 0 && distance <= bestDistance) {
            best = &r;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

void TFormDesigner::Modified()
{
    ++modified_;
    if (OnModified)
        OnModified();
}

TPropertyEditor::TPropertyEditor(TFormDesigner* designer, TPersistent* instance, const TPropInfo* prop)
    : designer_(designer), instance_(instance), prop_(prop)
{
}

void TPropertyEditor::Modified()
{
    if (designer_)
        designer_->Modified();
}

TPropertyAttributes TPropertyEditor::GetAttributes()
{
    switch (prop_->Kind) {
    case TPropKind::Enumeration:
    case TPropKind::Boolean:
        return TPropertyAttributes{paMultiSelect, paValueList, paSortList};
    case TPropKind::Class:
    case TPropKind::Collection:
        return TPropertyAttributes{paSubProperties, paReadOnly};
    case TPropKind::Set:
        return TPropertyAttributes{paSubProperties, paReadOnly};
    default:
        return TPropertyAttributes{paMultiSelect};
    }
}

AnsiString TPropertyEditor::GetStrValue() const
{
    return prop_->GetStr ? prop_->GetStr(*instance_) : AnsiString();
}

void TPropertyEditor::SetStrValue(const AnsiString& value)
{
    if (!prop_->SetStr)
        throw EConvertError("Property " + prop_->Name + " is read-only");
    prop_->SetStr(*instance_, value);
}

AnsiString TPropertyEditor::GetValue()
{
    const TPersistent& self = *instance_;
    switch (prop_->Kind) {
    case TPropKind::String:
        return GetStrValue();
    case TPropKind::Integer:
    case TPropKind::Int64:
        return IntToStr(prop_->GetOrd(self));
    case TPropKind::Char:
        return AnsiString(1, static_cast<char>(prop_->GetOrd(self)));
    case TPropKind::Enumeration:
        return prop_->ValueName(prop_->GetOrd(self));
    case TPropKind::Boolean:
        return prop_->GetOrd(self) ? "True" : "False";
    case TPropKind::Float:
        return prop_->FloatKind == TFloatKind::Currency
                   ? FloatToStr(static_cast<double>(prop_->GetOrd(self)) / 10000)
                   : FloatToStr(prop_->GetFloat(self));
    case TPropKind::Set: {
        AnsiString text;
        const Int64 bits = prop_->GetOrd(self);
        for (std::size_t i = 0; i < prop_->ValueNames.size() && i < 64; ++i)
            if (bits & (Int64{1} << i))
                text += (text.empty() ? "" : ",") + prop_->ValueNames[i];
        return "[" + text + "]";
    }
    case TPropKind::Component: {
        const auto* component = dynamic_cast<const TComponent*>(prop_->GetObject(self));
        return component ? component->Name() : AnsiString();
    }
    case TPropKind::Class:
    case TPropKind::Collection: {
        const TPersistent* object = prop_->GetObject(self);
        return object ? "(" + object->ClassName() + ")" : AnsiString();
    }
    }
    return {};
}

void TPropertyEditor::SetValue(const AnsiString& value)
{
    TPersistent& self = *instance_;
    switch (prop_->Kind) {
    case TPropKind::String:
        SetStrValue(value);
        break;
    case TPropKind::Integer:
        prop_->SetOrd(self, StrToInt(Trim(value)));
        break;
    case TPropKind::Int64:
        prop_->SetOrd(self, StrToInt64(Trim(value)));
        break;
    case TPropKind::Char:
        if (value.size() != 1)
            throw EConvertError("'" + value + "' is not one character for property " + prop_->Name);
        prop_->SetOrd(self, static_cast<unsigned char>(value[0]));
        break;
    case TPropKind::Enumeration: {
        const Int64 ordinal = prop_->ValueOrdinal(Trim(value));
        if (ordinal < 0)
            throw EConvertError("'" + value + "' is not a value of property " + prop_->Name);
        prop_->SetOrd(self, ordinal);
        break;
    }
    case TPropKind::Boolean: {
        bool flag = false;
        if (!TryStrToBool(Trim(value), flag))
            throw EConvertError("'" + value + "' is not a Boolean value for property " + prop_->Name);
        prop_->SetOrd(self, flag ? 1 : 0);
        break;
    }
    case TPropKind::Float:
        if (prop_->FloatKind == TFloatKind::Currency)
            prop_->SetOrd(self, static_cast<Int64>(StrToFloat(Trim(value)) * 10000));
        else
            prop_->SetFloat(self, StrToFloat(Trim(value)));
        break;
    default:
        throw EConvertError("Property " + prop_->Name + " cannot be set from text");
    }
    Modified();
}

void TPropertyEditor::GetValues(const TGetStrProc& proc)
{
    if (prop_->Kind == TPropKind::Boolean) {
        proc("False");
        proc("True");
        return;
    }
    if (prop_->Kind == TPropKind::Enumeration)
        for (const AnsiString& name : prop_->ValueNames)
            proc(name);
}

TPropertyAttributes TStringProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect};
}

void TComponentEditor::Edit()
{
    if (GetVerbCount() > 0)
        ExecuteVerb(0);
}

AnsiString PropertyTypeName(const TPropInfo& prop)
{
    if (!prop.TypeName.empty())
        return prop.TypeName;
    switch (prop.Kind) {
    case TPropKind::Integer:
        return "Integer";
    case TPropKind::Int64:
        return "Int64";
    case TPropKind::Enumeration:
        return "Enumeration";
    case TPropKind::Set:
        return "Set";
    case TPropKind::Char:
        return "Char";
    case TPropKind::String:
        return "string";
    case TPropKind::Float:
        return prop.FloatKind == TFloatKind::Currency
                   ? "Currency"
                   : (prop.FloatKind == TFloatKind::Date ? "TDateTime" : "Double");
    case TPropKind::Boolean:
        return "Boolean";
    case TPropKind::Class:
        return "Class";
    case TPropKind::Collection:
        return "Collection";
    case TPropKind::Component:
        return "Component";
    }
    return {};
}

void RegisterPropertyEditor(const AnsiString& propertyType, const AnsiString& componentClass,
                            const AnsiString& propertyName, const AnsiString& editorName,
                            TPropertyEditorFactory factory)
{
    TheRegistry().Properties.push_back(
        {propertyType, componentClass, propertyName, editorName, std::move(factory)});
}

void RegisterComponentEditor(const AnsiString& componentClass, const AnsiString& editorName,
                             TComponentEditorFactory factory)
{
    TheRegistry().Components.push_back({componentClass, editorName, std::move(factory)});
}

void RegisterComponents(const AnsiString& page, const std::vector<AnsiString>& classNames)
{
    auto& pages = TheRegistry().Pages;
    auto it = std::find_if(pages.begin(), pages.end(), [&](const TPalettePage& p) { return p.Name == page; });
    if (it == pages.end())
        it = pages.insert(pages.end(), TPalettePage{page, {}});
    for (const AnsiString& name : classNames)
        if (std::find(it->Classes.begin(), it->Classes.end(), name) == it->Classes.end())
            it->Classes.push_back(name);
}

const std::vector<TPalettePage>& PalettePages()
{
    return TheRegistry().Pages;
}

std::unique_ptr<TPropertyEditor> GetPropertyEditor(TFormDesigner* designer, TPersistent* instance,
                                                   const TPropInfo* prop)
{
    if (const PropertyRegistration* r = Match(*instance, *prop))
        return r->Factory(designer, instance, prop);
    if (prop->Kind == TPropKind::String)
        return std::make_unique<TStringProperty>(designer, instance, prop);
    return std::make_unique<TPropertyEditor>(designer, instance, prop);
}

AnsiString PropertyEditorName(const TPersistent& instance, const TPropInfo& prop)
{
    const PropertyRegistration* r = Match(instance, prop);
    return r ? r->Name : AnsiString();
}

std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* component, TFormDesigner* designer)
{
    const ComponentRegistration* r = MatchComponent(*component);
    return r ? r->Factory(component, designer) : std::make_unique<TComponentEditor>(component, designer);
}

AnsiString ComponentEditorName(const TComponent& component)
{
    const ComponentRegistration* r = MatchComponent(component);
    return r ? r->Name : AnsiString();
}

void ClearDesignRegistry()
{
    TheRegistry() = Registry{};
}

} // namespace vmado
