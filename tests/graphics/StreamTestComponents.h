// A component with one published property of every streamed kind, a collection whose items hold
// fonts, child components and DefineProperties data: the subject of the component-stream tests.
#pragma once

#include "framework/classes/Collection.h"
#include "framework/classes/Component.h"
#include "framework/classes/Filer.h"
#include "framework/graphics/Graphics.h"

#include <memory>
#include <string>
#include <vector>

namespace vmado::test {

enum TShade { shLight, shMedium, shDark };
enum TFlag { flAlpha, flBeta, flGamma, flDelta };
using TFlags = TSet<TFlag>;

class TSampleItem : public TCollectionItem {
public:
    explicit TSampleItem(TCollection* collection) : TCollectionItem(collection) {}
    AnsiString ClassName() const override { return "TSampleItem"; }

    const AnsiString& Caption() const { return caption_; }
    void SetCaption(const AnsiString& v) { caption_ = v; }
    Integer Width() const { return width_; }
    void SetWidth(Integer v) { width_ = v; }
    TShade Shade() const { return shade_; }
    void SetShade(TShade v) { shade_ = v; }
    TFont* Font() const { return font_.get(); }

private:
    AnsiString caption_;
    Integer width_ = 64;
    TShade shade_ = shLight;
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

class TSample : public TComponent {
public:
    explicit TSample(TComponent* owner)
        : TComponent(owner), items_(std::make_unique<TOwnedCollection>(this, ItemClassOf<TSampleItem>()))
    {
        items_->SetPropName("Items");
    }
    ~TSample() override
    {
        Destroying();
        DestroyComponents();
    }
    AnsiString ClassName() const override { return "TSample"; }

    // Every owned component is written as a child, as data modules do.
    void GetChildren(const TGetChildProc& proc, TComponent* root) override
    {
        for (Integer i = 0; i < ComponentCount(); ++i)
            proc(Components(i));
    }
    void Loaded() override
    {
        TComponent::Loaded();
        ++loadedCalls;
    }
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == link_)
            link_ = nullptr;
    }

    void DefineProperties(TFiler& filer) override
    {
        TComponent::DefineProperties(filer);
        filer.DefineBinaryProperty(
            "Blob",
            [this](TStream& s) {
                blob.assign(static_cast<std::size_t>(s.Size()), '\0');
                s.ReadBuffer(blob.data(), s.Size());
            },
            [this](TStream& s) { s.WriteBuffer(blob.data(), static_cast<Int64>(blob.size())); },
            !blob.empty());
        filer.DefineProperty(
            "Notes",
            [this](TReader& r) {
                notes.clear();
                r.ReadListBegin();
                while (!r.EndOfList())
                    notes.push_back(r.ReadString());
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (const AnsiString& n : notes)
                    w.WriteString(n);
                w.WriteListEnd();
            },
            !notes.empty());
    }

    const AnsiString& Title() const { return title_; }
    void SetTitle(const AnsiString& v) { title_ = v; }
    const AnsiString& Memo() const { return memo_; }
    void SetMemo(const AnsiString& v) { memo_ = v; }
    Integer Small() const { return small_; }
    void SetSmall(Integer v) { small_ = v; }
    SmallInt Medium() const { return medium_; }
    void SetMedium(SmallInt v) { medium_ = v; }
    Integer Large() const { return large_; }
    void SetLarge(Integer v) { large_ = v; }
    Int64 Huge() const { return huge_; }
    void SetHuge(Int64 v) { huge_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    float Precision() const { return precision_; }
    void SetPrecision(float v) { precision_ = v; }
    Currency Price() const { return price_; }
    void SetPrice(Currency v) { price_ = v; }
    TDateTime Stamp() const { return stamp_; }
    void SetStamp(TDateTime v) { stamp_ = v; }
    TFlags Flags() const { return flags_; }
    void SetFlags(TFlags v) { flags_ = v; }
    TShade Shade() const { return shade_; }
    void SetShade(TShade v) { shade_ = v; }
    bool Active() const { return active_; }
    void SetActive(bool v) { active_ = v; }
    char Letter() const { return letter_; }
    void SetLetter(char v) { letter_ = v; }
    TColor Color() const { return color_; }
    void SetColor(TColor v) { color_ = v; }
    TFont* Font() const { return font_.get(); }
    TOwnedCollection* Items() const { return items_.get(); }
    TSample* Link() const { return link_; }
    void SetLink(TSample* v)
    {
        link_ = v;
        if (v != nullptr)
            v->FreeNotification(this);
    }

    std::string blob;
    std::vector<AnsiString> notes;
    int loadedCalls = 0;

private:
    AnsiString title_;
    AnsiString memo_;
    Integer small_ = 0;
    SmallInt medium_ = 0;
    Integer large_ = 0;
    Int64 huge_ = 0;
    double ratio_ = 0;
    float precision_ = 0;
    Currency price_;
    TDateTime stamp_ = 0;
    TFlags flags_;
    TShade shade_ = shMedium;
    bool active_ = false;
    char letter_ = 'A';
    TColor color_ = clWindow;
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
    std::unique_ptr<TOwnedCollection> items_;
    TSample* link_ = nullptr;
};

} // namespace vmado::test
