// TVTable and its master link: a whole table by name, filtered by the relation text with the
// master's current values put in. The filter follows every master record change and is cleared
// when the master goes away.
#include "tables/VTables.h"

#include "framework/db/FieldDefs.h"
#include "tables/SqlLiteral.h"
#include "tables/internal/Substitute.h"

namespace vmado {

// ---- link ------------------------------------------------------------------------------------------

TDataSet* TVTableDataLink::GetDetailDataSet()
{
    return table_;
}

void TVTableDataLink::ActiveChanged()
{
    if (!table_->Active() || table_->ComponentState().Contains(csDestroying))
        return;
    if (Active()) {
        if (OnMasterChange)
            OnMasterChange(this);
    } else if (OnMasterDisable) {
        OnMasterDisable(this);
    }
}

void TVTableDataLink::RecordChanged(TField* field)
{
    if (DataSource() != nullptr && DataSource()->State() != dsSetKey && table_->Active() && OnMasterChange)
        OnMasterChange(this);
}

void TVTableDataLink::CheckBrowseMode()
{
    if (table_->Active())
        table_->CheckBrowseMode();
}

// ---- table -----------------------------------------------------------------------------------------

TVTable::TVTable(TComponent* owner) : TVADODataSet(owner), link_(std::make_unique<TVTableDataLink>(this))
{
    RegisterTablesClasses();
    link_->OnMasterChange = [this](TObject* sender) { MasterChanged(sender); };
    link_->OnMasterDisable = [this](TObject* sender) { MasterDisabled(sender); };
    SetCommandType(coTable);
}

TVTable::~TVTable()
{
    Destroying();
    // Closed while the link and the relation still exist: closing may reach back into them.
    try {
        Close();
    } catch (...) {
    }
    link_.reset();
}

void TVTable::SetTableName(const AnsiString& value)
{
    if (value == tableName_)
        return;
    const AnsiString old = tableName_;
    tableName_ = value;
    if (Active() || ComponentState().Contains(csDesigning))
        Close();
    if (!old.empty()) {
        SetSortStr("");
        SetFilterStr("");
        Filters()->Clear();
    }
    if (!StoreDefs())
        FieldDefs()->Clear();
    SetCommand(value.find(' ') != AnsiString::npos ? "\"" + value + "\"" : value);
}

TDataSource* TVTable::GetDataSource()
{
    return link_->DataSource();
}

void TVTable::SetDataSource(TDataSource* value)
{
    if (IsLinkedTo(value))
        DatabaseError("Circular datalinks are not allowed", this);
    link_->SetDataSource(value);
}

void TVTable::SetRelation(const AnsiString& value)
{
    if (value == relation_)
        return;
    relation_ = value;
    UpdateRelation(true);
}

void TVTable::ModifyRelation(TDataSource* source, const AnsiString& relation)
{
    SetDataSource(nullptr);
    SetRelation("");
    SetDataSource(source);
    SetRelation(relation);
}

void TVTable::MasterChanged(TObject* sender)
{
    CheckBrowseMode();
    UpdateRelation(link_->Active());
}

void TVTable::MasterDisabled(TObject* sender)
{
    UpdateRelation(link_->Active());
}

void TVTable::UpdateRelation(bool active)
{
    if (!active || relation_.empty() || !link_->Active() || link_->DataSet() == nullptr) {
        SetFilterStr("");
        return;
    }
    TDataSet* master = link_->DataSet();
    const AnsiString filter = tables::SubstituteNames(relation_, [&](const AnsiString& name) {
        TField* field = master->FindField(name);
        if (field == nullptr)
            DatabaseError("The relation names the master field '" + name + "', which " +
                              (master->Name().empty() ? AnsiString("the master") : master->Name()) +
                              " does not have",
                          this);
        return SqlLiteral(field);
    });
    SetFilterStr(filter);
}

void TVTable::InternalOpen()
{
    // Without a relation the Filter is the user's own, set before the open, and stays.
    if (!relation_.empty())
        UpdateRelation(link_->Active());
    TVADODataSet::InternalOpen();
}

void TVTable::InternalLoad(const AnsiString& fileName)
{
    TVADODataSet::InternalLoad(fileName);
    if (!relation_.empty())
        UpdateRelation(link_->Active());
}

} // namespace vmado
