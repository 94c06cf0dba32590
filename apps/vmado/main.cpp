// The command-line tool: lists tables, shows and exports records, fills a field, and reads and
// writes settings files and component streams. Without a data source it makes and opens the
// sample database. Exit status: 0 done, 1 the work failed, 2 the command line was wrong.
#include "Commands.h"

#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <iostream>

using namespace vmado;

namespace {

constexpr int kRuntimeError = 1;
constexpr int kUsageError = 2;

int Failed(const AnsiString& message, const AnsiString& context = {})
{
    std::cerr << "vmado: " << AnsiToConsole(message);
    if (!context.empty())
        std::cerr << " (" << AnsiToConsole(context) << ")";
    std::cerr << '\n';
    return kRuntimeError;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app("Browse, export and change data through the vmado library.", "vmado");
    // Not required here: CLI11 would then answer an unknown command word with "a subcommand is
    // required" instead of naming the word.
    app.require_subcommand(0, 1);
    app.fallthrough();
    app::SourceOptions source;
    app::AddSourceOptions(app, source);
    app::AddTablesCommand(app, source);
    app::AddQueryCommand(app, source);
    app::AddExportCommand(app, source);
    app::AddFillCommand(app, source);
    app::AddSettingsCommand(app);
    app::AddConvertCommand(app);
    try {
        app.parse(argc, argv);
        if (app.get_subcommands().empty())
            throw CLI::RequiredError("A subcommand (tables, query, export, fill, settings or convert)");
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : kUsageError;
    } catch (const EDatabaseError& e) {
        return Failed(e.Message(), e.Context());
    } catch (const Exception& e) {
        return Failed(e.Message());
    } catch (const std::exception& e) {
        return Failed(Utf8ToAnsi(e.what()));
    }
    return 0;
}
