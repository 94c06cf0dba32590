// The data grid's column settings without the grid: TColumn, its TColumnTitle and the column
// collection. A value counts as set only once it was assigned; unset values follow their defaults
// and are not streamed, so a column reads and writes the same stream the framework's grid does.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/classes/Collection.h"
#include "framework/classes/Component.h"
#include "framework/classes/Strings.h"
#include "framework/graphics/Graphics.h"

#include <memory>

namespace vmado {

class TColumn;

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};

// Which values were assigned rather than taken from the defaults.
enum TColumnValue {
    cvColor,
    cvWidth,
    cvFont,
    cvAlignment,
    cvReadOnly,
    cvTitleColor,
    cvTitleCaption,
    cvTitleAlignment,
    cvTitleFont,
    cvImeMode,
    cvImeName
};
using TColumnValues = TSet<TColumnValue>;

// Defaults of a column that no grid and no field supply.
constexpr Integer DefaultColumnWidth = 64;
constexpr Cardinal DefaultDropDownRows = 7;

class TColumnTitle : public TPersistent {
public:
    explicit TColumnTitle(TColumn* column);
    ~TColumnTitle() override;
    AnsiString ClassName() const override { return "TColumnTitle"; }
    // Copies the assigned values of another title; the unassigned ones return to their defaults.
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

    TColumn* Column() const { return column_; }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    // The assigned caption, else the column's field name.
    AnsiString Caption() const;
    void SetCaption(const AnsiString& value);
    TColor Color() const;
    void SetColor(TColor value);
    TFont* Font() const { return font_.get(); } // changing it marks the title font as assigned
    void SetFont(const TFont* value) { font_->Assign(value); }

    TAlignment DefaultAlignment() const { return taLeftJustify; }
    AnsiString DefaultCaption() const;
    TColor DefaultColor() const { return clBtnFace; }
    // Forgets every assigned title value.
    void RestoreDefaults();

    bool IsAlignmentStored() const;
    bool IsCaptionStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;

private:
    void FontChanged();

    TColumn* column_;
    AnsiString caption_;
    TAlignment alignment_ = taLeftJustify;
    TColor color_ = clBtnFace;
    std::unique_ptr<TFont> font_;
};

class TColumn : public TCollectionItem {
public:
    explicit TColumn(TCollection* collection);
    ~TColumn() override;
    AnsiString ClassName() const override { return "TColumn"; }
    // Copies another column: its field name, its assigned values and everything it always keeps.
    void Assign(const TPersistent* source) override;
    AnsiString DisplayName() const override;

    TColumnValues AssignedValues() const { return assignedValues_; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    TColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyle value);
    TColor Color() const;
    void SetColor(TColor value);
    Cardinal DropDownRows() const { return dropDownRows_; }
    void SetDropDownRows(Cardinal value);
    // Only an object field shown in a grid can expand, so outside a grid this reads false
    // whatever was set; the set value is kept and copied.
    bool Expanded() const { return expanded_ && Expandable(); }
    void SetExpanded(bool value);
    bool Expandable() const { return false; }
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& value);
    TFont* Font() const { return font_.get(); } // changing it marks the font as assigned
    void SetFont(const TFont* value) { font_->Assign(value); }
    TImeMode ImeMode() const;
    void SetImeMode(TImeMode value);
    AnsiString ImeName() const;
    void SetImeName(const AnsiString& value);
    TStrings* PickList() const { return pickList_.get(); }
    void SetPickList(const TStrings* value);
    // The column's context menu: a reference to another component, cleared when that one goes.
    TComponent* PopupMenu() const;
    void SetPopupMenu(TComponent* value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TColumnTitle* Title() const { return title_.get(); }
    void SetTitle(const TColumnTitle* value) { title_->Assign(value); }
    // -1 while the column is not showing; else the assigned width or the default.
    Integer Width() const;
    void SetWidth(Integer value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Showing() const { return !Expanded() && visible_; }

    TAlignment DefaultAlignment() const { return taLeftJustify; }
    TColor DefaultColor() const { return clWindow; }
    TImeMode DefaultImeMode() const { return imDontCare; }
    AnsiString DefaultImeName() const { return {}; }
    bool DefaultReadOnly() const { return false; }
    Integer DefaultWidth() const { return DefaultColumnWidth; }
    // Forgets every assigned value of the column and its title.
    void RestoreDefaults();

    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsImeModeStored() const;
    bool IsImeNameStored() const;
    bool IsReadOnlyStored() const;
    bool IsWidthStored() const;

private:
    friend class TColumnTitle;
    class PopupLink;

    void Assigned(TColumnValue value) { assignedValues_.Include(value); }
    void FontChanged();
    void Touch() { Changed(false); }

    TColumnValues assignedValues_;
    AnsiString fieldName_;
    TAlignment alignment_ = taLeftJustify;
    TColumnButtonStyle buttonStyle_ = cbsAuto;
    TColor color_ = clWindow;
    Cardinal dropDownRows_ = DefaultDropDownRows;
    bool expanded_ = true;
    TImeMode imeMode_ = imDontCare;
    AnsiString imeName_;
    bool readOnly_ = false;
    Integer width_ = DefaultColumnWidth;
    bool visible_ = true;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TStringList> pickList_;
    std::unique_ptr<TColumnTitle> title_;
    std::unique_ptr<PopupLink> popup_; // watches the popup menu component for its removal
};

// The grid's column collection, owned by a component (the grid, or whatever keeps its settings).
class TDBGridColumns : public TOwnedCollection {
public:
    explicit TDBGridColumns(TPersistent* owner) : TOwnedCollection(owner, ItemClassOf<TColumn>()) {}
    AnsiString ClassName() const override { return "TDBGridColumns"; }
    TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
    TColumn* Items(Integer index) const { return static_cast<TColumn*>(TCollection::Items(index)); }
};

// Registers the column classes' published properties with the streaming system (idempotent).
void RegisterGridColumnClasses();

} // namespace vmado
