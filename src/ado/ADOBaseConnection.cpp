// TVConnection: opening and closing the engine connection, statements and transactions, the
// provider table and the schema lookups. Engine failures propagate unchanged.
#include "ado/ADOBase.h"

namespace vmado {

TVConnection::TVConnection(bool autoClose) : AutoClose(autoClose), Properties(std::make_unique<TStringList>())
{
}

TVConnection::~TVConnection()
{
    try {
        if (Active)
            InternalClose();
    } catch (...) {
        // A destructor cannot report; the engine object is released below either way.
    }
}

void TVConnection::Open()
{
    if (!Active)
        InternalOpen();
}

void TVConnection::Close()
{
    if (Active)
        InternalClose();
}

void TVConnection::SetActive(bool value)
{
    if (value == Active)
        return;
    if (value)
        InternalOpen();
    else
        InternalClose();
}

void TVConnection::SetConnect(const AnsiString& value)
{
    if (value == ConnectionString)
        return;
    ConnectionString = value;
    if (Active) {
        InternalClose();
        InternalOpen();
    }
}

Integer TVConnection::GetIsolationLevel(TIsolationLevel value)
{
    switch (value) {
    case ilXactChaos:
    case ilXactUnspecified:
        return adXactChaos;
    case ilXactBrowse:
    case ilXactReadUncommitted:
        return adXactReadUncommitted;
    case ilXactCursorStability:
    case ilXactReadCommitted:
        return adXactReadCommitted;
    case ilXactRepeatableRead:
        return adXactRepeatableRead;
    case ilXactIsolated:
    case ilXactSerializable:
        return adXactSerializable;
    }
    return adXactChaos;
}

Integer TVConnection::GetConnectMode(TConnectionMode value)
{
    static const Integer modes[] = {adModeUnknown,        adModeRead,          adModeWrite,
                                    adModeReadWrite,      adModeShareDenyRead, adModeShareDenyWrite,
                                    adModeShareExclusive, adModeShareDenyNone};
    return value < std::size(modes) ? modes[value] : adModeUnknown;
}

void TVConnection::InternalOpen()
{
    if (ConnectionString.empty())
        return;
    if (!Connection)
        Connection = MachineName.empty() ? CoConnection::Create() : CoConnection::CreateRemote(MachineName);
    if (Connection->State() == adStateClosed) {
        Connection->SetCommandTimeout(CommandTimeout);
        Connection->SetConnectionTimeout(ConnectionTimeout);
        Connection->SetIsolationLevel(static_cast<IsolationLevelEnum>(GetIsolationLevel(IsolationLevel)));
        Connection->SetMode(static_cast<ConnectModeEnum>(GetConnectMode(ConnectMode)));
        if (CursorLocation == clClient)
            Connection->SetCursorLocation(adUseClient);
        else if (CursorLocation == clServer)
            Connection->SetCursorLocation(adUseServer);
        Connection->Open(ConnectionString, {}, {}, 0);
    }
    // Also for an engine object found open: it is open, so the wrapper says so.
    Active = Connection->State() != adStateClosed;
    TransactionDDL = false;
    Properties->Clear();
    if (!Active)
        return;
    const PropertiesPtr props = Connection->Properties();
    const Integer count = props->Count();
    for (Integer i = 0; i < count; ++i) {
        const PropertyPtr p = props->Item(i);
        const AnsiString name = p->Name();
        const AnsiString value = VarToStr(p->Value());
        if (name == "Transaction DDL")
            TransactionDDL = value != "0";
        Properties->Add(name + "=" + value);
    }
}

void TVConnection::InternalClose()
{
    if (!Active)
        return;
    ConnectionPtr connection = std::move(Connection);
    Active = false;
    TransactionDDL = false;
    if (connection && connection->State() != adStateClosed)
        connection->Close();
}

AnsiString TVConnection::GetVersion() const
{
    return Connection ? Connection->Version() : AnsiString("Unknown");
}

Integer TVConnection::ExecSQL(const AnsiString& sql)
{
    if (!Connection)
        return 0;
    Variant affected;
    Connection->Execute(sql, affected, adCmdText);
    return VarIsNullOrEmpty(affected) ? 0 : affected.AsInteger();
}

void TVConnection::StartTransaction()
{
    if (TransactionDDL && Connection)
        Connection->BeginTrans();
}

void TVConnection::Commit()
{
    if (TransactionDDL && Connection)
        Connection->CommitTrans();
}

void TVConnection::Rollback()
{
    if (TransactionDDL && Connection)
        Connection->RollbackTrans();
}

namespace {

const char* const kProviders[] = {
    "MSDASQL=ODBC databases (default)", "SQLOLEDB=Microsoft SQL Server 7. OLE DB",
    "MSDAORA=Oracle databases",         "Microsoft.Jet.OLEDB.4.0=Microsoft Jet databases",
    "MSIDXS=Microsoft Index Server",    "ADSDSOObject=Microsoft Active Directory Service",
};

// Opens the connection for one lookup and closes it again afterwards when it was closed before,
// also when the lookup fails.
class LookupScope {
public:
    explicit LookupScope(TVConnection& c) : c_(c), wasActive_(c.Active)
    {
        if (!wasActive_)
            c_.Open();
    }
    ~LookupScope()
    {
        if (wasActive_)
            return;
        try {
            c_.Close();
        } catch (...) {
        }
    }

private:
    TVConnection& c_;
    bool wasActive_;
};

// Closes a schema recordset however the lookup ends.
struct SchemaCloser {
    const RecordsetPtr& rs;
    ~SchemaCloser()
    {
        try {
            if (rs && rs->State() != adStateClosed)
                rs->Close();
        } catch (...) {
        }
    }
};

} // namespace

void TVConnection::GetADOProviderList(TStrings& list)
{
    list.Clear();
    for (const char* line : kProviders)
        list.Add(line);
}

void TVConnection::GetADOProviderList(TStrings& descriptions, TStrings& names)
{
    descriptions.Clear();
    names.Clear();
    for (const char* line : kProviders) {
        const AnsiString s(line);
        const size_t eq = s.find('=');
        descriptions.Add(s.substr(eq + 1));
        names.Add(s.substr(0, eq));
    }
}

void TVConnection::GetADOTableNames(TStrings& list)
{
    LookupScope scope(*this);
    list.Clear();
    if (!Active)
        return;
    const RecordsetPtr rs = Connection->OpenSchema(
        adSchemaTables, VarArrayOf({Variant::Null(), Variant::Null(), Variant::Null(), Variant("TABLE")}));
    SchemaCloser closer{rs};
    while (!rs->Eof()) {
        list.Add(VarToStr(rs->Fields()->Item(AnsiString("TABLE_NAME"))->Value()));
        rs->MoveNext();
    }
}

void TVConnection::GetADOFieldNames(const AnsiString& tableName, TStrings& list)
{
    LookupScope scope(*this);
    list.Clear();
    if (!Active)
        return;
    const Variant table = tableName.empty() ? Variant::Null() : Variant(tableName);
    const RecordsetPtr rs = Connection->OpenSchema(
        adSchemaColumns, VarArrayOf({Variant::Null(), Variant::Null(), table, Variant::Null()}));
    SchemaCloser closer{rs};
    while (!rs->Eof()) {
        const FieldsPtr f = rs->Fields();
        const AnsiString column = VarToStr(f->Item(AnsiString("COLUMN_NAME"))->Value());
        if (tableName.empty())
            list.Add(VarToStr(f->Item(AnsiString("TABLE_NAME"))->Value()) + "." + column);
        else
            list.Add(column);
        rs->MoveNext();
    }
}

} // namespace vmado
