// TPersistent's assignment protocol and name path, and the TSet helper the state flags use.
#include "framework/classes/Persistent.h"
#include "framework/classes/ClassesTypes.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

using namespace vmado;

namespace {

class TTarget;

class TSource : public TPersistent {
public:
    AnsiString ClassName() const override { return "TSource"; }
    int Value = 7;

protected:
    void AssignTo(TPersistent* dest) const override;
};

// Knows nothing of TSource; TSource knows how to copy itself into it.
class TTarget : public TPersistent {
public:
    explicit TTarget(TPersistent* owner = nullptr) : owner_(owner) {}
    AnsiString ClassName() const override { return "TTarget"; }
    TPersistent* GetOwner() const override { return owner_; }
    int Value = 0;

private:
    TPersistent* owner_;
};

void TSource::AssignTo(TPersistent* dest) const
{
    if (auto* target = dynamic_cast<TTarget*>(dest)) {
        target->Value = Value;
        return;
    }
    TPersistent::AssignTo(dest);
}

TEST(Persistent, AssignAsksTheSourceToAssignItself)
{
    TSource source;
    TTarget target;
    target.Assign(&source);
    EXPECT_EQ(target.Value, 7);
}

TEST(Persistent, UnknownPairsRaiseTheAssignError)
{
    TSource source;
    TTarget target;
    const struct {
        TPersistent* Dest;
        const TPersistent* Source;
        const char* Message;
    } cases[] = {
        {&source, &target, "Cannot assign a TTarget to a TSource"},
        {&target, nullptr, "Cannot assign a nil to a TTarget"},
        {&source, &source, "Cannot assign a TSource to a TSource"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        try {
            c.Dest->Assign(c.Source);
            ADD_FAILURE() << "nothing raised";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), c.Message);
        }
    }
}

TEST(Persistent, NamePathFollowsTheOwner)
{
    TTarget root;
    TTarget child(&root);
    TTarget grandchild(&child);
    EXPECT_EQ(root.GetNamePath(), "TTarget");
    EXPECT_EQ(grandchild.GetNamePath(), "TTarget.TTarget.TTarget");
    EXPECT_EQ(TObject().ClassName(), "TObject");
}

enum TColour { clRed, clGreen, clBlue, clLast = 63 };

TEST(Set, MembershipAndOperators)
{
    using TColours = TSet<TColour>;
    TColours s{clRed, clBlue};
    EXPECT_TRUE(s.Contains(clRed));
    EXPECT_FALSE(s.Contains(clGreen));
    s.Include(clLast).Exclude(clRed);
    EXPECT_TRUE(s.Contains(clLast));
    EXPECT_EQ(s.Bits(), (std::uint64_t{1} << 63) | 4u);
    EXPECT_TRUE((TColours{clRed} + TColours{clGreen}) == (TColours{clGreen, clRed}));
    EXPECT_TRUE((TColours{clRed, clGreen} - TColours{clGreen}) == TColours{clRed});
    EXPECT_TRUE((TColours{clRed, clGreen} * TColours{clGreen, clBlue}) == TColours{clGreen});
    EXPECT_TRUE(TColours{clRed} <= (TColours{clRed, clBlue}));
    EXPECT_FALSE((TColours{clRed, clGreen}) <= TColours{clRed});
    EXPECT_TRUE(TColours().Empty());
    EXPECT_TRUE(TColours::FromBits(2).Contains(clGreen));
}

TEST(ClassesTypes, OrdinalsMatchTheFramework)
{
    EXPECT_EQ(taLeftJustify, 0);
    EXPECT_EQ(taRightJustify, 1);
    EXPECT_EQ(taCenter, 2);
    EXPECT_EQ(wsMaximized, 2);
    EXPECT_EQ(csDesigning, 4);
    EXPECT_EQ(csFreeNotification, 8);
    EXPECT_EQ(dupError, 2);
}

} // namespace
