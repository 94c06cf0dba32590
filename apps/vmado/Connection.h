// The options every subcommand shares: where the data is, and how it is read into a dataset.
#pragma once

#include "Progress.h"

#include "dataset/VDB.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

namespace vmado::app {

// --connect, --database, --sample: one data source for the whole run.
struct SourceOptions {
    std::string connect;
    std::string database;
    std::string sample;
};

void AddSourceOptions(CLI::App& app, SourceOptions& options);

// The connection string the options name. A --database file must exist (SQLite would make an
// empty one); the sample is made on first use.
AnsiString ConnectionString(const SourceOptions& options);

// What a subcommand reads: an SQL statement or a table, filtered and sorted on the client.
struct DataOptions {
    std::string sql;
    std::string table;
    std::string filter;
    std::string sort;
};

// The SQL positional, --table, --filter and --sort; without withSql a required --table and
// --filter.
void AddDataOptions(CLI::App& command, DataOptions& options, bool withSql);

// Opens what options name on the source, showing progress on a terminal. A table opens as a
// table, so its records can be changed; a statement opens read-only.
std::unique_ptr<TVADODataSet> OpenData(const SourceOptions& source, const DataOptions& options);

// Text from the command line (UTF-8) in the library's code page.
AnsiString Arg(const std::string& utf8);

} // namespace vmado::app
