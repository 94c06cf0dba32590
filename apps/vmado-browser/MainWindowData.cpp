// Opening and closing the data. Both datasets open on workers, the master first: the detail's
// relation needs the master's record, and its settings are read against it.
#include "MainWindow.h"

#include "BackgroundOpen.h"
#include "Schema.h"
#include "SettingsPaths.h"

#include "common/SampleDatabase.h"
#include "controls/QtBridge.h"
#include "editors/ConnectionEditor.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSource.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"
#include "tables/VTables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace vmado::browser {

namespace {

bool Contains(const std::vector<AnsiString>& names, const AnsiString& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

AnsiString MainWindow::SettingsFile(const AnsiString& table, const char* role) const
{
    return SettingsFileFor(settingsDir_, connection_, table, role);
}

bool MainWindow::OpenSample(const AnsiString& path, const AnsiString& master, const AnsiString& detail)
{
    try {
        app::EnsureSampleDatabase(path);
    } catch (const Exception& e) {
        Application()->ShowException(e);
        return false;
    }
    if (master.empty() && detail.empty())
        return OpenConnection("Provider=SQLite;Data Source=" + path, "Customers", "Orders");
    return OpenConnection("Provider=SQLite;Data Source=" + path, master, detail);
}

bool MainWindow::OpenConnection(const AnsiString& connection, const AnsiString& master,
                                const AnsiString& detail)
{
    CloseData();
    std::vector<AnsiString> tables;
    try {
        tables = ListTables(connection);
        if (tables.empty())
            throw EDatabaseError("The data source has no tables to show");
        for (const AnsiString& name : {master, detail})
            if (!name.empty() && !Contains(tables, name))
                throw EDatabaseError("The data source has no table \"" + name + "\"");
    } catch (const Exception& e) {
        Application()->ShowException(e);
        return false;
    }
    connection_ = connection;
    tables_ = std::move(tables);
    master_->SetConnection(connection_);
    detail_->SetConnection(connection_);
    const AnsiString masterTable = master.empty() ? tables_.front() : master;
    master_->SetTableName(masterTable);
    master_->SetFileName(SettingsFile(masterTable, "master"));

    AnsiString detailTable = detail;
    if (detailTable.empty()) {
        // The first table that can follow the master.
        try {
            const auto masterFields = ListFields(connection_, masterTable);
            for (const AnsiString& t : tables_) {
                if (t != masterTable && !RelationFor(masterFields, ListFields(connection_, t)).empty()) {
                    detailTable = t;
                    break;
                }
            }
        } catch (const Exception& e) {
            Application()->ShowException(e);
        }
    }
    detail_->SetTableName(detailTable);
    detail_->SetFileName(detailTable.empty() ? AnsiString() : SettingsFile(detailTable, "detail"));
    Relate();
    FillTableMenus();
    UpdateTitle();
    StartOpen(true);
    return true;
}

void MainWindow::Relate()
{
    AnsiString relation;
    if (!detail_->TableName().empty()) {
        try {
            relation = RelationFor(ListFields(connection_, master_->TableName()),
                                   ListFields(connection_, detail_->TableName()));
        } catch (const Exception& e) {
            Application()->ShowException(e);
        }
    }
    detail_->ModifyRelation(relation.empty() ? nullptr : masterSource_.get(), relation);
}

void MainWindow::SetMasterTable(const AnsiString& table)
{
    if (connection_.empty() || !Contains(tables_, table))
        return;
    CloseData();
    master_->SetTableName(table);
    master_->SetFileName(SettingsFile(table, "master"));
    Relate();
    UpdateTitle();
    StartOpen(true);
}

void MainWindow::SetDetailTable(const AnsiString& table)
{
    if (connection_.empty() || (!table.empty() && !Contains(tables_, table)))
        return;
    opener_->Cancel();
    try {
        detail_->Close();
    } catch (const Exception& e) {
        Application()->ShowException(e);
    }
    detail_->SetTableName(table);
    detail_->SetFileName(table.empty() ? AnsiString() : SettingsFile(table, "detail"));
    Relate();
    UpdateTitle();
    StartOpen(!master_->Active());
}

void MainWindow::StartOpen(bool masterToo)
{
    std::deque<TDataSource*> sources;
    if (masterToo && !master_->TableName().empty())
        sources.push_back(masterSource_.get());
    if (!detail_->TableName().empty())
        sources.push_back(detailSource_.get());
    if (!sources.empty())
        opener_->Start(std::move(sources));
}

void MainWindow::CloseData()
{
    if (opener_ != nullptr)
        opener_->Cancel();
    // A settings file that cannot be written is reported once the dataset has closed.
    for (TVTable* table : {detail_.get(), master_.get()}) {
        try {
            table->Close();
        } catch (const Exception& e) {
            Application()->ShowException(e);
        }
    }
}

bool MainWindow::WaitForOpen(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (opener_->Running()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return true;
}

bool MainWindow::Connect()
{
    TVConnectionEditor editor(nullptr);
    editor.SetConnection(connection_);
    if (!editor.Execute())
        return false;
    if (!OpenConnection(editor.Connection()))
        return false;
    // A single-table driver names its table after the file the user picked.
    if (Contains(tables_, editor.DefaultTable()) && editor.DefaultTable() != master_->TableName())
        SetMasterTable(editor.DefaultTable());
    return true;
}

} // namespace vmado::browser
