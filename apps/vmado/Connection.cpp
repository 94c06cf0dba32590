#include "Connection.h"

#include "common/SampleDatabase.h"

#include "ado/ADOApi.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"
#include "tables/VTables.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace vmado::app {

namespace {

// Where the sample lives when no place is given: the user's data folder, so any working
// directory finds the same one.
std::string DefaultSamplePath()
{
    std::filesystem::path base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        base = data;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "share";
    else
        base = std::filesystem::temp_directory_path();
    return (base / "vmado" / "vmado-sample.db").string();
}

std::string SqliteQuoted(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        if (c == ';' || c == '"')
            throw CLI::ValidationError("--database", "the file name \"" + value + "\" holds a ';' or a '\"'");
        out += c;
    }
    return out;
}

// A table name as the statement must write it: bare unless it needs quotes.
AnsiString QuotedTable(const AnsiString& name)
{
    for (const char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'))
            return TVADODataSet::GenerateField(name);
    return name;
}

Integer CountRows(TVADODataSet& dataSet, const AnsiString& sql)
{
    try {
        if (!dataSet.ConnectionOpen())
            return 0;
        const RecordsetPtr result = dataSet.GetData()->Connection->Execute(sql, adCmdText);
        if (!result || result->State() != adStateOpen || result->Eof())
            return 0;
        return result->Fields()->Item(0)->Value().AsInteger();
    } catch (const std::exception&) {
        return 0; // the progress shows a count instead; the open itself reports real errors
    }
}

} // namespace

void AddSourceOptions(CLI::App& app, SourceOptions& options)
{
    CLI::Option* connect =
        app.add_option("--connect", options.connect,
                       "Connection string of any provider, e.g. \"Provider=SQLite;Data Source=db.sqlite\", "
                       "an ODBC string (DSN=... or Driver=...) or \"Provider=PostgreSQL;...\"");
    CLI::Option* database =
        app.add_option("--database", options.database, "An SQLite database file")->check(CLI::ExistingFile);
    CLI::Option* sample = app.add_option(
        "--sample", options.sample,
        "The sample database's file, made when missing (default: " + DefaultSamplePath() + ")");
    connect->excludes(database)->excludes(sample);
    database->excludes(sample);
}

AnsiString ConnectionString(const SourceOptions& options)
{
    if (!options.connect.empty())
        return Arg(options.connect);
    if (!options.database.empty())
        return "Provider=SQLite;Data Source=" + Arg(SqliteQuoted(options.database));
    const std::string sample = options.sample.empty() ? DefaultSamplePath() : options.sample;
    const std::filesystem::path path(sample);
    if (!std::filesystem::exists(path)) {
        std::error_code ignored;
        if (path.has_parent_path())
            std::filesystem::create_directories(path.parent_path(), ignored);
        CreateSampleDatabase(Arg(sample));
    }
    return "Provider=SQLite;Data Source=" + Arg(SqliteQuoted(sample));
}

void AddDataOptions(CLI::App& command, DataOptions& options, bool withSql)
{
    if (!withSql) {
        command.add_option("--table", options.table, "The table")->required();
        command.add_option("--filter", options.filter,
                           "Only the records that match, e.g. \"City = 'Budapest'\"");
        return;
    }
    CLI::Option* table =
        command.add_option("--table", options.table, "A table to read instead of a statement");
    command.add_option("sql", options.sql, "The SELECT statement to run")->excludes(table);
    command.add_option("--filter", options.filter,
                       "Keep the records that match, e.g. \"City = 'Budapest' OR Credit > 1000\"");
    command.add_option("--sort", options.sort, "Sort the records, e.g. \"City ASC,Name DESC\"");
}

std::unique_ptr<TVADODataSet> OpenData(const SourceOptions& source, const DataOptions& options)
{
    if (options.sql.empty() && options.table.empty())
        throw CLI::RequiredError("an SQL statement or --table NAME");
    const AnsiString connection = ConnectionString(source);
    // Made before the dataset, so it outlives the dataset's reports even when the open fails.
    Progress progress("opening");
    std::unique_ptr<TVADODataSet> dataSet;
    AnsiString countSql;
    if (!options.table.empty()) {
        auto table = std::make_unique<TVTable>(nullptr);
        table->SetConnection(connection);
        table->SetTableName(Arg(options.table));
        countSql = "SELECT COUNT(*) FROM " + QuotedTable(Arg(options.table));
        dataSet = std::move(table);
    } else {
        dataSet = std::make_unique<TVADODataSet>(nullptr);
        dataSet->SetConnection(connection);
        dataSet->SetCommand(Arg(options.sql));
        dataSet->SetReadOnly(true);
        countSql = "SELECT COUNT(*) FROM (" + Arg(options.sql) + ") counted";
    }
    dataSet->SetSortStr(Arg(options.sort));
    dataSet->SetFilter(Arg(options.filter));
    Integer total = 0;
    if (progress.Active()) {
        // Only a terminal shows the share done, so only there is the count worth a second query.
        total = CountRows(*dataSet, countSql);
        dataSet->OnFetchProgress = [&](TDataSet*, Integer fetched) { progress.Update(fetched, total); };
    }
    dataSet->Open();
    progress.Done();
    dataSet->OnFetchProgress = nullptr;
    return dataSet;
}

AnsiString Arg(const std::string& utf8)
{
    return Utf8ToAnsi(utf8);
}

} // namespace vmado::app
