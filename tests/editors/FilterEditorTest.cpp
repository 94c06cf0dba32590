#include "editors/FilterEditor.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

class FilterEditorTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30), qty INTEGER)");
        db_.Exec("INSERT INTO people VALUES (1, 'Kiss', 3), (2, 'Smith', 5), (3, 'Kovacs', 7)");
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection(db_.ConnectionString());
        dataSet_->SetCommand("SELECT id, name, qty FROM people");
        dataSet_->Open();
        InstallFilterEditorHook();
    }
    void TearDown() override { EditorHooks().Filter = nullptr; }

    // Types text into the String page and confirms.
    static void TypeAndConfirm(QDialog& dialog, const char* text)
    {
        QTest::keyClicks(dialog.findChild<QLineEdit*>("edFrom"), text);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    }

    test::SqliteFile db_;
    std::unique_ptr<TVADODataSet> dataSet_;
};

TEST_F(FilterEditorTest, NeedsAFieldAndADatasetBeforeShowingAnything)
{
    TVFilterEditor editor;
    bool shown = false;
    test::WhenModal([&](QDialog&) { shown = true; }, 5);
    EXPECT_FALSE(editor.Execute());
    editor.SetField(dataSet_->FieldByName("name"));
    EXPECT_FALSE(editor.Execute()); // no dataset
    EXPECT_FALSE(dataSet_->FilterEditor());
    EXPECT_FALSE(dataSet_->FilterEditor("no_such_field"));
    QTest::qWait(100);
    EXPECT_FALSE(shown);
}

TEST_F(FilterEditorTest, ConfirmedLinesAreCopiedAndCancelKeepsThePreviousOnes)
{
    TVFilterEditor editor;
    editor.SetField(dataSet_->FieldByName("name"));
    editor.SetDataSet(dataSet_.get());
    test::WhenModal([](QDialog& d) { TypeAndConfirm(d, "K*"); });
    ASSERT_TRUE(editor.Execute());
    ASSERT_EQ(editor.SubFilter()->Count(), 1);
    EXPECT_EQ(editor.SubFilter()->GetItem(0)->Relation(), frJokerRight);
    EXPECT_EQ(editor.SubFilter()->GetItem(0)->LowerValue(), "K");

    test::WhenModal([](QDialog& d) {
        QTest::keyClicks(d.findChild<QLineEdit*>("edFrom"), "Z");
        d.findChild<QPushButton*>("btnCancel")->click();
    });
    EXPECT_FALSE(editor.Execute());
    ASSERT_EQ(editor.SubFilter()->Count(), 1);
    EXPECT_EQ(editor.SubFilter()->GetItem(0)->LowerValue(), "K");

    // Confirming an empty Custom page is no filter at all.
    test::WhenModal([](QDialog& d) {
        auto* tabs = d.findChild<QTabWidget*>("pcFilter");
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->tabRect(tabs->indexOf(tabs->findChild<QWidget*>("tsCustom"))).center());
        d.findChild<QPushButton*>("btnOk")->click();
    });
    EXPECT_FALSE(editor.Execute());
    EXPECT_EQ(editor.SubFilter()->GetItem(0)->LowerValue(), "K");
}

TEST_F(FilterEditorTest, TheDatasetShortcutAddsALevelAndAppliesIt)
{
    EXPECT_EQ(dataSet_->RecordCount(), 3);
    test::WhenModal([](QDialog& d) { TypeAndConfirm(d, "K*"); });
    ASSERT_TRUE(dataSet_->FilterEditor("name"));
    ASSERT_EQ(dataSet_->Filters()->Count(), 1);
    EXPECT_EQ(dataSet_->Filters()->GetItem(0)->Name(), "Level1");
    EXPECT_EQ(dataSet_->RecordCount(), 2); // Kiss and Kovacs

    test::WhenModal([](QDialog& d) { d.findChild<QPushButton*>("btnCancel")->click(); });
    EXPECT_FALSE(dataSet_->FilterEditor(dataSet_->FieldByName("qty")));
    EXPECT_EQ(dataSet_->Filters()->Count(), 1);
}

TEST_F(FilterEditorTest, AnEditorOutlivingItsDatasetForgetsIt)
{
    TVFilterEditor editor;
    editor.SetField(dataSet_->FieldByName("name"));
    editor.SetDataSet(dataSet_.get());
    dataSet_.reset();
    EXPECT_EQ(editor.DataSet(), nullptr);
    EXPECT_EQ(editor.Field(), nullptr);
    EXPECT_FALSE(editor.Execute());
}

} // namespace
} // namespace vmado
