// TComponent: ownership (an owner frees its components), unique names among siblings, and the
// notification protocol that clears references to a component before it goes away.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/classes/Persistent.h"

#include <functional>
#include <vector>

namespace vmado {

class TComponent;

using TGetChildProc = std::function<void(TComponent* child)>;

// True for a Pascal identifier: a letter or "_" followed by letters, digits and "_" (ASCII).
bool IsValidIdent(const AnsiString& ident);

class TComponent : public TPersistent {
public:
    // A component with an owner must live on the heap: the owner deletes it.
    explicit TComponent(TComponent* owner);
    // Sends opRemove to every component that asked for a free notification, frees the owned
    // components, then leaves the owner. A derived class whose owned components must go while
    // it is still whole calls Destroying() and DestroyComponents() in its own destructor.
    ~TComponent() override;

    AnsiString ClassName() const override { return "TComponent"; }
    TPersistent* GetOwner() const override;
    AnsiString GetNamePath() const override; // the component's Name

    TComponent* Owner() const { return owner_; }

    Integer ComponentCount() const { return static_cast<Integer>(components_.size()); }
    // Raises EListError "List index out of bounds (<i>)" for a bad index.
    TComponent* Components(Integer index) const;
    // Position in the owner's list; -1 without an owner.
    Integer ComponentIndex() const;
    void SetComponentIndex(Integer value); // clamps to the owner's list

    const AnsiString& Name() const { return name_; }
    // Raises EComponentError "'<name>' is not a valid component name" for a non-identifier and
    // "A component named <name> already exists" for a clash among the owner's components
    // (compared ignoring case). An empty name is allowed.
    virtual void SetName(const AnsiString& value);

    Integer Tag() const { return tag_; }
    void SetTag(Integer value) { tag_ = value; }

    TComponentState ComponentState() const { return state_; }
    // For the component reader and designer: csLoading, csReading, csWriting and the like.
    void IncludeComponentState(TComponentStateItem item) { state_.Include(item); }
    void ExcludeComponentState(TComponentStateItem item) { state_.Exclude(item); }

    // Takes component over from its previous owner (if any) and notifies opInsert. Raises
    // EComponentError when this already owns a component of the same name.
    void InsertComponent(TComponent* component);
    // Notifies opRemove and lets component go; it is not freed and has no owner afterwards.
    void RemoveComponent(TComponent* component);
    // The owned component with this name, compared ignoring case; null when none or empty.
    TComponent* FindComponent(const AnsiString& name) const;
    // Frees every owned component, the last first.
    void DestroyComponents();
    // Marks this component and its owned components csDestroying.
    void Destroying();

    // Makes component hear (Notification opRemove) when this one is freed, the usual call being
    // value->FreeNotification(this) in a setter that keeps a reference to value. Between
    // components of different owners the link is kept both ways, so whichever side goes first
    // tells the other; siblings of one owner hear it through their owner.
    void FreeNotification(TComponent* component);
    // Drops the link both ways.
    void RemoveFreeNotification(TComponent* component);

    // Called after a component has been read from a stream: clears csLoading.
    virtual void Loaded();
    // Sets or clears csDesigning on this component and, when setChildren, on the owned ones.
    void SetDesigning(bool value, bool setChildren = true);

    // Streaming hooks. GetChildren reports the sub-components written with this one (none by
    // default; containers report their owned components); root is the component being written.
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root) {}
    virtual TComponent* GetChildOwner() { return nullptr; }
    virtual TComponent* GetChildParent() { return this; }
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }

    // Told about every component inserted into or removed from this one's owner (and from
    // this one); opRemove also arrives for each component this one asked FreeNotification of.
    // Overrides clear their references and call the inherited version, which forwards the
    // notification to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    // Raise to refuse a rename; the default checks for a duplicate among the owned components.
    virtual void ValidateRename(TComponent* component, const AnsiString& currentName,
                                const AnsiString& newName);
    // Raise to refuse becoming a child of owner; the default accepts.
    virtual void ValidateContainer(TComponent* owner) {}
    virtual void ValidateInsert(TComponent* component) {}

private:
    void InsertChild(TComponent* component);
    void RemoveChild(TComponent* component);
    void RemoveNotification(TComponent* component);
    void RemoveFreeNotifications();

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;   // owned: freed in the destructor
    std::vector<TComponent*> freeNotifies_; // not owned: both sides keep each other listed
    AnsiString name_;
    Integer tag_ = 0;
    TComponentState state_;
};

} // namespace vmado
