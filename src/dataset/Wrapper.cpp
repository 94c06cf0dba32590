// The settings-file carrier and the saved-column collection: each owns what it holds and copies
// whatever it is given, so nothing it streams is shared with a dataset.
#include "dataset/VDB.h"

namespace vmado {

// ---- TColumnData -------------------------------------------------------------------------------

TColumnData::TColumnData(TComponent* owner) : TCollection(ItemClassOf<TColumn>()), owner_(owner)
{
    RegisterGridColumnClasses();
    RegisterDataSetClasses();
}

void TColumnData::Assign(const TPersistent* source)
{
    if (source == nullptr || source == this)
        return;
    const auto* columns = dynamic_cast<const TColumnData*>(source);
    if (columns == nullptr) {
        TCollection::Assign(source);
        return;
    }
    BeginUpdate();
    struct EndUpdate {
        TColumnData& c;
        ~EndUpdate() { c.EndUpdate(); }
    } endUpdate{*this};
    Clear();
    for (Integer i = 0; i < columns->Count(); ++i)
        Add()->Assign(columns->GetItem(i));
}

// ---- TVADOWrapper ------------------------------------------------------------------------------

TVADOWrapper::TVADOWrapper(TComponent* owner)
    : TComponent(owner), colors_(std::make_unique<TVFilters>(this)),
      filters_(std::make_unique<TVFilters>(this)), columns_(std::make_unique<TColumnData>(this))
{
    RegisterDataSetClasses();
    colors_->SetPropName("Colors");
    filters_->SetPropName("Filters");
    columns_->SetPropName("Columns");
}

TVADOWrapper::~TVADOWrapper()
{
    Destroying();
    filters_.reset();
    colors_.reset();
    columns_.reset();
}

void TVADOWrapper::SetColors(const TVFilters* value)
{
    colors_->Assign(value);
}

void TVADOWrapper::SetFilters(const TVFilters* value)
{
    filters_->Assign(value);
}

void TVADOWrapper::SetColumns(const TColumnData* value)
{
    columns_->Assign(value);
}

} // namespace vmado
