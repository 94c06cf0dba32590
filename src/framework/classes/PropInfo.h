// Published-property metadata and the class registry: each streamable class declares its
// published properties once, in order; a class's property list is its parent's followed by its own.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Types.h"

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

namespace vmado {

class TPersistent;
class TComponent;
class TCollection;

// Raised by FindClass for a name nobody registered: "Class TX not found".
class EClassNotFound : public EReadError {
    using EReadError::EReadError;
};

enum class TPropKind {
    Integer, // 32-bit and smaller integers
    Int64,
    Enumeration, // streamed as the value's name
    Set,         // bit mask of enumeration ordinals, streamed as the element names
    Char,
    String,
    Float, // see TFloatKind
    Boolean,
    Class,      // an owned nested persistent: streamed as Name.Sub properties
    Collection, // an owned TCollection: streamed as a collection of items
    Component,  // a reference to another component: streamed as its name
};

enum class TFloatKind { Double, Single, Currency, Date };

// Names for some values of an integer property (colours, character sets): such a value is
// streamed as the identifier, and an identifier is read back into the value.
struct TIntegerIdents {
    std::function<bool(Int64 value, AnsiString& ident)> ToIdent;
    std::function<bool(std::string_view ident, Int64& value)> FromIdent;
};

// One published property. The accessors work on any instance of the declaring class (or a
// subclass); which of them are set depends on Kind:
//   Integer, Int64, Enumeration, Set, Char, Boolean: GetOrd/SetOrd (sets as a bit mask)
//   Float: GetFloat/SetFloat, except Currency, which uses GetOrd/SetOrd with the raw value
//   String: GetStr/SetStr
//   Class, Collection: GetObject (the owned object); Component: GetObject/SetObject
struct TPropInfo {
    AnsiString Name;
    TPropKind Kind = TPropKind::Integer;
    TFloatKind FloatKind = TFloatKind::Double;
    std::vector<AnsiString> ValueNames;     // enumeration values / set elements, by ordinal
    std::optional<Int64> Default;           // ordinal kinds: a value equal to it is not written
    const TIntegerIdents* Idents = nullptr; // Integer kind: named values (not owned; static)
    // The declared type when it is a named variant of the kind's own (a file name is a string
    // to the stream but has editors of its own at design time); empty otherwise.
    AnsiString TypeName;

    std::function<Int64(const TPersistent&)> GetOrd;
    std::function<void(TPersistent&, Int64)> SetOrd;
    std::function<double(const TPersistent&)> GetFloat;
    std::function<void(TPersistent&, double)> SetFloat;
    std::function<AnsiString(const TPersistent&)> GetStr;
    std::function<void(TPersistent&, const AnsiString&)> SetStr;
    std::function<TPersistent*(const TPersistent&)> GetObject;
    std::function<void(TPersistent&, TComponent*)> SetObject;
    std::function<bool(const TPersistent&)> Stored; // empty: always stored

    bool IsStored(const TPersistent& instance) const { return !Stored || Stored(instance); }
    // The framework's default rule: ordinals equal to their declared default (none declared:
    // never default), empty strings, zero floats and null objects are not written.
    bool HasDefaultValue(const TPersistent& instance) const;
    // Name of an enumeration value; empty when out of range.
    AnsiString ValueName(Int64 ordinal) const;
    // Ordinal of a value name (ASCII case ignored); -1 when unknown.
    Int64 ValueOrdinal(std::string_view name) const;
};

class TClassInfo {
public:
    using Factory = std::function<TPersistent*(TComponent* owner)>;

    TClassInfo(AnsiString className, std::type_index type,
               std::function<bool(const TPersistent&)> isInstance);

    const AnsiString& ClassName() const { return className_; }
    std::type_index Type() const { return type_; }
    const TClassInfo* Parent() const; // null for a root class or an unregistered parent
    bool InheritsFrom(const TClassInfo& other) const;
    bool IsInstance(const TPersistent& instance) const { return isInstance_(instance); }
    bool IsComponent() const { return isComponent_; }
    bool IsCollection() const { return isCollection_; }

    // Inherited properties first, each class's in declaration order. A subclass may redeclare
    // a property name to change its default or stored rule; the redeclaration keeps the place.
    std::vector<const TPropInfo*> Properties() const;
    const std::vector<TPropInfo>& OwnProperties() const { return properties_; }
    // ASCII case ignored; searches the parents too. Null when unknown.
    const TPropInfo* FindProperty(std::string_view name) const;

    bool CanCreate() const { return static_cast<bool>(factory_); }
    // A new instance: components get the owner; raises EClassNotFound-family EReadError when the
    // class cannot be created (abstract). The result is owned by owner, or by the caller.
    TPersistent* CreateInstance(TComponent* owner) const;

    // Building (done once, normally at static initialisation through ClassInfo<T>).
    void SetParent(std::type_index parentType)
    {
        parentType_ = parentType;
        parentName_.clear();
    }
    void SetParent(AnsiString parentName)
    {
        parentName_ = std::move(parentName);
        parentType_.reset();
    }
    void SetFactory(Factory factory) { factory_ = std::move(factory); }
    void SetFlags(bool isComponent, bool isCollection)
    {
        isComponent_ = isComponent;
        isCollection_ = isCollection;
    }
    TPropInfo& AddProperty(TPropInfo info);

private:
    AnsiString className_;
    std::type_index type_;
    std::function<bool(const TPersistent&)> isInstance_;
    std::optional<std::type_index> parentType_;
    AnsiString parentName_;
    Factory factory_;
    bool isComponent_ = false;
    bool isCollection_ = false;
    std::vector<TPropInfo> properties_;
};

// The registry. Registering a name again replaces the earlier entry.
TClassInfo& RegisterClassInfo(std::unique_ptr<TClassInfo> info);
const TClassInfo* GetClass(std::string_view className);  // null when unknown (case ignored)
const TClassInfo& FindClass(std::string_view className); // EClassNotFound "Class TX not found"
const TClassInfo* GetClassInfo(std::type_index type);    // the class registered for exactly type
// The most derived registered class the instance belongs to; null when none.
const TClassInfo* GetClassInfo(const TPersistent& instance);

namespace internal {
bool IsComponent(const TPersistent& p);
bool IsCollection(const TPersistent& p);
template <class V> Int64 OrdinalOf(const V& v)
{
    if constexpr (std::is_enum_v<V>)
        return static_cast<Int64>(v);
    else if constexpr (requires { v.Bits(); })
        return static_cast<Int64>(v.Bits());
    else
        return static_cast<Int64>(v);
}
template <class V> V FromOrdinal(Int64 n)
{
    if constexpr (std::is_same_v<V, bool>)
        return n != 0;
    else if constexpr (std::is_enum_v<V>)
        return static_cast<V>(n);
    else if constexpr (requires { V::FromBits(0); })
        return V::FromBits(static_cast<std::uint64_t>(n));
    else
        return static_cast<V>(n);
}
} // namespace internal

// Declares T's published properties:
//   ClassInfo<TFont>("TFont").Parent<TPersistent>()
//       .Int("Charset", &TFont::Charset, &TFont::SetCharset).Default(1)
//       .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"})
//       .Set("Style", &TFont::Style, &TFont::SetStyle, {"fsBold", "fsItalic", ...});
// Getters are anything callable on const T& (member functions included); setters anything
// callable with (T&, value). Default and Stored apply to the property declared last.
template <class T> class ClassInfo {
public:
    explicit ClassInfo(AnsiString className)
    {
        auto info = std::make_unique<TClassInfo>(
            std::move(className), std::type_index(typeid(T)),
            [](const TPersistent& p) { return dynamic_cast<const T*>(&p) != nullptr; });
        if constexpr (!std::is_abstract_v<T>) {
            if constexpr (std::is_constructible_v<T, TComponent*>)
                info->SetFactory([](TComponent* owner) -> TPersistent* { return new T(owner); });
            else if constexpr (std::is_default_constructible_v<T>)
                info->SetFactory([](TComponent*) -> TPersistent* { return new T(); });
        }
        info->SetFlags(std::is_base_of_v<TComponent, T>, std::is_base_of_v<TCollection, T>);
        info_ = &RegisterClassInfo(std::move(info));
    }

    template <class P> ClassInfo& Parent()
    {
        static_assert(std::is_base_of_v<P, T>, "the parent must be a base class");
        info_->SetParent(std::type_index(typeid(P)));
        return *this;
    }
    ClassInfo& Parent(AnsiString parentName)
    {
        info_->SetParent(std::move(parentName));
        return *this;
    }
    // A factory for classes whose constructor takes something else.
    ClassInfo& Factory(TClassInfo::Factory factory)
    {
        info_->SetFactory(std::move(factory));
        return *this;
    }

    template <class G, class S> ClassInfo& Int(AnsiString name, G get, S set)
    {
        return Ordinal(TPropKind::Integer, std::move(name), get, set, {});
    }
    template <class G, class S> ClassInfo& Int64(AnsiString name, G get, S set)
    {
        return Ordinal(TPropKind::Int64, std::move(name), get, set, {});
    }
    template <class G, class S> ClassInfo& Char(AnsiString name, G get, S set)
    {
        return Ordinal(TPropKind::Char, std::move(name), get, set, {});
    }
    template <class G, class S> ClassInfo& Bool(AnsiString name, G get, S set)
    {
        return Ordinal(TPropKind::Boolean, std::move(name), get, set, {});
    }
    template <class G, class S>
    ClassInfo& Enum(AnsiString name, G get, S set, std::vector<AnsiString> valueNames)
    {
        return Ordinal(TPropKind::Enumeration, std::move(name), get, set, std::move(valueNames));
    }
    template <class G, class S>
    ClassInfo& Set(AnsiString name, G get, S set, std::vector<AnsiString> elementNames)
    {
        return Ordinal(TPropKind::Set, std::move(name), get, set, std::move(elementNames));
    }

    template <class G, class S> ClassInfo& String(AnsiString name, G get, S set)
    {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::String;
        p.GetStr = [get](const TPersistent& o) { return AnsiString(std::invoke(get, Self(o))); };
        p.SetStr = [set](TPersistent& o, const AnsiString& v) { std::invoke(set, Self(o), v); };
        return Add(std::move(p));
    }

    // kind Double (written as a 10-byte extended), Single or Date.
    template <class G, class S>
    ClassInfo& Float(AnsiString name, G get, S set, TFloatKind kind = TFloatKind::Double)
    {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Float;
        p.FloatKind = kind;
        p.GetFloat = [get](const TPersistent& o) { return static_cast<double>(std::invoke(get, Self(o))); };
        p.SetFloat = [set](TPersistent& o, double v) { std::invoke(set, Self(o), static_cast<V>(v)); };
        return Add(std::move(p));
    }
    template <class G, class S> ClassInfo& CurrencyProp(AnsiString name, G get, S set)
    {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Float;
        p.FloatKind = TFloatKind::Currency;
        p.GetOrd = [get](const TPersistent& o) {
            return vmado::Int64(Currency(std::invoke(get, Self(o))).Raw);
        };
        p.SetOrd = [set](TPersistent& o, vmado::Int64 raw) {
            std::invoke(set, Self(o), Currency::FromRaw(raw));
        };
        return Add(std::move(p));
    }

    // An owned nested persistent (a font, a string list): the getter returns a pointer to it.
    template <class G> ClassInfo& Object(AnsiString name, G get)
    {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Class;
        p.GetObject = [get](const TPersistent& o) -> TPersistent* { return std::invoke(get, Self(o)); };
        return Add(std::move(p));
    }
    // An owned collection: the getter returns a pointer to it.
    template <class G> ClassInfo& Collection(AnsiString name, G get)
    {
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Collection;
        p.GetObject = [get](const TPersistent& o) -> TPersistent* { return std::invoke(get, Self(o)); };
        return Add(std::move(p));
    }
    // A reference to another component (held by pointer, cleared on its removal).
    template <class G, class S> ClassInfo& Component(AnsiString name, G get, S set)
    {
        using V = std::remove_pointer_t<std::decay_t<std::invoke_result_t<G, const T&>>>;
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = TPropKind::Component;
        p.GetObject = [get](const TPersistent& o) -> TPersistent* { return std::invoke(get, Self(o)); };
        p.SetObject = [set, n = p.Name](TPersistent& o, TComponent* c) {
            V* typed = nullptr;
            if (c != nullptr) {
                typed = dynamic_cast<V*>(c);
                if (typed == nullptr)
                    throw EReadError("Invalid property value for " + n);
            }
            std::invoke(set, Self(o), typed);
        };
        return Add(std::move(p));
    }

    ClassInfo& Default(vmado::Int64 value)
    {
        last_->Default = value;
        return *this;
    }
    template <class V>
    requires(!std::is_integral_v<V>) ClassInfo& Default(V value)
    {
        last_->Default = internal::OrdinalOf(value);
        return *this;
    }
    // The declared type of the property declared last, where it differs from its kind's.
    ClassInfo& TypeName(AnsiString name)
    {
        last_->TypeName = std::move(name);
        return *this;
    }
    // Named values for the integer property declared last; idents must outlive the registry.
    ClassInfo& Idents(const TIntegerIdents& idents)
    {
        last_->Idents = &idents;
        return *this;
    }
    template <class Pred> ClassInfo& Stored(Pred pred)
    {
        if constexpr (std::is_same_v<Pred, bool>)
            last_->Stored = [pred](const TPersistent&) { return pred; };
        else
            last_->Stored = [pred](const TPersistent& o) {
                return static_cast<bool>(std::invoke(pred, Self(o)));
            };
        return *this;
    }

    TClassInfo& Info() const { return *info_; }

private:
    static const T& Self(const TPersistent& o) { return dynamic_cast<const T&>(o); }
    static T& Self(TPersistent& o) { return dynamic_cast<T&>(o); }

    template <class G, class S>
    ClassInfo& Ordinal(TPropKind kind, AnsiString name, G get, S set, std::vector<AnsiString> names)
    {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo p;
        p.Name = std::move(name);
        p.Kind = kind;
        p.ValueNames = std::move(names);
        p.GetOrd = [get](const TPersistent& o) { return internal::OrdinalOf<V>(std::invoke(get, Self(o))); };
        p.SetOrd = [set, n = p.Name](TPersistent& o, vmado::Int64 v) {
            if constexpr (std::is_integral_v<V> && !std::is_same_v<V, bool> &&
                          sizeof(V) < sizeof(vmado::Int64)) {
                // A narrower property never takes a value it would silently cut.
                if (v < static_cast<vmado::Int64>(std::numeric_limits<V>::min()) ||
                    v > static_cast<vmado::Int64>(std::numeric_limits<V>::max()))
                    throw EConvertError(std::to_string(v) + " is out of range for property " + n);
            }
            std::invoke(set, Self(o), internal::FromOrdinal<V>(v));
        };
        return Add(std::move(p));
    }
    ClassInfo& Add(TPropInfo p)
    {
        last_ = &info_->AddProperty(std::move(p));
        return *this;
    }

    TClassInfo* info_ = nullptr;
    TPropInfo* last_ = nullptr;
};

// The framework's spelling: RegisterClass<TFont>("TFont").Parent<TPersistent>()...
template <class T> ClassInfo<T> RegisterClass(AnsiString className)
{
    return ClassInfo<T>(std::move(className));
}

} // namespace vmado
