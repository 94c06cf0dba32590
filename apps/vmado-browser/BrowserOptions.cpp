#include "BrowserOptions.h"

#include <QCommandLineParser>

namespace vmado::browser {

bool ParseBrowserOptions(const QStringList& arguments, BrowserOptions& options, QString& error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Browses a database in a master and a detail grid. Without --database "
                                     "or --connect it opens the sample database, made on first run.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption database("database", "Open the SQLite database FILE.", "FILE");
    const QCommandLineOption connect("connect", "Open the data source of the connection string CS.", "CS");
    const QCommandLineOption settings("settings-dir", "Keep the datasets' settings files in DIR.", "DIR");
    const QCommandLineOption screenshot(
        "screenshot", "Render the main window to PNG once the data is open, then exit.", "PNG");
    const QCommandLineOption master("master", "Show TABLE in the master grid.", "TABLE");
    const QCommandLineOption detail("detail", "Show TABLE in the detail grid.", "TABLE");
    parser.addOptions({database, connect, settings, screenshot, master, detail});
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version"))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        error = "Unexpected argument: " + parser.positionalArguments().first();
        return false;
    }
    if (parser.isSet(database) && parser.isSet(connect)) {
        error = "Give either --database or --connect, not both.";
        return false;
    }
    options.Database = parser.value(database);
    options.Connect = parser.value(connect);
    options.SettingsDir = parser.value(settings);
    options.Screenshot = parser.value(screenshot);
    options.Master = parser.value(master);
    options.Detail = parser.value(detail);
    for (const auto* given : {&database, &connect, &settings, &screenshot, &master, &detail}) {
        if (parser.isSet(*given) && parser.value(*given).isEmpty()) {
            error = "The option --" + given->names().first() + " needs a value.";
            return false;
        }
    }
    return true;
}

} // namespace vmado::browser
