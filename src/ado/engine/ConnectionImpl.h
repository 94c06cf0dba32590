// The engine's Connection object: picks the provider from the connection string, keeps the
// settings applied at open, serialises every call on one recursive mutex, and hands recordsets
// the provider link and the dialect rewriter.
#pragma once

#include "ado/ADOApi.h"
#include "ado/engine/PropertyList.h"
#include "ado/engine/Provider.h"
#include "framework/rtl/CodePage.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vmado::engine {

class ConnectionImpl final : public Connection, public std::enable_shared_from_this<ConnectionImpl> {
public:
    ConnectionImpl() = default;
    ~ConnectionImpl() override;

    AnsiString ConnectionString() const override;
    void SetConnectionString(const AnsiString& value) override;
    Integer CommandTimeout() const override;
    void SetCommandTimeout(Integer value) override;
    Integer ConnectionTimeout() const override;
    void SetConnectionTimeout(Integer value) override;
    CursorLocationEnum CursorLocation() const override;
    void SetCursorLocation(CursorLocationEnum value) override;
    IsolationLevelEnum IsolationLevel() const override;
    void SetIsolationLevel(IsolationLevelEnum value) override;
    ConnectModeEnum Mode() const override;
    void SetMode(ConnectModeEnum value) override;
    AnsiString Provider() const override;
    Integer State() const override;
    AnsiString Version() const override;
    PropertiesPtr Properties() const override;

    void Open(const AnsiString& connectionString, const AnsiString& userId, const AnsiString& password,
              Integer options) override;
    void Close() override;
    RecordsetPtr Execute(const AnsiString& commandText, Variant& recordsAffected, Integer options) override;
    RecordsetPtr Execute(const AnsiString& commandText, Integer options) override;
    Integer BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    RecordsetPtr OpenSchema(SchemaEnum schema, const Variant& restrictions, const Variant& schemaId) override;

    // For the engine's recordsets.
    std::recursive_mutex& Mutex() const { return mutex_; }
    ProviderConnection& Link(); // raises when the connection is closed
    // The text rewritten for the backend (ODBC escapes, #dates#, Boolean -1/0, UCASE/LCASE).
    AnsiString Rewrite(std::string_view sql);
    // Which original values a client cursor's UPDATE compares (UpdateCriteriaEnum): from the
    // connection string's "Update Criteria" or the property of that name; recordsets opened
    // afterwards start with it.
    Integer UpdateCriteria() const;
    // The criteria value, or EOleException naming what was given when it is none.
    static Integer CheckUpdateCriteria(const Variant& value);
    // Bumped by each Open and Close; a recordset compares it to learn that its link went away.
    std::uint64_t Generation() const { return generation_.load(); }
    // Statements that streaming recordsets read from as they move. The connection owns them so
    // that Close ends them before the provider link they run on; a recordset keeps the number.
    std::uint64_t AdoptStream(std::unique_ptr<ProviderStatement> statement);
    ProviderStatement* Stream(std::uint64_t id) const; // nullptr once ended or closed
    void EndStream(std::uint64_t id) noexcept;

private:
    void CheckClosed(const char* what) const;
    void BuildProperties(const AnsiString& dataSource);
    RecordsetPtr SchemaTables(const Variant& restrictions);
    RecordsetPtr SchemaColumns(const Variant& restrictions);
    RecordsetPtr SchemaPrimaryKeys(const Variant& restrictions);

    mutable std::recursive_mutex mutex_;
    AnsiString connectionString_;
    AnsiString provider_ = "MSDASQL";
    Integer commandTimeout_ = 30;
    Integer connectionTimeout_ = 15;
    CursorLocationEnum cursorLocation_ = adUseServer;
    IsolationLevelEnum isolationLevel_ = adXactReadCommitted;
    ConnectModeEnum mode_ = adModeUnknown;
    std::unique_ptr<ProviderConnection> link_;
    std::map<std::uint64_t, std::unique_ptr<ProviderStatement>> streams_; // after link_: ends first
    std::uint64_t lastStream_ = 0;
    std::optional<CodePageLock> codePageLock_; // while open: rows hold text of the code page
    std::shared_ptr<PropertyList> properties_ = std::make_shared<PropertyList>();
    Integer transactionLevel_ = 0;
    Integer updateCriteria_ = adCriteriaUpdCols;
    std::optional<std::vector<AnsiString>> booleans_;
    std::atomic<std::uint64_t> generation_{0};
};

} // namespace vmado::engine
