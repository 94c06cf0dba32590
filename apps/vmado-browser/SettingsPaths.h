// Where the browser keeps its files: the per-user settings folder (one settings file per dataset)
// and the sample database, both following the XDG base directories.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado::browser {

// $XDG_CONFIG_HOME/vmado-browser, else ~/.config/vmado-browser; a relative or empty
// XDG_CONFIG_HOME is ignored, as the XDG rules ask.
AnsiString DefaultSettingsDir();
// $XDG_DATA_HOME/vmado-browser/sample.db, else ~/.local/share/vmado-browser/sample.db.
AnsiString DefaultSamplePath();

// The settings file of the dataset showing table in role ("master", "detail") on connection:
// the table's name made safe for a file name, and a hash of all three, so two data sources with a
// table of the same name keep apart and the same data source always finds its file again.
AnsiString SettingsFileFor(const AnsiString& dir, const AnsiString& connection, const AnsiString& table,
                           const AnsiString& role);

} // namespace vmado::browser
