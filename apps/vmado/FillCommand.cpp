#include "Commands.h"

#include "dataset/NumberText.h"
#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <iostream>
#include <memory>

namespace vmado::app {

namespace {

struct FillOptions {
    DataOptions data;
    std::string field;
    bool upper = false;
    bool lower = false;
    std::string constant;
    bool number = false;
    std::vector<std::string> exchange;
    std::string sql;
    bool yes = false;
};

// Only a clear yes goes on; an empty answer or the end of the input keeps the data as it is.
bool Confirmed()
{
    std::cerr << "Change them? [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}

void Run(const SourceOptions& source, const FillOptions& options, bool constant)
{
    // Checked before anything is opened or asked, by the rule the fill applies, so a value the
    // fill would refuse never reaches the preview or the question.
    if (constant && options.number && !SqlNumberLiteral(Arg(options.constant)))
        throw CLI::ValidationError("--const", "'" + options.constant + "' is not a number, as --number asks");
    const auto dataSet = OpenData(source, options.data);
    const AnsiString fieldName = Arg(options.field);
    if (!dataSet->FindField(fieldName))
        throw EDatabaseError("Field '" + fieldName + "' not found in table '" + Arg(options.data.table) +
                             "'");
    const Integer count = dataSet->FillCount();
    std::cout << count << (count == 1 ? " record" : " records") << " of table '" << options.data.table
              << "' will change in field '" << options.field << "'." << std::endl;
    if (count == 0)
        return;
    if (!options.yes && !Confirmed()) {
        std::cout << "Nothing changed." << std::endl;
        return;
    }
    if (options.upper)
        dataSet->FillUpper(fieldName);
    else if (options.lower)
        dataSet->FillLower(fieldName);
    else if (constant)
        dataSet->FillConst(fieldName, Arg(options.constant), !options.number);
    else if (!options.exchange.empty())
        dataSet->FillExchange(fieldName, Arg(options.exchange[0]), Arg(options.exchange[1]));
    else {
        TStringList lines;
        lines.SetText(Arg(options.sql));
        dataSet->FillSQL(fieldName, &lines);
    }
    std::cout << "Changed " << count << (count == 1 ? " record." : " records.") << std::endl;
}

} // namespace

void AddFillCommand(CLI::App& app, const SourceOptions& source)
{
    CLI::App* command = app.add_subcommand(
        "fill", "Set one field of the records a table shows (as filtered) with one statement");
    auto options = std::make_shared<FillOptions>();
    command->add_option("field", options->field, "The field to fill")->required();
    AddDataOptions(*command, options->data, false);
    CLI::Option_group* how = command->add_option_group("operation", "What the field becomes (one of these)");
    how->add_flag("--upper", options->upper, "Upper case");
    how->add_flag("--lower", options->lower, "Lower case");
    CLI::Option* constant = how->add_option("--const", options->constant, "A constant, written as text");
    how->add_option("--exchange", options->exchange, "Replace the text OLD with NEW")
        ->expected(2)
        ->type_name("OLD NEW");
    how->add_option("--sql", options->sql, "An SQL expression, e.g. \"Price * 2\"");
    how->require_option(1);
    command->add_flag("--number", options->number, "With --const: write the value as a number")
        ->needs(constant);
    command->add_flag("-y,--yes", options->yes, "Do not ask for confirmation");
    command->callback([&source, options, constant] { Run(source, *options, constant->count() > 0); });
}

} // namespace vmado::app
