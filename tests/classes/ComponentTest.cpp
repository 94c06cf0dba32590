// TComponent: ownership and freeing, names, the opInsert/opRemove notifications sent through the
// owner, free notifications kept both ways, and the component-state flags.
#include "framework/classes/Component.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vmado;

namespace {

template <class E, class F> void ExpectThrowWith(F&& f, const std::string& text)
{
    try {
        f();
        ADD_FAILURE() << "nothing raised; expected " << text;
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
}

// Logs what it is told and, like a real component holding a reference, forgets Watched when it goes.
class TProbe : public TComponent {
public:
    // Named before it joins the owner, so that the insert notification can say who came.
    TProbe(TComponent* owner, std::string label, std::vector<std::string>* log)
        : TComponent(nullptr), label_(std::move(label)), log_(log)
    {
        SetName(label_);
        if (owner != nullptr)
            owner->InsertComponent(this);
    }
    ~TProbe() override
    {
        if (log_)
            log_->push_back(label_ + " freed" +
                            (ComponentState().Contains(csDestroying) ? " (destroying)" : ""));
    }
    AnsiString ClassName() const override { return "TProbe"; }

    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == Watched)
            Watched = nullptr;
        if (log_ && component != this)
            log_->push_back(label_ + (operation == opInsert ? " +" : " -") + component->Name());
    }

    TComponent* Watched = nullptr;

private:
    std::string label_;
    std::vector<std::string>* log_;
};

using V = std::vector<std::string>;

TEST(Component, OwnerFreesItsComponentsLastFirst)
{
    V log;
    auto* owner = new TProbe(nullptr, "owner", &log);
    new TProbe(owner, "a", nullptr);
    auto* b = new TProbe(owner, "b", nullptr);
    auto* c = new TProbe(owner, "c", &log);
    new TProbe(c, "c1", &log);
    EXPECT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(b->Owner(), owner);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    log.clear();
    delete owner;
    // A derived destructor runs before TComponent's, so the owner's own code is gone before its
    // components go; they are freed last first and see csDestroying.
    EXPECT_EQ(log, (V{"owner freed", "c freed (destroying)", "c1 freed (destroying)"}));
}

TEST(Component, ComponentFreedAloneLeavesItsOwner)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
    EXPECT_EQ(b->ComponentIndex(), 0);
    ExpectThrowWith<EListError>([&] { owner.Components(1); }, "List index out of bounds (1)");
}

TEST(Component, SiblingsHearOfInsertAndRemoveThroughTheOwner)
{
    V log;
    TProbe owner(nullptr, "owner", &log);
    auto* a = new TProbe(&owner, "a", &log);
    log.clear();
    auto* b = new TProbe(&owner, "b", &log);
    EXPECT_EQ(log, (V{"a +b", "owner +b"}));
    log.clear();
    delete b;
    EXPECT_EQ(log, (V{"b freed", "a -b", "owner -b"}));
    log.clear();
    owner.RemoveComponent(a);
    EXPECT_EQ(a->Owner(), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(log, (V{"owner -a"}));
    delete a;
}

TEST(Component, InsertComponentMovesBetweenOwners)
{
    TComponent first(nullptr), second(nullptr);
    auto* child = new TComponent(&first);
    child->SetName("Child");
    second.InsertComponent(child);
    EXPECT_EQ(child->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.FindComponent("child"), child);
    EXPECT_EQ(first.FindComponent("Child"), nullptr);
}

TEST(Component, OwnershipCyclesAreRefused)
{
    TComponent root(nullptr);
    auto* child = new TComponent(&root);
    auto* grandchild = new TComponent(child);
    EXPECT_THROW(grandchild->InsertComponent(&root), EComponentError);
    EXPECT_THROW(child->InsertComponent(child), EComponentError);
    EXPECT_EQ(grandchild->Owner(), child);
    EXPECT_EQ(root.Owner(), nullptr);
}

TEST(Component, NamesMustBeIdentifiers)
{
    TComponent c(nullptr);
    for (const char* bad : {"1abc", "a b", "a-b", "\xE1rv\xEDz", "a.b", " x"}) {
        SCOPED_TRACE(bad);
        ExpectThrowWith<EComponentError>([&] { c.SetName(bad); },
                                         std::string("'") + bad + "' is not a valid component name");
    }
    for (const char* good : {"_x", "abc1", "A_1_b", ""}) {
        SCOPED_TRACE(good);
        c.SetName(good);
        EXPECT_EQ(c.Name(), good);
    }
    EXPECT_TRUE(IsValidIdent("Table1"));
    EXPECT_FALSE(IsValidIdent(""));
}

TEST(Component, NamesAreUniqueAmongSiblingsIgnoringCase)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Query1");
    ExpectThrowWith<EComponentError>([&] { b->SetName("QUERY1"); },
                                     "A component named QUERY1 already exists");
    EXPECT_EQ(b->Name(), "");
    a->SetName("query1"); // its own name in another case
    EXPECT_EQ(a->Name(), "query1");
    b->SetName("Query2");
    EXPECT_EQ(owner.FindComponent("QUERY2"), b);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    auto* c = new TComponent(nullptr);
    c->SetName("Query2");
    ExpectThrowWith<EComponentError>([&] { owner.InsertComponent(c); },
                                     "A component named Query2 already exists");
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;
}

TEST(Component, UnnamedSiblingsDoNotClash)
{
    TComponent owner(nullptr);
    new TComponent(&owner);
    new TComponent(&owner);
    EXPECT_EQ(owner.ComponentCount(), 2);
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners)
{
    V log;
    TComponent form1(nullptr), form2(nullptr);
    auto* source = new TProbe(&form1, "source", &log);
    auto* watcher = new TProbe(&form2, "watcher", &log);
    watcher->Watched = source;
    source->FreeNotification(watcher);
    EXPECT_TRUE(watcher->ComponentState().Contains(csFreeNotification));
    EXPECT_TRUE(source->ComponentState().Contains(csFreeNotification));
    log.clear();
    delete source;
    EXPECT_EQ(watcher->Watched, nullptr);
    EXPECT_EQ(log, (V{"source freed", "watcher -source"}));
    EXPECT_FALSE(watcher->ComponentState().Contains(csFreeNotification));
}

TEST(Component, FreeNotificationWorksWhicheverSideGoesFirst)
{
    V log;
    auto* a = new TProbe(nullptr, "a", &log);
    auto* b = new TProbe(nullptr, "b", &log);
    a->FreeNotification(b);
    delete a; // b is told, and must not tell the dead a later
    EXPECT_EQ(log, (V{"a freed", "b -a"}));
    log.clear();
    delete b;
    EXPECT_EQ(log, (V{"b freed"}));
}

TEST(Component, RemoveFreeNotificationDropsTheLinkBothWays)
{
    V log;
    auto* a = new TProbe(nullptr, "a", &log);
    auto* b = new TProbe(nullptr, "b", &log);
    a->FreeNotification(b);
    a->FreeNotification(b); // once is enough
    b->RemoveFreeNotification(a);
    EXPECT_FALSE(a->ComponentState().Contains(csFreeNotification));
    EXPECT_FALSE(b->ComponentState().Contains(csFreeNotification));
    delete b;
    delete a;
    EXPECT_EQ(log, (V{"b freed", "a freed"}));
}

TEST(Component, WatchedSiblingIsAnnouncedWhenTheOwnerGoes)
{
    V log;
    auto* owner = new TComponent(nullptr);
    auto* watcher = new TProbe(owner, "watcher", &log);
    auto* source = new TProbe(owner, "source", &log);
    watcher->Watched = source;
    source->FreeNotification(watcher); // same owner: the owner's notification carries it
    EXPECT_TRUE(source->ComponentState().Contains(csFreeNotification));
    log.clear();
    delete owner;
    EXPECT_EQ(log, (V{"watcher -source", "source freed (destroying)", "watcher freed (destroying)"}));
}

TEST(Component, StateFlags)
{
    TComponent owner(nullptr);
    auto* child = new TComponent(&owner);
    owner.SetDesigning(true);
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
    auto* late = new TComponent(&owner);
    EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
    owner.SetDesigning(false, false);
    EXPECT_FALSE(owner.ComponentState().Contains(csDesigning));
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));

    child->IncludeComponentState(csLoading);
    child->IncludeComponentState(csReading);
    child->ExcludeComponentState(csReading);
    child->Loaded();
    EXPECT_TRUE(child->ComponentState() == TComponentState{csDesigning});
    owner.Destroying();
    EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
}

TEST(Component, ComponentIndexMovesWithinTheOwner)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    auto* c = new TComponent(&owner);
    c->SetComponentIndex(0);
    EXPECT_EQ(owner.Components(0), c);
    EXPECT_EQ(owner.Components(1), a);
    a->SetComponentIndex(99);
    EXPECT_EQ(owner.Components(2), a);
    EXPECT_EQ(b->ComponentIndex(), 1);
    TComponent lone(nullptr);
    EXPECT_EQ(lone.ComponentIndex(), -1);
}

TEST(Component, NamePathTagAndOwner)
{
    TComponent owner(nullptr);
    auto* c = new TComponent(&owner);
    c->SetName("Table1");
    c->SetTag(42);
    EXPECT_EQ(c->GetNamePath(), "Table1");
    EXPECT_EQ(c->GetOwner(), &owner);
    EXPECT_EQ(c->Tag(), 42);
    EXPECT_EQ(c->ClassName(), "TComponent");
}

} // namespace
