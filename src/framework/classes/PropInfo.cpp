// The class registry and the property-list rules: a class's properties are its parent's, in
// order, then its own; lookups ignore ASCII case. The framework's base classes register here.
#include "framework/classes/PropInfo.h"
#include "framework/rtl/SysUtils.h"

#include "framework/classes/Collection.h"
#include "framework/classes/Component.h"
#include "framework/classes/internal/FilerPrivate.h"

#include <map>
#include <mutex>
#include <unordered_map>

namespace vmado {

namespace {

AnsiString UpperAscii(std::string_view s)
{
    AnsiString out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

struct Registry {
    std::recursive_mutex mutex;
    std::vector<std::unique_ptr<TClassInfo>> all; // never shrinks: pointers stay valid
    std::map<AnsiString, TClassInfo*> byName;     // upper-cased name
    std::unordered_map<std::type_index, TClassInfo*> byType;
    std::unordered_map<std::type_index, const TClassInfo*> resolved; // instance type -> best class
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

int ChainLength(const TClassInfo* info)
{
    int n = 0;
    for (; info != nullptr && n < 1000; info = info->Parent())
        ++n;
    return n;
}

} // namespace

// ---- TPropInfo ---------------------------------------------------------------------------------

bool TPropInfo::HasDefaultValue(const TPersistent& instance) const
{
    switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Enumeration:
    case TPropKind::Set:
    case TPropKind::Char:
    case TPropKind::Boolean:
        return Default.has_value() && GetOrd(instance) == *Default;
    case TPropKind::Int64:
        return GetOrd(instance) == Default.value_or(0);
    case TPropKind::Float:
        if (FloatKind == TFloatKind::Currency)
            return GetOrd(instance) == 0;
        return GetFloat(instance) == 0;
    case TPropKind::String:
        return GetStr(instance).empty();
    case TPropKind::Component:
        return GetObject(instance) == nullptr;
    case TPropKind::Class:
    case TPropKind::Collection:
        return false;
    }
    return false;
}

AnsiString TPropInfo::ValueName(Int64 ordinal) const
{
    if (ordinal < 0 || ordinal >= static_cast<Int64>(ValueNames.size()))
        return {};
    return ValueNames[static_cast<std::size_t>(ordinal)];
}

Int64 TPropInfo::ValueOrdinal(std::string_view name) const
{
    for (std::size_t i = 0; i < ValueNames.size(); ++i)
        if (SameText(ValueNames[i], name))
            return static_cast<Int64>(i);
    return -1;
}

// ---- TClassInfo --------------------------------------------------------------------------------

TClassInfo::TClassInfo(AnsiString className, std::type_index type,
                       std::function<bool(const TPersistent&)> isInstance)
    : className_(std::move(className)), type_(type), isInstance_(std::move(isInstance))
{
}

const TClassInfo* TClassInfo::Parent() const
{
    if (parentType_)
        return GetClassInfo(*parentType_);
    if (!parentName_.empty())
        return GetClass(parentName_);
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const
{
    int guard = 0;
    for (const TClassInfo* c = this; c != nullptr && guard < 1000; c = c->Parent(), ++guard)
        if (c == &other)
            return true;
    return false;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c != nullptr && chain.size() < 1000; c = c->Parent())
        chain.push_back(c);
    std::vector<const TPropInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo& p : (*it)->properties_) {
            bool replaced = false;
            for (const TPropInfo*& existing : result) {
                if (SameText(existing->Name, p.Name)) {
                    existing = &p;
                    replaced = true;
                    break;
                }
            }
            if (!replaced)
                result.push_back(&p);
        }
    }
    return result;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const
{
    int guard = 0;
    for (const TClassInfo* c = this; c != nullptr && guard < 1000; c = c->Parent(), ++guard)
        for (const TPropInfo& p : c->properties_)
            if (SameText(p.Name, name))
                return &p;
    return nullptr;
}

TPersistent* TClassInfo::CreateInstance(TComponent* owner) const
{
    if (!factory_)
        throw EReadError("Cannot create an instance of class " + className_);
    return factory_(owner);
}

TPropInfo& TClassInfo::AddProperty(TPropInfo info)
{
    properties_.push_back(std::move(info));
    return properties_.back();
}

// ---- registry ----------------------------------------------------------------------------------

TClassInfo& RegisterClassInfo(std::unique_ptr<TClassInfo> info)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    TClassInfo* raw = info.get();
    r.all.push_back(std::move(info));
    r.byName[UpperAscii(raw->ClassName())] = raw;
    r.byType[raw->Type()] = raw;
    r.resolved.clear();
    return *raw;
}

const TClassInfo* GetClass(std::string_view className)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.byName.find(UpperAscii(className));
    return it == r.byName.end() ? nullptr : it->second;
}

const TClassInfo& FindClass(std::string_view className)
{
    if (const TClassInfo* info = GetClass(className))
        return *info;
    throw EClassNotFound("Class " + AnsiString(className) + " not found");
}

const TClassInfo* GetClassInfo(std::type_index type)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.byType.find(type);
    return it == r.byType.end() ? nullptr : it->second;
}

const TClassInfo* GetClassInfo(const TPersistent& instance)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const std::type_index type(typeid(instance));
    if (const auto exact = r.byType.find(type); exact != r.byType.end())
        return exact->second;
    if (const auto cached = r.resolved.find(type); cached != r.resolved.end())
        return cached->second;
    // An unregistered subclass streams as its nearest registered ancestor.
    const TClassInfo* best = nullptr;
    int bestDepth = -1;
    for (const auto& [t, info] : r.byType) {
        if (!info->IsInstance(instance))
            continue;
        const int depth = ChainLength(info);
        if (depth > bestDepth) {
            best = info;
            bestDepth = depth;
        }
    }
    r.resolved[type] = best;
    return best;
}

namespace internal {
bool IsComponent(const TPersistent& p)
{
    return dynamic_cast<const TComponent*>(&p) != nullptr;
}
bool IsCollection(const TPersistent& p)
{
    return dynamic_cast<const TCollection*>(&p) != nullptr;
}
} // namespace internal

namespace {

// The framework's own streamable bases. TComponent's Name travels in the object header, so
// only Tag is a property here.
const bool kBaseClassesRegistered = [] {
    ClassInfo<TPersistent>("TPersistent");
    ClassInfo<TComponent>("TComponent")
        .Parent<TPersistent>()
        .Int("Tag", &TComponent::Tag, &TComponent::SetTag)
        .Default(0);
    ClassInfo<TCollection>("TCollection").Parent<TPersistent>();
    ClassInfo<TOwnedCollection>("TOwnedCollection").Parent<TCollection>();
    ClassInfo<TCollectionItem>("TCollectionItem").Parent<TPersistent>();
    return true;
}();

} // namespace

} // namespace vmado
