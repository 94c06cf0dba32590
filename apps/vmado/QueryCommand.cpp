#include "Commands.h"
#include "TablePrinter.h"

#include <iostream>
#include <memory>

namespace vmado::app {

void AddQueryCommand(CLI::App& app, const SourceOptions& source)
{
    CLI::App* command = app.add_subcommand("query", "Show the records of a statement or a table");
    auto data = std::make_shared<DataOptions>();
    auto limit = std::make_shared<int>(-1);
    AddDataOptions(*command, *data, true);
    command->add_option("--limit", *limit, "Show at most N records")->check(CLI::NonNegativeNumber);
    command->callback([&source, data, limit] {
        const auto dataSet = OpenData(source, *data);
        PrintDataSet(*dataSet, std::cout, *limit);
    });
}

} // namespace vmado::app
