// The connection editor component and the shortcuts that reach it through the hook: the lists it
// fills from private unixODBC files (never the machine's), its OK and Cancel, and the master's and
// the dataset's editors on a real SQLite database.
#include "editors/ConnectionEditor.h"
#include "controls/QtBridge.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "dialogs/DlgConnectEditor.h"
#include "framework/classes/PropInfo.h"
#include "master/VMaster.h"

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

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

namespace vmado {
namespace {

namespace fs = std::filesystem;

const char* const kTextDriver = "Microsoft Text Driver (*.txt; *.csv)";

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// Runs drive on the next modal widget once it is up; gives up after a few seconds, so no test
// waits forever on a form that never came.
void OnModal(std::function<void(QWidget*)> drive)
{
    auto tries = std::make_shared<int>(0);
    auto* timer = new QTimer;
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

// Drives the connection form when it comes up; a wrong modal widget is closed and reported.
void OnConnectForm(std::function<void(TConnectEditor&)> drive)
{
    OnModal([drive](QWidget* modal) {
        auto* form = dynamic_cast<TConnectEditor*>(modal);
        if (!form) {
            ADD_FAILURE() << "the modal widget is not the connection form";
            modal->close();
            return;
        }
        drive(*form);
    });
}

std::vector<std::string> Items(const QComboBox* box)
{
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i)
        items.push_back(FromQString(box->itemText(i)));
    return items;
}

class ConnectionEditorTest : public ::testing::Test {
protected:
    ConnectionEditorTest()
    {
        fs::create_directories(dir_);
        WriteFile(dir_ / "odbcinst.ini", "[ODBC]\nTrace = No\n\n[SQLite3]\nDriver=libsqliteodbc.so\n\n"
                                         "[" +
                                             std::string(kTextDriver) +
                                             "]\nDriver=text.so\nFileExtns=*.txt,*.csv\n");
        WriteFile(dir_ / "odbc.ini", "[nwind]\nDriver = SQLite3\nDatabase=/tmp/nw.db\n");
        WriteFile(dir_ / "user.ini", "[mine]\nDriver = SQLite3\nDatabase=/tmp/mine.db\n");
        previous_ = SetConnectionEditorHook({});
        InstallConnectionEditorHook();
    }
    ~ConnectionEditorTest() override
    {
        SetConnectionEditorHook(previous_);
        fs::remove_all(dir_);
    }

    const fs::path dir_ = fs::temp_directory_path() / ("vmado_conned_" + std::to_string(::getpid()));
    ScopedEnv sys_{"ODBCSYSINI", dir_.string()};
    ScopedEnv inst_{"ODBCINSTINI", "odbcinst.ini"};
    ScopedEnv user_{"ODBCINI", (dir_ / "user.ini").string()};
    TConnectionEditorHook previous_;
};

TEST_F(ConnectionEditorTest, PublishesItsTwoProperties)
{
    TVConnectionEditor editor(nullptr);
    std::vector<std::string> names;
    for (const TPropInfo* p : FindClass("TVConnectionEditor").Properties())
        names.push_back(p->Name);
    EXPECT_NE(std::find(names.begin(), names.end(), "Connection"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "DefaultTable"), names.end());
}

TEST_F(ConnectionEditorTest, FormListsTheOdbcSourcesDriversAndEveryProvider)
{
    TVConnectionEditor editor(nullptr);
    editor.SetConnection("Provider=SQLite;Data Source=/x/y.db");
    bool seen = false;
    OnConnectForm([&](TConnectEditor& form) {
        seen = true;
        EXPECT_EQ(Items(form.cbxSystem), (std::vector<std::string>{"nwind", "mine"}));
        EXPECT_EQ(Items(form.cbxDriver), (std::vector<std::string>{"SQLite3", kTextDriver}));
        const std::vector<AnsiString>& names = form.ProviderNames();
        for (const char* name : {"MSDASQL", "SQLOLEDB", "MSDAORA", "Microsoft.Jet.OLEDB.4.0", "MSIDXS",
                                 "ADSDSOObject", "SQLite", "PostgreSQL"})
            EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        EXPECT_EQ(form.cbxProvider->count(), static_cast<int>(names.size()));
        EXPECT_EQ(names.at(form.cbxProvider->currentIndex()), "SQLite");
        EXPECT_TRUE(form.btnOk->isEnabled());
        QTest::mouseClick(form.btnOk, Qt::LeftButton);
    });
    EXPECT_TRUE(editor.Execute());
    EXPECT_TRUE(seen);
    EXPECT_EQ(editor.Connection(), "Provider=SQLite;Data Source=/x/y.db");
}

TEST_F(ConnectionEditorTest, OkTakesTheNewTextAndCancelKeepsTheOld)
{
    struct Row {
        bool Accept;
        bool Result;
        const char* Connection;
    };
    const Row rows[] = {
        {true, true, "Provider=MSDASQL;DSN=mine;UID=bob"},
        {false, false, "Provider=MSDASQL;DSN=nwind"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Accept ? "OK" : "Cancel");
        TVConnectionEditor editor(nullptr);
        editor.SetConnection("Provider=MSDASQL;DSN=nwind");
        editor.SetDefaultTable("stale");
        OnConnectForm([&](TConnectEditor& form) {
            EXPECT_TRUE(form.rbSystem->isChecked());
            form.cbxSystem->setCurrentIndex(1);
            QTest::keyClicks(form.edUser, "bob");
            QTest::mouseClick(r.Accept ? form.btnOk : form.btnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(editor.Execute(), r.Result);
        EXPECT_EQ(editor.Connection(), r.Connection);
        EXPECT_EQ(editor.DefaultTable(), "");
    }
}

TEST_F(ConnectionEditorTest, SingleTableDriverGivesTheDefaultTable)
{
    WriteFile(dir_ / "orders.txt", "id\n1\n");
    TVConnectionEditor editor(nullptr);
    OnConnectForm([&](TConnectEditor& form) {
        QTest::mouseClick(form.rbFile, Qt::LeftButton);
        form.cbxDriver->setCurrentIndex(1);
        OnModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog) {
                ADD_FAILURE() << "no file dialog";
                modal->close();
                return;
            }
            dialog->selectFile(QString::fromStdString((dir_ / "orders.txt").string()));
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides its override
        });
        QTest::mouseClick(form.btnFile, Qt::LeftButton);
        EXPECT_TRUE(form.btnOk->isEnabled());
        QTest::mouseClick(form.btnOk, Qt::LeftButton);
    });
    ASSERT_TRUE(editor.Execute());
    EXPECT_EQ(editor.Connection(),
              "Provider=MSDASQL;DRIVER={" + std::string(kTextDriver) + "};DBQ=" + dir_.string());
    EXPECT_EQ(editor.DefaultTable(), "orders");
}

TEST_F(ConnectionEditorTest, MasterEditorKeepsAnEmbeddedDatabaseText)
{
    const std::string text = "Provider=SQLite;Data Source=" + (dir_ / "master.db").string();
    struct Row {
        bool Accept;
        const char* User; // typed before closing
        std::string Result;
    };
    const Row rows[] = {
        {true, "", text},
        {false, "bob", text},
        {true, "bob", "Provider=SQLite;UID=bob;Data Source=" + (dir_ / "master.db").string()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.Accept ? "OK " : "Cancel ") + r.User);
        TVMaster master(nullptr);
        master.SetConnect(text);
        OnConnectForm([&](TConnectEditor& form) {
            QTest::keyClicks(form.edUser, r.User);
            QTest::mouseClick(r.Accept ? form.btnOk : form.btnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(master.Editor(0), r.Result);
        EXPECT_EQ(master.Connection(), r.Result);
        // The hook's editor component is gone again.
        EXPECT_EQ(master.ComponentCount(), 0);
        if (r.Result == text) {
            // The text that came back still opens the database it named.
            master.SetConnected(true);
            EXPECT_TRUE(master.GetConnected());
            master.SetConnected(false);
        }
    }
    EXPECT_TRUE(fs::exists(dir_ / "master.db"));
}

TEST_F(ConnectionEditorTest, DataSetConnectionEditorGoesThroughTheHook)
{
    struct Row {
        bool Accept;
        std::string Result;
    };
    const Row rows[] = {
        {true, "Provider=MSDASQL;DSN=mine"},
        {false, "Provider=MSDASQL;DSN=nwind"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Accept ? "OK" : "Cancel");
        TVADODataSet dataSet(nullptr);
        dataSet.SetConnection("Provider=MSDASQL;DSN=nwind");
        OnConnectForm([&](TConnectEditor& form) {
            form.cbxSystem->setCurrentIndex(1);
            QTest::mouseClick(r.Accept ? form.btnOk : form.btnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(dataSet.ConnectionEditor(), r.Result);
        EXPECT_EQ(dataSet.GetConnection(), r.Result);
        EXPECT_EQ(dataSet.ComponentCount(), 0);
    }
}

TEST_F(ConnectionEditorTest, ShownFormRendersItsControls)
{
    TVConnectionEditor editor(nullptr);
    editor.SetConnection("Provider=MSDASQL;DSN=nwind");
    QImage image;
    QRect server;
    OnConnectForm([&](TConnectEditor& form) {
        image = form.grab().toImage();
        server = form.edServer->geometry();
        QTest::mouseClick(form.btnCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(editor.Execute());
    ASSERT_EQ(image.size(), QSize(486, 255));
    EXPECT_EQ(QColor(image.pixel(server.center())), ToQColor(clInfoBk));
}

} // namespace
} // namespace vmado
