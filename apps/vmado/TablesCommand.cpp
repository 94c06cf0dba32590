#include "Commands.h"

#include "ado/ADOBase.h"
#include "framework/classes/Strings.h"
#include "framework/rtl/CodePage.h"

#include <iostream>

namespace vmado::app {

void AddTablesCommand(CLI::App& app, const SourceOptions& source)
{
    CLI::App* command = app.add_subcommand("tables", "List the tables of the data source");
    command->callback([&source] {
        TVConnection connection(false);
        connection.SetConnect(ConnectionString(source));
        connection.Open();
        TStringList names;
        connection.GetADOTableNames(names);
        for (Integer i = 0; i < names.Count(); ++i)
            std::cout << AnsiToConsole(names.Strings(i)) << '\n';
    });
}

} // namespace vmado::app
