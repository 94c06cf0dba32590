// The table, query and update-SQL components over TVADODataSet. A TVTable follows a master
// dataset through its Relation text (placeholders put in as literals, the result its Filter); a
// TVQuery takes its parameters from the master's fields and re-opens when the master moves; a
// TVUpdateSQL runs the user's own statements when its dataset posts or deletes.
#pragma once

#include "dataset/VDB.h"
#include "framework/classes/Filer.h"
#include "framework/classes/Strings.h"
#include "framework/db/DataSource.h"
#include "framework/db/Params.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace vmado {

class TVTable;
class TVQuery;

// The table's link to its master's data source; tells the table when the master record changes
// and when the master goes away.
class TVTableDataLink : public TDetailDataLink {
public:
    explicit TVTableDataLink(TVTable* table) : table_(table) {}
    AnsiString ClassName() const override { return "TVTableDataLink"; }
    TDataSet* GetDetailDataSet() override;

    TNotifyEvent OnMasterChange;
    TNotifyEvent OnMasterDisable;

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* field) override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }

private:
    TVTable* table_;
};

class TVTable : public TVADODataSet {
public:
    explicit TVTable(TComponent* owner = nullptr);
    ~TVTable() override;
    AnsiString ClassName() const override { return "TVTable"; }

    const AnsiString& TableName() const { return tableName_; }
    // Closes the table; a change from one name to another also clears Sort, Filter and Filters.
    // A name with a blank is sent in double quotes.
    void SetTableName(const AnsiString& value);
    TDataSource* GetDataSource() override;
    // Raises "Circular datalinks are not allowed" when value's chain of masters leads back here.
    void SetDataSource(TDataSource* value);
    const AnsiString& Relation() const { return relation_; }
    void SetRelation(const AnsiString& value);
    // Clears the filter, then builds it against the new master.
    void ModifyRelation(TDataSource* source, const AnsiString& relation);
    // Puts the master's current values into Relation and makes the result the Filter; an empty
    // Filter when active is false, Relation is empty or the link is not active. Raises
    // EDatabaseError naming a placeholder the master has no field for.
    virtual void UpdateRelation(bool active);

    void MasterChanged(TObject* sender);
    void MasterDisabled(TObject* sender);

protected:
    // A master that is already open filters the table from its first record. Without a
    // relation a Filter set while closed applies from the first record, as on any dataset.
    void InternalOpen() override;
    // The settings file's filter was the relation for the master record of its save; with a
    // relation, the master's present record decides the filter again.
    void InternalLoad(const AnsiString& fileName) override;

private:
    AnsiString tableName_;
    std::unique_ptr<TVTableDataLink> link_;
    AnsiString relation_;
};

// The query's link to its master's data source: a new master record re-opens the query.
class TVQueryDataLink : public TDetailDataLink {
public:
    explicit TVQueryDataLink(TVQuery* query) : query_(query) {}
    AnsiString ClassName() const override { return "TVQueryDataLink"; }
    TDataSet* GetDetailDataSet() override;

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* field) override;
    void CheckBrowseMode() override;

private:
    TVQuery* query_;
};

class TVUpdateSQL;

class TVQuery : public TVADODataSet {
public:
    explicit TVQuery(TComponent* owner = nullptr);
    ~TVQuery() override;
    AnsiString ClassName() const override { return "TVQuery"; }

    // The statement as written, ":Name" for a parameter. A change closes the query and parses
    // the parameters again, keeping the values of those whose name stays.
    TStrings* SQL() const { return sql_.get(); }
    void SetQuery(const TStrings* value);
    TParams* Params() const { return params_.get(); }
    void SetParamsList(const TParams* value); // copies the values by name
    Integer GetParamsCount() const;
    TParam* ParamByName(const AnsiString& name) const;
    // SQL with each parameter as "?".
    const AnsiString& Text() const { return text_; }
    void SetText(const AnsiString& value);
    bool ParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool value) { paramCheck_ = value; }
    // Records the last ExecSQL changed; -1 before any and after running an empty text.
    Integer RowsAffected() const { return rowsAffected_; }
    TDataSource* GetDataSource() override;
    void SetDataSource(TDataSource* value);

    // Run a statement that returns no records, with Params put in: Text, the list's text or
    // sql. Raise EDatabaseError when there is something to run but no connection to run it on,
    // and when the statement's parameter markers do not match Params.
    void ExecSQL();
    void ExecSQL(const TStrings* sql);
    void ExecSQL(const AnsiString& sql);
    // Closes and re-opens the query when the master has an open record to take values from.
    void RefreshParams();
    void GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields) override;
    void DefineProperties(TFiler& filer) override;

    // Parameters not set by the application take the master's field of the same name; raises
    // "Field 'X' not found" when the master has none.
    void SetParams();
    // text with every "?" outside quoted parts replaced by the literal of the parameter of the
    // same position; raises when the counts differ.
    AnsiString SwapParams(const AnsiString& text) const;
    void QueryChanged(TObject* sender);

    // The streamed "Data" bytes, kept only to be written back; none until read.
    const std::optional<std::vector<char>>& BinaryData() const { return binaryData_; }

protected:
    void InternalOpen() override;

private:
    friend class TVUpdateSQL;

    Integer Run(const AnsiString& text, const char* expectOneVerb);
    void ReadBinaryData(TStream& stream);
    void WriteBinaryData(TStream& stream);
    void ReadParamData(TReader& reader);
    void WriteParamData(TWriter& writer);

    std::unique_ptr<TStringList> sql_;
    std::unique_ptr<TParams> params_;
    AnsiString text_;
    std::unique_ptr<TVQueryDataLink> link_;
    Integer rowsAffected_ = -1;
    std::optional<std::vector<char>> binaryData_;
    bool paramCheck_ = true;
};

// Runs the user's statements for the records its dataset posts and deletes. A parameter named
// like a field takes the field's value; one named "OLD_" + field (any letter case) the value the
// record had before the edit.
class TVUpdateSQL : public TVUpdateObject {
public:
    explicit TVUpdateSQL(TComponent* owner = nullptr);
    // Leaves the dataset without an update object when it is still that dataset's.
    ~TVUpdateSQL() override;
    AnsiString ClassName() const override { return "TVUpdateSQL"; }

    TStrings* GetSQL(TUpdateKind kind) const;
    void SetSQL(TUpdateKind kind, const TStrings* value);
    TStrings* GetSQLIndex(Integer index) const { return GetSQL(static_cast<TUpdateKind>(index)); }
    void SetSQLIndex(Integer index, const TStrings* value) { SetSQL(static_cast<TUpdateKind>(index), value); }
    TStrings* ModifySQL() const { return GetSQL(ukModify); }
    void SetModifySQL(const TStrings* value) { SetSQL(ukModify, value); }
    TStrings* InsertSQL() const { return GetSQL(ukInsert); }
    void SetInsertSQL(const TStrings* value) { SetSQL(ukInsert, value); }
    TStrings* DeleteSQL() const { return GetSQL(ukDelete); }
    void SetDeleteSQL(const TStrings* value) { SetSQL(ukDelete, value); }

    TVADODataSet* GetDataSet() override { return dataSet_; }
    void SetDataSet(TVADODataSet* value) override { dataSet_ = value; }
    // SetParams, then ExecSQL, for the record the dataset is posting or deleting.
    void Apply(TUpdateKind updateKind) override;
    void Notification(TComponent* component, TOperation operation) override;

    // The query running kind's statement, made on first use; it works on the dataset's connection
    // (or its master's) as it is at each run.
    TVQuery* GetQuery(TUpdateKind kind);
    void SetParams(TUpdateKind kind);
    // Runs kind's statement; "Update Failed!" unless it changed exactly one record, in which case
    // the change is rolled back with the statement.
    void ExecSQL(TUpdateKind kind);

    TVerboseEvent OnModifyVerbose, OnInsertVerbose, OnDeleteVerbose;

private:
    void SQLChanged(TObject* sender);
    void DoVerbose(TUpdateKind kind, const AnsiString& text, TVerboseMode mode);

    TVADODataSet* dataSet_ = nullptr;
    TVCustomMaster* lender_ = nullptr; // owned through component ownership; lends the dataset's connection
    std::array<TVQuery*, 3> queries_{};
    std::array<std::unique_ptr<TStringList>, 3> sql_;
};

// Registers the published properties of TVTable, TVQuery and TVUpdateSQL (idempotent).
void RegisterTablesClasses();

} // namespace vmado
