// The connection form driven as a user drives it: texts parsed into the controls and built back,
// the OK button following the chosen kind, and the file button's default table.
#include "controls/QtBridge.h"
#include "dialogs/DlgConnectEditor.h"
#include "framework/classes/Strings.h"
#include "framework/graphics/Graphics.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

namespace vmado {
namespace {

const char* const kDsns[] = {"nwind", "pgdsn"};
const char* const kDrivers[] = {"PostgreSQL Unicode", "Microsoft Text Driver (*.txt; *.csv)", "SQLite3"};
const char* const kProviders[][2] = {{"MSDASQL", "ODBC databases (default)"},
                                     {"SQLOLEDB", "Microsoft SQL Server 7. OLE DB"},
                                     {"MSDAORA", "Oracle databases"},
                                     {"SQLite", "SQLite databases (embedded)"}};

// Runs drive on the next modal widget once it is up; gives up after a few seconds and closes
// whatever is modal then, so no test waits forever.
void OnModal(std::function<void(QWidget*)> drive)
{
    auto tries = std::make_shared<int>(0);
    auto timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, drive] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            drive(modal);
    });
    timer->start();
}

class ConnectDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dsn : kDsns)
            form_.cbxSystem->addItem(dsn);
        for (const char* driver : kDrivers)
            form_.cbxDriver->addItem(driver);
        TStringList descriptions;
        TStringList names;
        for (const auto& [name, description] : kProviders) {
            names.Add(name);
            descriptions.Add(description);
        }
        form_.SetProviders(descriptions, names);
        form_.SetFilterEvent([](const AnsiString& driver) -> AnsiString {
            return driver == "SQLite3" ? "SQLite3|*.db;*.sqlite| All Files (*.*)  |*.*" : "";
        });
    }

    void ShowWith(const AnsiString& text)
    {
        form_.SetConnection(text);
        form_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
    }

    AnsiString SelectedProvider() const
    {
        const int i = form_.cbxProvider->currentIndex();
        return i < 0 ? AnsiString() : form_.ProviderNames().at(i);
    }

    TConnectEditor form_;
};

TEST_F(ConnectDialog, TextsAreParsedIntoTheControlsAndBuiltBack)
{
    enum Way { None, System, File, Server };
    struct Row {
        const char* Text;
        Way Kind;
        const char* Choice; // cbxSystem, cbxDriver+edFile, or edServer/edDatabase as "srv/db"
        const char* User;
        const char* Password;
        const char* Provider;
        bool Security;
        bool Ok;
        const char* Built;
    };
    const Row rows[] = {
        {"DSN=nwind;UID=sa;PWD=secret", System, "nwind", "sa", "secret", "MSDASQL", false, true,
         "Provider=MSDASQL;DSN=nwind;UID=sa;PWD=secret"},
        {"Provider=MSDASQL;DSN=PGDSN", System, "pgdsn", "", "", "MSDASQL", false, true,
         "Provider=MSDASQL;DSN=pgdsn"},
        {"Provider=MSDASQL;DSN=unknown", System, "", "", "", "MSDASQL", false, false,
         "Provider=MSDASQL;DSN="},
        {"Provider=MSDASQL;DRIVER={SQLite3};DBQ=/data/n.db", File, "SQLite3|/data/n.db", "", "", "MSDASQL",
         false, true, "Provider=MSDASQL;DRIVER={SQLite3};DBQ=/data/n.db"},
        {"Provider=SQLOLEDB;SERVER=srv;DATABASE=db;Integrated Security=SSPI", Server, "srv/db", "", "",
         "SQLOLEDB", true, true, "Provider=SQLOLEDB;SERVER=srv;DATABASE=db;Integrated Security=SSPI"},
        {"Provider=SQLOLEDB;SERVER=srv;DATABASE=db;Trusted_Connection=yes", Server, "srv/db", "", "",
         "SQLOLEDB", true, true, "Provider=SQLOLEDB;SERVER=srv;DATABASE=db;Integrated Security=SSPI"},
        {"Provider=MSDAORA;SERVER=srv;DATABASE=db;UID=scott;PWD=tiger", Server, "srv/db", "scott", "tiger",
         "MSDAORA", false, true, "Provider=MSDAORA;SERVER=srv;DATABASE=db;UID=scott;PWD=tiger"},
        {"Provider=SQLOLEDB;SERVER=srv", Server, "srv/", "", "", "SQLOLEDB", false, false,
         "Provider=SQLOLEDB;SERVER=srv;DATABASE="},
        // Keys the form does not edit ride along.
        {"Provider=SQLite;Data Source=/x/{a.db;UID=u", None, "", "u", "", "SQLite", false, true,
         "Provider=SQLite;UID=u;Data Source=/x/{a.db"},
        {"Provider=MSDASQL;DRIVER={Microsoft Text Driver (*.txt; *.csv)};DBQ=/data;Extended "
         "Properties=\"a;b\"",
         File, "Microsoft Text Driver (*.txt; *.csv)|/data", "", "", "MSDASQL", false, true,
         "Provider=MSDASQL;DRIVER={Microsoft Text Driver (*.txt; *.csv)};DBQ=/data;Extended "
         "Properties=\"a;b\""},
        {"Provider=sqlite;Data Source=/x/y.db", None, "", "", "", "SQLite", false, true,
         "Provider=SQLite;Data Source=/x/y.db"},
        {"Provider=SQLite;Data Source=/x/y.db;UID=u", None, "", "u", "", "SQLite", false, true,
         "Provider=SQLite;UID=u;Data Source=/x/y.db"},
        {"Provider=MSDASQL;DSN=nwind;Extended Properties=x=1;Mode=Read", System, "nwind", "", "", "MSDASQL",
         false, true, "Provider=MSDASQL;DSN=nwind;Extended Properties=x=1;Mode=Read"},
        {"Provider=Other.Provider.1;Data Source=here", None, "", "", "", "Other.Provider.1", false, true,
         "Provider=Other.Provider.1;Data Source=here"},
        {"Provider=SQLite", None, "", "", "", "SQLite", false, false, "Provider=SQLite"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Text);
        ShowWith(r.Text);
        EXPECT_EQ(form_.rbSystem->isChecked(), r.Kind == System);
        EXPECT_EQ(form_.rbFile->isChecked(), r.Kind == File);
        EXPECT_EQ(form_.rbServer->isChecked(), r.Kind == Server);
        const QString choice = r.Choice;
        if (r.Kind == System)
            EXPECT_EQ(form_.cbxSystem->currentText(), choice);
        if (r.Kind == File) {
            EXPECT_EQ(form_.cbxDriver->currentText(), choice.section('|', 0, 0));
            EXPECT_EQ(form_.edFile->text(), choice.section('|', 1));
        }
        if (r.Kind == Server) {
            EXPECT_EQ(form_.edServer->text(), choice.section('/', 0, 0));
            EXPECT_EQ(form_.edDatabase->text(), choice.section('/', 1));
        }
        EXPECT_EQ(form_.edUser->text(), QString(r.User));
        EXPECT_EQ(form_.edPswd->text(), QString(r.Password));
        EXPECT_EQ(SelectedProvider(), r.Provider);
        EXPECT_EQ(form_.chkSecurity->isChecked(), r.Security);
        EXPECT_EQ(form_.edUser->isEnabled(), !r.Security);
        EXPECT_EQ(form_.btnOk->isEnabled(), r.Ok);
        EXPECT_EQ(form_.GetConnect(), r.Built);
        EXPECT_EQ(form_.Connection(), r.Built);
        form_.hide();
    }
}

TEST_F(ConnectDialog, KindControlsFollowTheRadioButtonsWithTheirColours)
{
    ShowWith("");
    EXPECT_FALSE(form_.btnOk->isEnabled());
    struct Row {
        QRadioButton* Button;
        std::vector<QWidget*> Enabled;
    };
    const Row rows[] = {
        {form_.rbSystem, {form_.cbxSystem}},
        {form_.rbFile, {form_.cbxDriver, form_.edFile, form_.btnFile}},
        {form_.rbServer, {form_.edServer, form_.edDatabase}},
    };
    const std::vector<QWidget*> all = {form_.cbxSystem, form_.cbxDriver, form_.edFile,
                                       form_.btnFile,   form_.edServer,  form_.edDatabase};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Button->objectName().toStdString());
        QTest::mouseClick(r.Button, Qt::LeftButton);
        ASSERT_TRUE(r.Button->isChecked());
        for (const Row& other : rows)
            EXPECT_EQ(other.Button->isChecked(), other.Button == r.Button);
        for (QWidget* w : all) {
            const bool on = std::find(r.Enabled.begin(), r.Enabled.end(), w) != r.Enabled.end();
            EXPECT_EQ(w->isEnabled(), on) << w->objectName().toStdString();
            if (w != form_.btnFile)
                EXPECT_EQ(InputColor(w), on ? clWindow : clInfoBk) << w->objectName().toStdString();
        }
    }
}

TEST_F(ConnectDialog, OkFollowsWhatTheChosenKindNeeds)
{
    ShowWith("");
    QTest::mouseClick(form_.rbServer, Qt::LeftButton);
    EXPECT_FALSE(form_.btnOk->isEnabled());
    QTest::keyClicks(form_.edServer, "srv");
    EXPECT_FALSE(form_.btnOk->isEnabled());
    QTest::keyClicks(form_.edDatabase, "db");
    EXPECT_TRUE(form_.btnOk->isEnabled());
    QTest::keyClick(form_.edDatabase, Qt::Key_Backspace);
    QTest::keyClick(form_.edDatabase, Qt::Key_Backspace);
    EXPECT_FALSE(form_.btnOk->isEnabled());
    // User, password and provider play no part.
    QTest::keyClicks(form_.edUser, "bob");
    EXPECT_FALSE(form_.btnOk->isEnabled());

    QTest::mouseClick(form_.rbFile, Qt::LeftButton);
    form_.cbxDriver->setCurrentIndex(2);
    EXPECT_FALSE(form_.btnOk->isEnabled());
    QTest::keyClicks(form_.edFile, "/d/x.db");
    EXPECT_TRUE(form_.btnOk->isEnabled());

    QTest::mouseClick(form_.rbSystem, Qt::LeftButton);
    form_.cbxSystem->setCurrentIndex(-1);
    EXPECT_FALSE(form_.btnOk->isEnabled());
    form_.cbxSystem->setCurrentIndex(1);
    EXPECT_TRUE(form_.btnOk->isEnabled());
    EXPECT_EQ(form_.GetConnect(), "Provider=MSDASQL;DSN=pgdsn;UID=bob");
}

TEST_F(ConnectDialog, IntegratedSecurityPicksItsProviderAndDropsTheCredentials)
{
    ShowWith("Provider=MSDASQL;SERVER=srv;DATABASE=db;UID=sa;PWD=pw");
    QTest::mouseClick(form_.chkSecurity, Qt::LeftButton);
    EXPECT_EQ(SelectedProvider(), "SQLOLEDB");
    EXPECT_FALSE(form_.edUser->isEnabled());
    EXPECT_FALSE(form_.edPswd->isEnabled());
    EXPECT_EQ(InputColor(form_.edUser), clInfoBk);
    EXPECT_EQ(form_.GetConnect(), "Provider=SQLOLEDB;SERVER=srv;DATABASE=db;Integrated Security=SSPI");
    QTest::mouseClick(form_.chkSecurity, Qt::LeftButton);
    EXPECT_TRUE(form_.edUser->isEnabled());
    EXPECT_EQ(InputColor(form_.edUser), clWindow);
    EXPECT_EQ(form_.GetConnect(), "Provider=SQLOLEDB;SERVER=srv;DATABASE=db;UID=sa;PWD=pw");
}

TEST_F(ConnectDialog, PasswordIsEchoedAsStars)
{
    EXPECT_EQ(form_.edPswd->echoMode(), QLineEdit::Password);
}

TEST_F(ConnectDialog, SingleTableDriversAreRecognisedByName)
{
    const std::pair<const char*, bool> rows[] = {
        {"Microsoft dBase Driver (*.dbf)", true},
        {"Microsoft FoxPro VFP Driver", true},
        {"paradox", true},
        {"Microsoft Text Driver (*.txt; *.csv)", true},
        {"SQLite3", false},
        {"PostgreSQL Unicode", false},
        {"", false},
    };
    for (const auto& [driver, single] : rows)
        EXPECT_EQ(TConnectEditor::IsSingleTable(driver), single) << driver;
}

TEST_F(ConnectDialog, DriverFiltersBecomeQtNameFilters)
{
    struct Row {
        const char* Filter;
        QStringList Qt;
    };
    const Row rows[] = {
        {"dBase Driver (*.dbf)|*.dbf| All Files (*.*)  |*.*",
         {"dBase Driver (*.dbf) (*.dbf)", "All Files (*.*) (*.*)"}},
        {"Text (*.txt; *.csv)|*.txt|Text (*.csv; *.csv)|*.csv| All Files (*.*)  |*.*",
         {"Text (*.txt; *.csv) (*.txt)", "Text (*.csv; *.csv) (*.csv)", "All Files (*.*) (*.*)"}},
        {"SQLite3|*.db; *.sqlite", {"SQLite3 (*.db *.sqlite)"}},
        {"|*.x", {"(*.x)"}},
        {"All Files (*.*)  |*.*", {"All Files (*.*) (*.*)"}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ToQtNameFilters(r.Filter), r.Qt) << r.Filter;
    EXPECT_EQ(form_.FileFilter(""), "All Files (*.*)  |*.*");
    EXPECT_EQ(form_.FileFilter("PostgreSQL Unicode"), "All Files (*.*)  |*.*");
    EXPECT_EQ(form_.FileFilter("SQLite3"), "SQLite3|*.db;*.sqlite| All Files (*.*)  |*.*");
}

TEST_F(ConnectDialog, PickedFileGivesTheDefaultTableOfASingleTableDriver)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vmado_connect_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "orders.txt") << "a\n";
    std::ofstream(dir / "north.db") << "x";
    struct Row {
        int Driver;
        const char* File;
        std::string Edit;
        const char* Table;
        QStringList Filters;
    };
    const Row rows[] = {
        {1, "orders.txt", dir.string(), "orders", {"All Files (*.*) (*.*)"}},
        {2,
         "north.db",
         (dir / "north.db").string(),
         "",
         {"SQLite3 (*.db *.sqlite)", "All Files (*.*) (*.*)"}},
    };
    ShowWith("Provider=MSDASQL;DRIVER={SQLite3};DBQ=");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.File);
        form_.cbxDriver->setCurrentIndex(r.Driver);
        QStringList seen;
        OnModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            seen = dialog->nameFilters();
            dialog->selectFile(QString::fromStdString((dir / r.File).string()));
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides its override
        });
        QTest::mouseClick(form_.btnFile, Qt::LeftButton);
        EXPECT_EQ(seen, r.Filters);
        EXPECT_EQ(form_.edFile->text().toStdString(), r.Edit);
        EXPECT_EQ(form_.DefaultTable(), r.Table);
    }
    fs::remove_all(dir);
}

TEST_F(ConnectDialog, FormRendersItsControls)
{
    ShowWith("Provider=MSDASQL;DSN=nwind");
    EXPECT_EQ(form_.windowTitle(), "Connect to data source:");
    EXPECT_TRUE(form_.windowFlags().testFlag(Qt::Tool));
    const QImage image = form_.grab().toImage();
    ASSERT_EQ(image.size(), QSize(486, 255));
    // A disabled kind edit shows the tooltip background, an enabled one the window colour.
    const QRect server = form_.edServer->geometry();
    EXPECT_EQ(QColor(image.pixel(server.center())), ToQColor(clInfoBk));
    const QRect user = form_.edUser->geometry();
    EXPECT_EQ(QColor(image.pixel(user.right() - 6, user.center().y())), ToQColor(clWindow));
    EXPECT_NE(QColor(image.pixel(2, 2)), ToQColor(clInfoBk));
}

} // namespace
} // namespace vmado
