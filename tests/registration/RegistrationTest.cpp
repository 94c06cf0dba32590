#include "registration/RegVMADO.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "master/VMaster.h"
#include "tables/VTables.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ClearDesignRegistry();
        RegisterAll();
        db_.Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), mark INTEGER)");
        db_.Exec("CREATE TABLE towns (code VARCHAR(3))");
    }
    void TearDown() override
    {
        ClearDesignRegistry();
        SetConnectionEditorHook(nullptr);
    }
    static const TPropInfo& Prop(const TPersistent& instance, const char* name)
    {
        return *FindClass(instance.ClassName()).FindProperty(name);
    }
    std::vector<AnsiString> Values(TPersistent& instance, const char* name)
    {
        std::vector<AnsiString> values;
        GetPropertyEditor(&designer_, &instance, &Prop(instance, name))->GetValues([&](const AnsiString& v) {
            values.push_back(v);
        });
        return values;
    }

    test::SqliteFile db_;
    TFormDesigner designer_;
};

TEST_F(RegistrationTest, TheRegistrationsReadBack)
{
    ASSERT_EQ(PalettePages().size(), 1u);
    EXPECT_EQ(PalettePages()[0].Name, "Velmar");
    EXPECT_EQ(PalettePages()[0].Classes,
              (std::vector<AnsiString>{"TVMaster", "TVTable", "TVQuery", "TVUpdateSQL"}));
    TVADODataSet dataSet;
    TVTable table;
    TVQuery query;
    TVMaster master;
    for (TPersistent* instance : std::initializer_list<TPersistent*>{&dataSet, &table, &query}) {
        SCOPED_TRACE(instance->ClassName());
        EXPECT_EQ(PropertyEditorName(*instance, Prop(*instance, "Connection")), "TVADOConnectionProperty");
        EXPECT_EQ(PropertyEditorName(*instance, Prop(*instance, "PrimaryKey")), "TVADOPrimaryKeyProperty");
        EXPECT_EQ(PropertyEditorName(*instance, Prop(*instance, "MarkerField")), "TVADOMarkerFieldProperty");
        EXPECT_EQ(PropertyEditorName(*instance, Prop(*instance, "FileName")), "TVADOFileNameProperty");
    }
    EXPECT_EQ(PropertyEditorName(table, Prop(table, "TableName")), "TVTableNameProperty");
    EXPECT_EQ(PropertyEditorName(master, Prop(master, "Connection")), "TVMasterConnectionProperty");
    EXPECT_EQ(ComponentEditorName(master), "TVMasterEditor");
    auto verbs = GetComponentEditor(&master, &designer_);
    ASSERT_EQ(verbs->GetVerbCount(), 1);
    EXPECT_EQ(verbs->GetVerb(0), "Editor");
    auto attributes = GetPropertyEditor(&designer_, &dataSet, &Prop(dataSet, "PrimaryKey"))->GetAttributes();
    EXPECT_TRUE(attributes.Contains(paValueList) && attributes.Contains(paSortList) &&
                attributes.Contains(paAutoUpdate));
    EXPECT_TRUE(GetPropertyEditor(&designer_, &dataSet, &Prop(dataSet, "Connection"))
                    ->GetAttributes()
                    .Contains(paDialog));
}

TEST_F(RegistrationTest, KeyAndMarkerListsExcludeEachOtherAndNeedATable)
{
    TVADODataSet dataSet;
    EXPECT_TRUE(Values(dataSet, "PrimaryKey").empty()); // no connection, no command
    dataSet.SetConnection(db_.ConnectionString());
    dataSet.SetCommand("SELECT 1");
    EXPECT_TRUE(Values(dataSet, "PrimaryKey").empty()); // no table in the command
    dataSet.SetCommand("SELECT * FROM people");
    EXPECT_EQ(Values(dataSet, "PrimaryKey"), (std::vector<AnsiString>{"id", "name", "mark"}));
    dataSet.SetMarkerField("mark");
    dataSet.SetPrimaryKey("id");
    EXPECT_EQ(Values(dataSet, "PrimaryKey"), (std::vector<AnsiString>{"id", "name"}));
    EXPECT_EQ(Values(dataSet, "MarkerField"), (std::vector<AnsiString>{"name", "mark"}));
    EXPECT_GE(designer_.ModifiedCount(), 4);
}

TEST_F(RegistrationTest, ATableListsItsMastersTablesAndTakesItsConnection)
{
    TVMaster master;
    master.SetConnect(db_.ConnectionString());
    TVTable table;
    EXPECT_TRUE(Values(table, "TableName").empty());
    table.SetMaster(&master);
    const std::vector<AnsiString> names = Values(table, "TableName");
    EXPECT_EQ(names, (std::vector<AnsiString>{"people", "towns"}));
    EXPECT_EQ(table.GetConnection(), db_.ConnectionString());
}

TEST_F(RegistrationTest, ConnectionEditorsStoreWhatTheDialogAnswers)
{
    AnsiString answer;
    bool accept = true;
    SetConnectionEditorHook([&](TComponent*, AnsiString& text) {
        if (accept)
            text = answer;
        return accept;
    });
    TVADODataSet dataSet;
    dataSet.SetConnection("Provider=SQLite;Data Source=old.db");
    auto editor = GetPropertyEditor(&designer_, &dataSet, &Prop(dataSet, "Connection"));
    answer = "Provider=SQLite;Data Source=new.db";
    editor->Edit();
    EXPECT_EQ(dataSet.GetConnection(), answer);
    accept = false;
    editor->Edit();
    EXPECT_EQ(dataSet.GetConnection(), answer); // a cancel keeps it
    EXPECT_EQ(designer_.ModifiedCount(), 2);

    TVMaster master;
    accept = true;
    answer = db_.ConnectionString();
    GetComponentEditor(&master, &designer_)->ExecuteVerb(0);
    EXPECT_EQ(master.Connection(), answer);
    answer = "Provider=SQLite;Data Source=other.db";
    GetPropertyEditor(&designer_, &master, &Prop(master, "Connection"))->Edit();
    EXPECT_EQ(master.Connection(), answer);
}

TEST_F(RegistrationTest, TheFileNameEditorProposesASettingsFile)
{
    TVADODataSet dataSet;
    auto editor = GetPropertyEditor(&designer_, &dataSet, &Prop(dataSet, "FileName"));
    const QString chosen = QString::fromStdString(db_.Dir() + "/people");
    QString proposed;
    test::WhenModal([&](QDialog& d) {
        auto& files = dynamic_cast<QFileDialog&>(d);
        EXPECT_EQ(files.nameFilters(), QStringList{"DataSet Resource Files (*.drf)"});
        proposed = files.findChild<QLineEdit*>("fileNameEdit")->text();
        files.selectFile(chosen);
        QMetaObject::invokeMethod(&files, "accept");
    });
    editor->Edit();
    EXPECT_EQ(proposed, "Default");
    EXPECT_EQ(dataSet.FileName(), (db_.Dir() + "/people.drf"));
}

} // namespace
} // namespace vmado
