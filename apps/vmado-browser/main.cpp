// The data browser. With --screenshot it opens the data, renders the window to a PNG and exits,
// which works without a display on the offscreen platform; errors then go to standard error and
// the exit status, since nobody is there to close a message box.
#include "BrowserOptions.h"
#include "MainWindow.h"
#include "SettingsPaths.h"

#include "controls/QtBridge.h"
#include "editors/UiModule.h"
#include "framework/classes/Application.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <iostream>

using namespace vmado;

namespace {

constexpr int kScreenshotTimeoutMs = 120000;

// The message with the cause a fixed-text failure ("Open error!") keeps apart.
AnsiString ErrorText(const Exception& e, const char* separator)
{
    const auto* database = dynamic_cast<const EDatabaseError*>(&e);
    if (database == nullptr || database->Context().empty())
        return e.Message();
    return e.Message() + separator + database->Context();
}

int TakeScreenshot(browser::MainWindow& window, const QString& file, bool& failed)
{
    window.show();
    if (!window.WaitForOpen(kScreenshotTimeoutMs)) {
        std::cerr << "vmado-browser: the data did not open within " << kScreenshotTimeoutMs / 1000 << " s\n";
        return 1;
    }
    if (failed)
        return 1;
    if (!window.SaveScreenshot(file)) {
        std::cerr << "vmado-browser: cannot write the screenshot to " << file.toStdString() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("vmado-browser");
    QApplication::setApplicationVersion("0.1.0");
    browser::BrowserOptions options;
    QString error;
    if (!browser::ParseBrowserOptions(QApplication::arguments(), options, error)) {
        std::cerr << "vmado-browser: " << error.toStdString() << "\nTry 'vmado-browser --help'.\n";
        return 2;
    }
    // SQLite would make an empty database for a name that is not there.
    if (!options.Database.isEmpty() && !QFileInfo(options.Database).isFile()) {
        std::cerr << "vmado-browser: no such database file: " << options.Database.toStdString() << '\n';
        return 1;
    }
    Application()->SetTitle("vmado browser");
    InitializeUi();
    bool failed = false;
    const bool screenshot = !options.Screenshot.isEmpty();
    if (screenshot) {
        SetExceptionShower([&failed](const Exception& e) {
            failed = true;
            std::cerr << "vmado-browser: " << AnsiToConsole(ErrorText(e, ": ")) << '\n';
        });
    } else {
        SetExceptionShower([](const Exception& e) {
            QMessageBox::critical(QApplication::activeWindow(), "vmado browser",
                                  ToQString(ErrorText(e, "\n")));
        });
    }

    int status = 0;
    {
        const AnsiString settingsDir =
            options.SettingsDir.isEmpty() ? browser::DefaultSettingsDir() : FromQString(options.SettingsDir);
        browser::MainWindow window(settingsDir);
        const AnsiString master = FromQString(options.Master);
        const AnsiString detail = FromQString(options.Detail);
        bool opened = true;
        if (!options.Connect.isEmpty())
            opened = window.OpenConnection(FromQString(options.Connect), master, detail);
        else if (!options.Database.isEmpty())
            opened = window.OpenConnection("Provider=SQLite;Data Source=" + FromQString(options.Database),
                                           master, detail);
        else
            opened = window.OpenSample(browser::DefaultSamplePath(), master, detail);
        if (screenshot) {
            status = opened ? TakeScreenshot(window, options.Screenshot, failed) : 1;
        } else {
            window.show();
            status = QApplication::exec();
        }
    }
    FinalizeUi();
    return status;
}
