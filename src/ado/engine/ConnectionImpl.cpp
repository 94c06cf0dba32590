// The Connection object: settings, open/close through the provider registry, Execute with the
// dialect rewrite, transactions and the property list. Every call holds the connection's mutex.
#include "ado/engine/ConnectionImpl.h"

#include "ado/engine/cursor/RecordsetImpl.h"
#include "ado/engine/dialect/Dialect.h"
#include "ado/engine/internal/TableName.h"
#include "ado/engine/internal/Text.h"

namespace vmado::engine {

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

bool IsSchemaChange(std::string_view sql)
{
    const AnsiString t = UpperAscii(Trim(sql).substr(0, 8));
    return t.rfind("CREATE", 0) == 0 || t.rfind("ALTER", 0) == 0 || t.rfind("DROP", 0) == 0;
}

} // namespace

ConnectionImpl::~ConnectionImpl()
{
    try {
        if (link_ && link_->InTransaction())
            link_->Rollback();
    } catch (...) {
        // closing anyway
    }
}

std::uint64_t ConnectionImpl::AdoptStream(std::unique_ptr<ProviderStatement> statement)
{
    Guard g(mutex_);
    streams_.emplace(++lastStream_, std::move(statement));
    return lastStream_;
}

ProviderStatement* ConnectionImpl::Stream(std::uint64_t id) const
{
    Guard g(mutex_);
    const auto it = streams_.find(id);
    return it == streams_.end() ? nullptr : it->second.get();
}

void ConnectionImpl::EndStream(std::uint64_t id) noexcept
{
    Guard g(mutex_);
    streams_.erase(id);
}

void ConnectionImpl::CheckClosed(const char* what) const
{
    if (link_)
        throw EOleException(AnsiString("Cannot set ") + what + " while the connection is open",
                            "vmado.Connection");
}

AnsiString ConnectionImpl::ConnectionString() const
{
    Guard g(mutex_);
    return connectionString_;
}

void ConnectionImpl::SetConnectionString(const AnsiString& value)
{
    Guard g(mutex_);
    if (value == connectionString_)
        return;
    CheckClosed("ConnectionString");
    connectionString_ = value;
}

Integer ConnectionImpl::CommandTimeout() const
{
    Guard g(mutex_);
    return commandTimeout_;
}

void ConnectionImpl::SetCommandTimeout(Integer value)
{
    Guard g(mutex_);
    if (value < 0)
        throw EOleException("Cannot set CommandTimeout to " + std::to_string(value) + ": it is negative",
                            "vmado.Connection");
    commandTimeout_ = value;
    if (link_)
        link_->SetCommandTimeout(value);
}

Integer ConnectionImpl::ConnectionTimeout() const
{
    Guard g(mutex_);
    return connectionTimeout_;
}

void ConnectionImpl::SetConnectionTimeout(Integer value)
{
    Guard g(mutex_);
    if (value < 0)
        throw EOleException("Cannot set ConnectionTimeout to " + std::to_string(value) + ": it is negative",
                            "vmado.Connection");
    connectionTimeout_ = value;
}

CursorLocationEnum ConnectionImpl::CursorLocation() const
{
    Guard g(mutex_);
    return cursorLocation_;
}

void ConnectionImpl::SetCursorLocation(CursorLocationEnum value)
{
    Guard g(mutex_);
    if (value != adUseNone && value != adUseServer && value != adUseClient)
        throw EOleException("Cannot set CursorLocation to " + std::to_string(value), "vmado.Connection");
    cursorLocation_ = value;
}

IsolationLevelEnum ConnectionImpl::IsolationLevel() const
{
    Guard g(mutex_);
    return isolationLevel_;
}

void ConnectionImpl::SetIsolationLevel(IsolationLevelEnum value)
{
    Guard g(mutex_);
    isolationLevel_ = value;
}

ConnectModeEnum ConnectionImpl::Mode() const
{
    Guard g(mutex_);
    return mode_;
}

void ConnectionImpl::SetMode(ConnectModeEnum value)
{
    Guard g(mutex_);
    if (value == mode_)
        return;
    CheckClosed("Mode");
    mode_ = value;
}

AnsiString ConnectionImpl::Provider() const
{
    Guard g(mutex_);
    return provider_;
}

Integer ConnectionImpl::State() const
{
    Guard g(mutex_);
    return link_ ? adStateOpen : adStateClosed;
}

AnsiString ConnectionImpl::Version() const
{
    return "2.8";
}

PropertiesPtr ConnectionImpl::Properties() const
{
    Guard g(mutex_);
    return properties_;
}

ProviderConnection& ConnectionImpl::Link()
{
    if (!link_)
        throw EOleException("The operation is not allowed: the connection is closed", "vmado.Connection");
    return *link_;
}

void ConnectionImpl::Open(const AnsiString& connectionString, const AnsiString& userId,
                          const AnsiString& password, Integer)
{
    Guard g(mutex_);
    if (link_)
        throw EOleException("Cannot open the connection: it is already open", "vmado.Connection");
    if (!connectionString.empty())
        connectionString_ = connectionString;
    ConnectionParts parts = ParseConnectionString(connectionString_);
    AnsiString provider = Trim(parts.Value("Provider"));
    parts.Remove("Provider");
    // "MSDASQL.1" and the like name the same provider as "MSDASQL".
    if (const auto dot = provider.find('.');
        dot != AnsiString::npos && EqualsIgnoreCase(provider.substr(0, dot), "MSDASQL"))
        provider = "MSDASQL";
    if (provider.empty())
        provider = "MSDASQL";
    // Ours, not the provider's: a driver would refuse or ignore it.
    if (const AnsiString* criteria = parts.Find("Update Criteria")) {
        updateCriteria_ = CheckUpdateCriteria(Variant(Trim(*criteria)));
        parts.Remove("Update Criteria");
    }
    if (!userId.empty()) {
        parts.Set("User ID", userId);
        parts.Set("Password", password);
    }
    OpenOptions options;
    options.CommandTimeout = commandTimeout_;
    options.ConnectionTimeout = connectionTimeout_;
    options.Mode = mode_;
    options.IsolationLevel = isolationLevel_;
    ProviderFactory factory = FindProvider(provider);
    link_ = factory(parts, options);
    codePageLock_.emplace();
    provider_ = provider;
    transactionLevel_ = 0;
    booleans_.reset();
    ++generation_;
    AnsiString dataSource = parts.Value("Data Source");
    if (dataSource.empty())
        dataSource = parts.Value("DSN");
    BuildProperties(dataSource);
}

void ConnectionImpl::BuildProperties(const AnsiString& dataSource)
{
    const Capabilities& caps = link_->Caps();
    auto list = std::make_shared<PropertyList>();
    list->Add("Provider Name", Variant(caps.ProviderName));
    list->Add("Provider Version",
              Variant(caps.DriverVersion.empty() ? caps.DbmsVersion : caps.DriverVersion));
    list->Add("DBMS Name", Variant(caps.DbmsName));
    list->Add("DBMS Version", Variant(caps.DbmsVersion));
    list->Add("Data Source", Variant(dataSource));
    if (!caps.DriverName.empty())
        list->Add("Driver Name", Variant(caps.DriverName));
    list->Add("Transaction DDL", Variant(caps.TransactionDDL), adInteger);
    list->Add("Read-Only Data Source", Variant(caps.ReadOnly), adBoolean);
    list->Add("Identifier Quote Character", Variant(caps.IdentifierQuote));
    list->Add("Isolation Levels", Variant(static_cast<Integer>(caps.Transactions ? 0x111000 : 0)), adInteger);
    std::weak_ptr<ConnectionImpl> self = weak_from_this();
    list->AddSettable(
        "Update Criteria",
        [self] {
            auto c = self.lock();
            return Variant(c ? c->UpdateCriteria() : static_cast<Integer>(adCriteriaUpdCols));
        },
        [self](const Variant& value) {
            const Integer criteria = CheckUpdateCriteria(value);
            if (auto c = self.lock()) {
                Guard g(c->mutex_);
                c->updateCriteria_ = criteria;
            }
        },
        adInteger);
    properties_ = list;
}

void ConnectionImpl::Close()
{
    Guard g(mutex_);
    if (!link_)
        throw EOleException("Cannot close the connection: it is not open", "vmado.Connection");
    try {
        if (link_->InTransaction())
            link_->Rollback();
    } catch (...) {
        // the handles go regardless
    }
    streams_.clear();
    link_.reset();
    codePageLock_.reset();
    transactionLevel_ = 0;
    booleans_.reset();
    properties_ = std::make_shared<PropertyList>();
    ++generation_;
}

AnsiString ConnectionImpl::Rewrite(std::string_view sql)
{
    Guard g(mutex_);
    ProviderConnection& link = Link();
    const SqlDialect dialect = link.Caps().Dialect;
    const std::vector<AnsiString>* booleans = nullptr;
    if (dialect != SqlDialect::Generic && MentionsBooleanLiteral(sql)) {
        if (!booleans_)
            booleans_ = link.BooleanColumns();
        booleans = &*booleans_;
    }
    return RewriteSql(sql, dialect, booleans, link.Caps().CaseFunctions);
}

Integer ConnectionImpl::UpdateCriteria() const
{
    Guard g(mutex_);
    return updateCriteria_;
}

Integer ConnectionImpl::CheckUpdateCriteria(const Variant& value)
{
    Integer criteria = -1;
    try {
        if (!value.IsNull() && !value.IsEmpty())
            criteria = value.AsInteger();
    } catch (const Exception&) {
        criteria = -1;
    }
    if (criteria < adCriteriaKey || criteria > adCriteriaTimeStamp)
        throw EOleException("Cannot set Update Criteria to '" + VarToStr(value) +
                                "': it is 0 (key), 1 (all columns), 2 (changed columns) or 3 (time stamp)",
                            "vmado.Connection");
    return criteria;
}

RecordsetPtr ConnectionImpl::Execute(const AnsiString& commandText, Variant& recordsAffected, Integer options)
{
    Guard g(mutex_);
    ProviderConnection& link = Link();
    const Integer command = options == adCmdUnspecified ? adCmdText : (options & 0x30F);
    AnsiString sql = commandText;
    const AnsiString table = Trim(commandText);
    if ((command & (adCmdTable | adCmdTableDirect)) && !table.empty())
        sql = "SELECT * FROM " + QuoteTableName(table);
    else if (command & adCmdStoredProc)
        sql = "{call " + commandText + "}";
    if (Trim(sql).empty())
        throw EOleException("Cannot execute: the command text is empty", "vmado.Connection");
    auto statement = link.Prepare(Rewrite(sql));
    const bool rows = statement->Execute();
    if (IsSchemaChange(sql)) {
        link.ForgetSchema();
        booleans_.reset();
    }
    recordsAffected = Variant(static_cast<Integer>(statement->RowsAffected()));
    auto recordset = std::make_shared<RecordsetImpl>();
    if (rows && !(options != adCmdUnspecified && (options & adExecuteNoRecords)))
        recordset->Materialise(shared_from_this(), *statement, commandText, adLockReadOnly);
    return recordset;
}

RecordsetPtr ConnectionImpl::Execute(const AnsiString& commandText, Integer options)
{
    Variant affected;
    return Execute(commandText, affected, options);
}

Integer ConnectionImpl::BeginTrans()
{
    Guard g(mutex_);
    ProviderConnection& link = Link();
    if (!link.Caps().Transactions)
        throw EOleException("Cannot begin a transaction: the provider does not support transactions",
                            "vmado.Connection");
    if (transactionLevel_ > 0 || link.InTransaction())
        throw EOleException("Cannot begin a transaction: one is already open on this connection",
                            "vmado.Connection");
    link.Begin(isolationLevel_);
    transactionLevel_ = 1;
    return transactionLevel_;
}

void ConnectionImpl::CommitTrans()
{
    Guard g(mutex_);
    ProviderConnection& link = Link();
    if (transactionLevel_ == 0)
        throw EOleException("Cannot commit: no transaction is open on this connection", "vmado.Connection");
    if (!link.InTransaction()) {
        transactionLevel_ = 0;
        throw EOleException("Cannot commit: the transaction was rolled back when a send inside it failed",
                            "vmado.Connection");
    }
    link.Commit();
    transactionLevel_ = 0;
}

void ConnectionImpl::RollbackTrans()
{
    Guard g(mutex_);
    ProviderConnection& link = Link();
    if (transactionLevel_ == 0)
        throw EOleException("Cannot roll back: no transaction is open on this connection",
                            "vmado.Connection");
    transactionLevel_ = 0;
    if (link.InTransaction()) // else a failed send has rolled it back already
        link.Rollback();
}

} // namespace vmado::engine
