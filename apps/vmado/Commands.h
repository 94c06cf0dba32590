// The subcommands, one file each. Each adds itself to the tool with a callback that does its
// work; problems with the command line raise CLI11's errors, problems with the data the
// library's exceptions.
#pragma once

#include "Connection.h"

#include <CLI/CLI.hpp>

namespace vmado::app {

void AddTablesCommand(CLI::App& app, const SourceOptions& source);
void AddQueryCommand(CLI::App& app, const SourceOptions& source);
void AddExportCommand(CLI::App& app, const SourceOptions& source);
void AddFillCommand(CLI::App& app, const SourceOptions& source);
void AddSettingsCommand(CLI::App& app);
void AddConvertCommand(CLI::App& app);

} // namespace vmado::app
