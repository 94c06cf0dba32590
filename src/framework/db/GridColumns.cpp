// Column and title values with their assigned-or-default rule: a setter marks its value as
// assigned, a font change marks the font, and RestoreDefaults forgets every mark.
#include "framework/db/GridColumns.h"

#include <utility>

namespace vmado {

// ---- TColumnTitle ------------------------------------------------------------------------------

TColumnTitle::TColumnTitle(TColumn* column) : column_(column), font_(std::make_unique<TFont>())
{
    font_->OnChange = [this](TObject*) { FontChanged(); };
}

TColumnTitle::~TColumnTitle()
{
    font_->OnChange = nullptr;
}

TPersistent* TColumnTitle::GetOwner() const
{
    return column_;
}

void TColumnTitle::FontChanged()
{
    column_->Assigned(cvTitleFont);
    column_->Touch();
}

TAlignment TColumnTitle::Alignment() const
{
    return column_->assignedValues_.Contains(cvTitleAlignment) ? alignment_ : DefaultAlignment();
}

void TColumnTitle::SetAlignment(TAlignment value)
{
    if (column_->assignedValues_.Contains(cvTitleAlignment) && value == alignment_)
        return;
    alignment_ = value;
    column_->Assigned(cvTitleAlignment);
    column_->Touch();
}

AnsiString TColumnTitle::DefaultCaption() const
{
    return column_->FieldName();
}

AnsiString TColumnTitle::Caption() const
{
    return column_->assignedValues_.Contains(cvTitleCaption) ? caption_ : DefaultCaption();
}

void TColumnTitle::SetCaption(const AnsiString& value)
{
    if (column_->assignedValues_.Contains(cvTitleCaption) && value == caption_)
        return;
    caption_ = value;
    column_->Assigned(cvTitleCaption);
    column_->Touch();
}

TColor TColumnTitle::Color() const
{
    return column_->assignedValues_.Contains(cvTitleColor) ? color_ : DefaultColor();
}

void TColumnTitle::SetColor(TColor value)
{
    if (column_->assignedValues_.Contains(cvTitleColor) && value == color_)
        return;
    color_ = value;
    column_->Assigned(cvTitleColor);
    column_->Touch();
}

bool TColumnTitle::IsAlignmentStored() const
{
    return column_->assignedValues_.Contains(cvTitleAlignment) && alignment_ != DefaultAlignment();
}

bool TColumnTitle::IsCaptionStored() const
{
    return column_->assignedValues_.Contains(cvTitleCaption) && caption_ != DefaultCaption();
}

bool TColumnTitle::IsColorStored() const
{
    return column_->assignedValues_.Contains(cvTitleColor) && color_ != DefaultColor();
}

bool TColumnTitle::IsFontStored() const
{
    return column_->assignedValues_.Contains(cvTitleFont);
}

void TColumnTitle::RestoreDefaults()
{
    TColumnValues& assigned = column_->assignedValues_;
    assigned.Exclude(cvTitleColor).Exclude(cvTitleCaption).Exclude(cvTitleAlignment).Exclude(cvTitleFont);
    caption_.clear();
    alignment_ = DefaultAlignment();
    color_ = DefaultColor();
    const TNotifyEvent onChange = std::exchange(font_->OnChange, nullptr);
    const TFont defaults;
    font_->Assign(&defaults);
    font_->OnChange = onChange;
}

void TColumnTitle::Assign(const TPersistent* source)
{
    const auto* title = dynamic_cast<const TColumnTitle*>(source);
    if (title == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (title == this)
        return;
    RestoreDefaults();
    const TColumnValues from = title->column_->AssignedValues();
    if (from.Contains(cvTitleAlignment))
        SetAlignment(title->alignment_);
    if (from.Contains(cvTitleCaption))
        SetCaption(title->caption_);
    if (from.Contains(cvTitleColor))
        SetColor(title->color_);
    if (from.Contains(cvTitleFont)) {
        font_->Assign(title->font_.get());
        column_->Assigned(cvTitleFont); // also when the fonts were equal
    }
}

// ---- TColumn -----------------------------------------------------------------------------------

// Holds the popup menu reference for a column, which is no component and cannot hear the
// menu's removal itself.
class TColumn::PopupLink : public TComponent {
public:
    PopupLink() : TComponent(nullptr) {}
    ~PopupLink() override { Set(nullptr); }
    AnsiString ClassName() const override { return "TColumnPopupLink"; }
    TComponent* Menu() const { return menu_; }
    void Set(TComponent* value)
    {
        if (value == menu_)
            return;
        if (menu_ != nullptr)
            menu_->RemoveFreeNotification(this);
        menu_ = value;
        if (menu_ != nullptr)
            menu_->FreeNotification(this);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == menu_)
            menu_ = nullptr;
    }

private:
    TComponent* menu_ = nullptr;
};

TColumn::TColumn(TCollection* collection)
    : TCollectionItem(collection), font_(std::make_unique<TFont>()),
      pickList_(std::make_unique<TStringList>()), title_(std::make_unique<TColumnTitle>(this)),
      popup_(std::make_unique<PopupLink>())
{
    RegisterGridColumnClasses();
    font_->OnChange = [this](TObject*) { FontChanged(); };
}

TColumn::~TColumn()
{
    font_->OnChange = nullptr;
}

AnsiString TColumn::DisplayName() const
{
    return fieldName_.empty() ? TCollectionItem::DisplayName() : fieldName_;
}

void TColumn::FontChanged()
{
    Assigned(cvFont);
    Touch();
}

TAlignment TColumn::Alignment() const
{
    return assignedValues_.Contains(cvAlignment) ? alignment_ : DefaultAlignment();
}

void TColumn::SetAlignment(TAlignment value)
{
    if (assignedValues_.Contains(cvAlignment) && value == alignment_)
        return;
    alignment_ = value;
    Assigned(cvAlignment);
    Touch();
}

void TColumn::SetButtonStyle(TColumnButtonStyle value)
{
    if (value == buttonStyle_)
        return;
    buttonStyle_ = value;
    Touch();
}

TColor TColumn::Color() const
{
    return assignedValues_.Contains(cvColor) ? color_ : DefaultColor();
}

void TColumn::SetColor(TColor value)
{
    if (assignedValues_.Contains(cvColor) && value == color_)
        return;
    color_ = value;
    Assigned(cvColor);
    Touch();
}

void TColumn::SetDropDownRows(Cardinal value)
{
    if (value == dropDownRows_)
        return;
    dropDownRows_ = value;
    Touch();
}

void TColumn::SetExpanded(bool value)
{
    if (value == expanded_)
        return;
    expanded_ = value;
    Touch();
}

void TColumn::SetFieldName(const AnsiString& value)
{
    if (value == fieldName_)
        return;
    fieldName_ = value;
    Touch();
}

TImeMode TColumn::ImeMode() const
{
    return assignedValues_.Contains(cvImeMode) ? imeMode_ : DefaultImeMode();
}

void TColumn::SetImeMode(TImeMode value)
{
    if (assignedValues_.Contains(cvImeMode) && value == imeMode_)
        return;
    imeMode_ = value;
    Assigned(cvImeMode);
    Touch();
}

AnsiString TColumn::ImeName() const
{
    return assignedValues_.Contains(cvImeName) ? imeName_ : DefaultImeName();
}

void TColumn::SetImeName(const AnsiString& value)
{
    if (assignedValues_.Contains(cvImeName) && value == imeName_)
        return;
    imeName_ = value;
    Assigned(cvImeName);
    Touch();
}

void TColumn::SetPickList(const TStrings* value)
{
    if (value == nullptr)
        pickList_->Clear();
    else
        pickList_->Assign(value);
    Touch();
}

TComponent* TColumn::PopupMenu() const
{
    return popup_->Menu();
}

void TColumn::SetPopupMenu(TComponent* value)
{
    popup_->Set(value);
}

bool TColumn::ReadOnly() const
{
    return assignedValues_.Contains(cvReadOnly) ? readOnly_ : DefaultReadOnly();
}

void TColumn::SetReadOnly(bool value)
{
    if (assignedValues_.Contains(cvReadOnly) && value == readOnly_)
        return;
    readOnly_ = value;
    Assigned(cvReadOnly);
    Touch();
}

Integer TColumn::Width() const
{
    if (!Showing())
        return -1;
    // A width kept from a hidden column (-1) means nothing once the column shows again.
    if (assignedValues_.Contains(cvWidth) && width_ >= 0)
        return width_;
    return DefaultWidth();
}

void TColumn::SetWidth(Integer value)
{
    if (assignedValues_.Contains(cvWidth) && value == width_)
        return;
    width_ = value;
    Assigned(cvWidth);
    Touch();
}

void TColumn::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    Touch();
}

bool TColumn::IsAlignmentStored() const
{
    return assignedValues_.Contains(cvAlignment) && alignment_ != DefaultAlignment();
}

bool TColumn::IsColorStored() const
{
    return assignedValues_.Contains(cvColor) && color_ != DefaultColor();
}

bool TColumn::IsFontStored() const
{
    return assignedValues_.Contains(cvFont);
}

bool TColumn::IsImeModeStored() const
{
    return assignedValues_.Contains(cvImeMode) && imeMode_ != DefaultImeMode();
}

bool TColumn::IsImeNameStored() const
{
    return assignedValues_.Contains(cvImeName) && imeName_ != DefaultImeName();
}

bool TColumn::IsReadOnlyStored() const
{
    return assignedValues_.Contains(cvReadOnly) && readOnly_ != DefaultReadOnly();
}

bool TColumn::IsWidthStored() const
{
    return assignedValues_.Contains(cvWidth) && width_ != DefaultWidth();
}

void TColumn::RestoreDefaults()
{
    const TNotifyEvent onChange = std::exchange(font_->OnChange, nullptr);
    const TFont defaults;
    font_->Assign(&defaults);
    font_->OnChange = onChange;
    title_->RestoreDefaults();
    assignedValues_ = TColumnValues{};
    alignment_ = DefaultAlignment();
    color_ = DefaultColor();
    imeMode_ = DefaultImeMode();
    imeName_.clear();
    readOnly_ = DefaultReadOnly();
    width_ = DefaultWidth();
    Touch();
}

void TColumn::Assign(const TPersistent* source)
{
    const auto* column = dynamic_cast<const TColumn*>(source);
    if (column == nullptr) {
        TCollectionItem::Assign(source);
        return;
    }
    if (column == this)
        return;
    if (Collection() != nullptr)
        Collection()->BeginUpdate();
    struct EndUpdate {
        TCollection* c;
        ~EndUpdate()
        {
            if (c != nullptr)
                c->EndUpdate();
        }
    } endUpdate{Collection()};
    RestoreDefaults();
    fieldName_ = column->fieldName_;
    const TColumnValues from = column->assignedValues_;
    // The raw values travel, so a hidden column's kept width survives a copy.
    if (from.Contains(cvColor))
        SetColor(column->color_);
    if (from.Contains(cvWidth))
        SetWidth(column->width_);
    if (from.Contains(cvFont)) {
        font_->Assign(column->font_.get());
        Assigned(cvFont);
    }
    if (from.Contains(cvImeMode))
        SetImeMode(column->imeMode_);
    if (from.Contains(cvImeName))
        SetImeName(column->imeName_);
    if (from.Contains(cvAlignment))
        SetAlignment(column->alignment_);
    if (from.Contains(cvReadOnly))
        SetReadOnly(column->readOnly_);
    title_->Assign(column->title_.get());
    dropDownRows_ = column->dropDownRows_;
    buttonStyle_ = column->buttonStyle_;
    pickList_->Assign(column->pickList_.get());
    popup_->Set(column->PopupMenu());
    expanded_ = column->expanded_;
    visible_ = column->visible_;
}

} // namespace vmado
