// TVUpdateSQL: the user's modify, insert and delete statements, run for the record the dataset is
// posting or deleting, on the dataset's own connection as it is at that moment. A statement that
// does not change exactly one record is rolled back and reported as "Update Failed!".
#include "tables/VTables.h"

#include "framework/db/Fields.h"
#include "framework/rtl/SysUtils.h"

namespace vmado {

namespace {

// Lends the served dataset's connection (its own or its master's) to the statement queries, so
// a change of the dataset's connection or master reaches them and a statement runs in the same
// database session as the dataset.
class TConnectionLender final : public TVCustomMaster {
public:
    explicit TConnectionLender(TComponent* owner) : TVCustomMaster(owner) {}
    AnsiString ClassName() const override { return "TConnectionLender"; }

    void SetDataSet(TVADODataSet* value) { dataSet_ = value; }
    AnsiString Connection() const override
    {
        return dataSet_ != nullptr ? dataSet_->GetConnection() : AnsiString();
    }
    TVConnection* GetData() override
    {
        if (dataSet_ == nullptr || !dataSet_->ConnectionOpen() || dataSet_->GetData() == nullptr)
            throw EDatabaseError("Update Failed!", "the dataset has no connection to run the statement on");
        return dataSet_->GetData();
    }
    void InsertDataSet(TVADODataSet*) override {}
    void RemoveDataSet(TVADODataSet*) override {}

private:
    TVADODataSet* dataSet_ = nullptr;
};

const char* const kVerbs[] = {"changed", "inserted", "deleted"};

} // namespace

TVUpdateSQL::TVUpdateSQL(TComponent* owner) : TVUpdateObject(owner)
{
    RegisterTablesClasses();
    // Made before any query, so it is freed after them (owned components go last first).
    lender_ = new TConnectionLender(this);
    for (auto& list : sql_) {
        list = std::make_unique<TStringList>();
        list->OnChange = [this](TObject* sender) { SQLChanged(sender); };
    }
}

TVUpdateSQL::~TVUpdateSQL()
{
    if (dataSet_ != nullptr && dataSet_->UpdateObject() == this)
        dataSet_->SetUpdateObject(nullptr);
    dataSet_ = nullptr;
    for (auto& list : sql_)
        list->OnChange = nullptr;
    // The queries go while the statement lists still exist.
    Destroying();
    DestroyComponents();
}

void TVUpdateSQL::Notification(TComponent* component, TOperation operation)
{
    TVUpdateObject::Notification(component, operation);
    if (operation != opRemove)
        return;
    for (auto& query : queries_)
        if (query == component)
            query = nullptr;
    if (component == lender_)
        lender_ = nullptr;
    if (component == dataSet_)
        dataSet_ = nullptr;
}

TStrings* TVUpdateSQL::GetSQL(TUpdateKind kind) const
{
    return sql_.at(static_cast<std::size_t>(kind)).get();
}

void TVUpdateSQL::SetSQL(TUpdateKind kind, const TStrings* value)
{
    TStringList* list = sql_.at(static_cast<std::size_t>(kind)).get();
    if (value != nullptr)
        list->Assign(value);
    else
        list->Clear();
}

void TVUpdateSQL::SQLChanged(TObject* sender)
{
    for (std::size_t kind = 0; kind < sql_.size(); ++kind) {
        if (sql_[kind].get() != sender || queries_[kind] == nullptr)
            continue;
        queries_[kind]->Params()->Clear();
        queries_[kind]->SetQuery(sql_[kind].get());
    }
}

void TVUpdateSQL::DoVerbose(TUpdateKind kind, const AnsiString& text, TVerboseMode mode)
{
    const TVerboseEvent& event = kind == ukModify   ? OnModifyVerbose
                                 : kind == ukInsert ? OnInsertVerbose
                                                    : OnDeleteVerbose;
    if (event)
        event(text, mode);
}

TVQuery* TVUpdateSQL::GetQuery(TUpdateKind kind)
{
    TVQuery*& query = queries_.at(static_cast<std::size_t>(kind));
    if (query == nullptr) {
        query = new TVQuery(this);
        query->OnVerbose = [this, kind](const AnsiString& text, TVerboseMode mode) {
            DoVerbose(kind, text, mode);
        };
        query->SetQuery(sql_[static_cast<std::size_t>(kind)].get());
    }
    // Pointed at the lender again at every use: the dataset's connection object may have been
    // replaced since the last run.
    if (lender_ != nullptr) {
        static_cast<TConnectionLender*>(lender_)->SetDataSet(dataSet_);
        query->SetMaster(nullptr);
        query->SetMaster(lender_);
    }
    return query;
}

void TVUpdateSQL::SetParams(TUpdateKind kind)
{
    if (dataSet_ == nullptr)
        return;
    TParams* params = GetQuery(kind)->Params();
    for (Integer i = 0; i < params->Count(); ++i) {
        TParam* param = params->Items(i);
        AnsiString name = param->Name();
        const bool old = name.size() >= 4 && AnsiUpperCase(name.substr(0, 4)) == "OLD_";
        if (old)
            name.erase(0, 4);
        TField* field = dataSet_->FindField(name);
        if (field == nullptr)
            continue;
        // A value cleared to Null is a value to write; only a value never given falls back.
        Variant value = old ? field->OldValue() : field->NewValue();
        if (!old && value.IsEmpty())
            value = field->OldValue();
        param->AssignFieldValue(field, value);
    }
}

void TVUpdateSQL::ExecSQL(TUpdateKind kind)
{
    TVQuery* query = GetQuery(kind);
    const Integer affected = query->Run(query->Text(), kVerbs[kind]);
    query->rowsAffected_ = affected;
    if (affected != 1)
        DatabaseError("Update Failed!");
}

void TVUpdateSQL::Apply(TUpdateKind updateKind)
{
    SetParams(updateKind);
    ExecSQL(updateKind);
}

} // namespace vmado
