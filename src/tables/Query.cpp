// TVQuery and its master link: SQL text with ":Name" parameters, bound from the master's fields
// and put into the text as literals before every open or execution.
#include "tables/VTables.h"

#include "framework/db/FieldDefs.h"
#include "framework/db/Fields.h"
#include "tables/SqlLiteral.h"
#include "tables/internal/Substitute.h"

namespace vmado {

// ---- link ------------------------------------------------------------------------------------------

TDataSet* TVQueryDataLink::GetDetailDataSet()
{
    return query_;
}

void TVQueryDataLink::ActiveChanged()
{
    if (query_->Active())
        query_->RefreshParams();
}

void TVQueryDataLink::RecordChanged(TField* field)
{
    if (field == nullptr && query_->Active())
        query_->RefreshParams();
}

void TVQueryDataLink::CheckBrowseMode()
{
    if (query_->Active())
        query_->CheckBrowseMode();
}

// ---- query -----------------------------------------------------------------------------------------

TVQuery::TVQuery(TComponent* owner)
    : TVADODataSet(owner), sql_(std::make_unique<TStringList>()), params_(std::make_unique<TParams>(this)),
      link_(std::make_unique<TVQueryDataLink>(this))
{
    RegisterTablesClasses();
    sql_->OnChange = [this](TObject* sender) { QueryChanged(sender); };
}

TVQuery::~TVQuery()
{
    Destroying();
    try {
        Close();
    } catch (...) {
    }
    sql_->OnChange = nullptr;
    link_.reset();
}

void TVQuery::SetQuery(const TStrings* value)
{
    const AnsiString text = value != nullptr ? value->Text() : AnsiString();
    if (text == sql_->Text())
        return;
    Close();
    sql_->BeginUpdate();
    try {
        if (value != nullptr)
            sql_->Assign(value);
        else
            sql_->Clear();
    } catch (...) {
        sql_->EndUpdate();
        throw;
    }
    sql_->EndUpdate();
}

void TVQuery::QueryChanged(TObject* sender)
{
    if (ComponentState().Contains(csReading)) {
        // The parameters themselves come from "ParamData".
        SetText(params_->ParseSQL(sql_->Text(), false));
        return;
    }
    Close();
    binaryData_.reset();
    if (paramCheck_ || ComponentState().Contains(csDesigning)) {
        TParams parsed(this);
        const AnsiString text = parsed.ParseSQL(sql_->Text(), true);
        parsed.AssignValues(params_.get());
        params_->Clear();
        params_->Assign(&parsed);
        SetText(text);
    } else {
        SetText(sql_->Text());
    }
    DataEvent(dePropertyChange, 0);
}

void TVQuery::SetText(const AnsiString& value)
{
    if (value == text_)
        return;
    text_ = value;
    // The command is built again with the current values at every open; this one shows the
    // statement as it would go now, and is left as it was when a value cannot be put in yet.
    try {
        SetParams();
        SetCommand(SwapParams(text_));
    } catch (const Exception&) {
        SetCommand(text_);
    }
}

TDataSource* TVQuery::GetDataSource()
{
    return link_->DataSource();
}

void TVQuery::SetDataSource(TDataSource* value)
{
    if (IsLinkedTo(value))
        DatabaseError("Circular datalinks are not allowed", this);
    link_->SetDataSource(value);
}

void TVQuery::SetParamsList(const TParams* value)
{
    params_->AssignValues(value);
}

Integer TVQuery::GetParamsCount() const
{
    return params_->Count();
}

TParam* TVQuery::ParamByName(const AnsiString& name) const
{
    return params_->ParamByName(name);
}

void TVQuery::SetParams()
{
    TDataSource* source = link_->DataSource();
    if (source == nullptr || source->DataSet() == nullptr)
        return;
    TDataSet* master = source->DataSet();
    if (master->Active())
        master->FieldDefs()->Update();
    for (Integer i = 0; i < params_->Count(); ++i) {
        TParam* param = params_->Items(i);
        if (param->Bound())
            continue;
        param->AssignField(master->FieldByName(param->Name()));
        // Taken from the master, not set by the application: the next record brings its own.
        param->SetBound(false);
    }
}

AnsiString TVQuery::SwapParams(const AnsiString& text) const
{
    return tables::SubstituteMarkers(text, params_->Count(),
                                     [this](Integer index) { return SqlLiteral(params_->Items(index)); });
}

void TVQuery::InternalOpen()
{
    SetParams();
    SetCommand(SwapParams(text_));
    TVADODataSet::InternalOpen();
}

Integer TVQuery::Run(const AnsiString& text, const char* expectOneVerb)
{
    if (text.find_first_not_of(" \t\r\n") == AnsiString::npos)
        return -1;
    SetParams();
    const AnsiString statement = SwapParams(text);
    if (GetConnection().empty() && Master() == nullptr)
        DatabaseError("No connection to run the statement on: set Connection or Master first", this);
    // InternalSQL would answer -1 without running anything, the same as a statement that counts
    // no records (DDL).
    if (!ConnectionOpen())
        DatabaseError("The connection did not open; the statement was not run: " + statement, this);
    if (expectOneVerb != nullptr)
        return ExecuteOne(statement, expectOneVerb);
    return InternalSQL(statement);
}

void TVQuery::ExecSQL()
{
    rowsAffected_ = Run(text_, nullptr);
}

void TVQuery::ExecSQL(const TStrings* sql)
{
    rowsAffected_ = Run(sql != nullptr ? sql->Text() : AnsiString(), nullptr);
}

void TVQuery::ExecSQL(const AnsiString& sql)
{
    rowsAffected_ = Run(sql, nullptr);
}

void TVQuery::RefreshParams()
{
    DisableControls();
    try {
        TDataSource* source = link_->DataSource();
        if (source != nullptr && source->DataSet() != nullptr && source->DataSet()->Active() &&
            source->State() != dsSetKey) {
            Close();
            Open();
        }
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

void TVQuery::GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields)
{
    masterFields.clear();
    detailFields.clear();
    TDataSource* source = link_->DataSource();
    TDataSet* master = source != nullptr ? source->DataSet() : nullptr;
    if (master == nullptr)
        return;
    for (Integer i = 0; i < params_->Count(); ++i) {
        const AnsiString& name = params_->Items(i)->Name();
        TField* masterField = master->FindField(name);
        if (masterField == nullptr)
            continue;
        masterFields.push_back(masterField);
        if (TField* detailField = FindField(name))
            detailFields.push_back(detailField);
    }
}

} // namespace vmado
