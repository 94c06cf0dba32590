#include "editors/ExportEditor.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace vmado {
namespace {

TEST(ExportEditorTest, TheShortcutShowsTheFormForItsDatasetAndNothingWithoutOne)
{
    test::SqliteFile db;
    db.Exec("CREATE TABLE t (id INTEGER, name VARCHAR(10))");
    db.Exec("INSERT INTO t VALUES (1, 'a'), (2, 'b')");
    auto dataSet = std::make_unique<TVADODataSet>(nullptr);
    dataSet->SetConnection(db.ConnectionString());
    dataSet->SetCommand("SELECT id, name FROM t ORDER BY id");
    dataSet->Open();
    InstallExportEditorHook();

    const std::string path = db.Dir() + "/out.csv";
    test::WhenModal([&](QDialog& d) {
        d.findChild<QComboBox*>("cbxDriver")->setCurrentIndex(2);
        d.findChild<QLineEdit*>("edOut")->setText(QString::fromStdString(path));
        d.findChild<QPushButton*>("btnExport")->click();
        d.findChild<QPushButton*>("btnClose")->click();
    });
    dataSet->ExportEditor();
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), "1,a\r\n2,b\r\n");

    TVExportEditor editor;
    editor.SetDataSet(dataSet.get());
    dataSet.reset();
    EXPECT_EQ(editor.DataSet(), nullptr);
    bool shown = false;
    test::WhenModal([&](QDialog&) { shown = true; }, 5);
    editor.Execute();
    QTest::qWait(100);
    EXPECT_FALSE(shown);
    EditorHooks().Export = nullptr;
}

} // namespace
} // namespace vmado
