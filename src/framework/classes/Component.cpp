// TComponent's ownership and notification rules. Lists are walked from the end and re-checked
// after every call because a notified component may free or move others meanwhile.
#include "framework/classes/Component.h"

#include "framework/rtl/Exceptions.h"

#include <algorithm>

namespace vmado {

namespace {

bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool NamesEqual(const AnsiString& a, const AnsiString& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

bool IsValidIdent(const AnsiString& ident)
{
    if (ident.empty() || !IsAsciiLetter(static_cast<unsigned char>(ident[0])))
        return false;
    return std::all_of(ident.begin() + 1, ident.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return IsAsciiLetter(u) || (u >= '0' && u <= '9');
    });
}

TComponent::TComponent(TComponent* owner)
{
    if (owner != nullptr)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    if (owner_ != nullptr)
        owner_->RemoveComponent(this);
}

TPersistent* TComponent::GetOwner() const
{
    return owner_;
}

AnsiString TComponent::GetNamePath() const
{
    return name_;
}

TComponent* TComponent::Components(Integer index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

Integer TComponent::ComponentIndex() const
{
    if (owner_ == nullptr)
        return -1;
    const auto& list = owner_->components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TComponent::SetComponentIndex(Integer value)
{
    if (owner_ == nullptr)
        return;
    const Integer current = ComponentIndex();
    if (current < 0)
        return;
    auto& list = owner_->components_;
    value = std::clamp<Integer>(value, 0, static_cast<Integer>(list.size()) - 1);
    if (value == current)
        return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + value, this);
}

void TComponent::SetName(const AnsiString& value)
{
    if (name_ == value)
        return;
    if (!value.empty() && !IsValidIdent(value))
        throw EComponentError("'" + value + "' is not a valid component name");
    if (owner_ != nullptr)
        owner_->ValidateRename(this, name_, value);
    else
        ValidateRename(nullptr, name_, value);
    name_ = value;
}

void TComponent::ValidateRename(TComponent* component, const AnsiString& currentName,
                                const AnsiString& newName)
{
    if (component != nullptr && !NamesEqual(currentName, newName) && component->owner_ == this &&
        FindComponent(newName) != nullptr)
        throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component == nullptr || component->owner_ == this)
        return;
    // An ownership cycle would make each side free the other.
    for (const TComponent* c = this; c != nullptr; c = c->owner_)
        if (c == component)
            throw EComponentError("Cannot insert component " + component->ClassName() +
                                  " into itself or into a component it owns");
    component->ValidateContainer(this);
    ValidateInsert(component);
    ValidateRename(component, AnsiString(), component->name_);
    // ValidateRename only checks components that already belong here; a newcomer must not
    // bring a second component of the same name either.
    if (!component->name_.empty() && FindComponent(component->name_) != nullptr)
        throw EComponentError("A component named " + component->name_ + " already exists");
    // Leaving the previous owner first keeps every component in exactly one list.
    if (component->owner_ != nullptr)
        component->owner_->RemoveComponent(component);
    InsertChild(component);
    if (state_.Contains(csDesigning))
        component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (component == nullptr || component->owner_ != this)
        return;
    Notification(component, opRemove);
    RemoveChild(component);
}

void TComponent::InsertChild(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::RemoveChild(TComponent* component)
{
    const auto it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end())
        components_.erase(it);
    component->owner_ = nullptr;
}

TComponent* TComponent::FindComponent(const AnsiString& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* component : components_)
        if (NamesEqual(component->name_, name))
            return component;
    return nullptr;
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* instance = components_.back();
        // A component others watch leaves through RemoveComponent so that its siblings hear of
        // it; the rest leave quietly, as nobody holds a reference to them.
        if (instance->state_.Contains(csFreeNotification))
            RemoveComponent(instance);
        else
            RemoveChild(instance);
        delete instance;
    }
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying))
        return;
    state_.Include(csDestroying);
    for (TComponent* component : components_)
        component->Destroying();
}

void TComponent::FreeNotification(TComponent* component)
{
    if (component == nullptr || component == this)
        return;
    if (owner_ == nullptr || component->owner_ != owner_) {
        if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
            freeNotifies_.push_back(component);
            component->FreeNotification(this);
        }
    }
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (component == nullptr)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
    const auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
    if (it == freeNotifies_.end())
        return;
    freeNotifies_.erase(it);
    if (freeNotifies_.empty())
        state_.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotifications()
{
    // Each receiver's base Notification drops the link both ways, which shrinks the list; the
    // explicit removal keeps the loop finite when an override forgets to call it.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        other->Notification(this, opRemove);
        RemoveFreeNotification(other);
    }
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component != nullptr)
        RemoveFreeNotification(component);
    auto i = static_cast<std::ptrdiff_t>(components_.size()) - 1;
    while (i >= 0) {
        components_[static_cast<std::size_t>(i)]->Notification(component, operation);
        --i;
        const auto count = static_cast<std::ptrdiff_t>(components_.size());
        if (i >= count)
            i = count - 1;
    }
}

void TComponent::Loaded()
{
    state_.Exclude(csLoading);
}

void TComponent::SetDesigning(bool value, bool setChildren)
{
    if (value)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* component : components_)
            component->SetDesigning(value, true);
}

} // namespace vmado
