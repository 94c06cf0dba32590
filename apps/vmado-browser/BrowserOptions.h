// The browser's command line: which data to open, where the settings live, and the screenshot
// mode that renders the window to a file and exits.
#pragma once

#include <QString>
#include <QStringList>

namespace vmado::browser {

struct BrowserOptions {
    QString Database;    // a SQLite file to open
    QString Connect;     // any connection string
    QString SettingsDir; // empty: the per-user folder
    QString Screenshot;  // a PNG file to write, then exit
    QString Master;      // the master table; empty: the first one
    QString Detail;      // the detail table; empty: the first one related to the master
};

// Parses arguments (the program name first). Returns false with a message in error for anything
// it cannot use; --help and --version are answered by the parser itself.
bool ParseBrowserOptions(const QStringList& arguments, BrowserOptions& options, QString& error);

} // namespace vmado::browser
