// The colour editor component: running the form, its results, the dataset's shortcut and its
// watch over the dataset it refers to.
#include "editors/ColorEditor.h"

#include "ado/ADOApi.h"
#include "controls/ColorGrid.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "dialogs/DlgColor.h"
#include "filters/VFilters.h"
#include "framework/classes/PropInfo.h"
#include "framework/graphics/Graphics.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

namespace vmado {
namespace {

// Runs drive on the next modal form and closes it whatever drive did, so no test hangs.
void OnNextModal(std::function<void(QDialog*)> drive, bool* seen = nullptr)
{
    QTimer::singleShot(0, [drive, seen] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (seen)
            *seen = modal != nullptr;
        if (!modal)
            return;
        drive(modal);
        if (modal->isVisible())
            modal->reject();
    });
}

// Inserts a set named "Color N" colouring name = value red on white, then presses closer.
void AddRedRule(QDialog* form, const char* value, const char* closer)
{
    QTest::mouseClick(form->findChild<QPushButton*>("btnInsert"), Qt::LeftButton);
    auto* grid = form->findChild<TColorGrid*>("cgOffer");
    QTest::mouseClick(grid, Qt::RightButton, Qt::NoModifier, grid->CellRect(grid->CellOf(clRed)).center());
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->CellRect(grid->CellOf(clWhite)).center());
    auto* field = form->findChild<QComboBox*>("cbxField1");
    field->setCurrentIndex(field->findText("name"));
    auto* rel = form->findChild<QComboBox*>("cbxRel1");
    rel->setCurrentIndex(rel->findText("= "));
    auto* edit = form->findChild<QLineEdit*>("edValue1");
    edit->setFocus();
    QTest::keyClicks(edit, value);
    auto* op = form->findChild<QComboBox*>("cbxLog1");
    op->setCurrentIndex(op->findText("END"));
    QTest::mouseClick(form->findChild<QPushButton*>(closer), Qt::LeftButton);
}

class ColorEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file_ = std::filesystem::temp_directory_path() /
                ("vmado-coloreditor-" + std::to_string(getpid()) + ".db");
        std::filesystem::remove(file_);
        auto setup = CoConnection::Create();
        setup->Open("Provider=SQLite;Data Source=" + file_.string());
        setup->Execute("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20))");
        setup->Execute(
            "INSERT INTO people VALUES (1, 'Nagy', 'Gyor'), (2, 'Kiss', 'Pecs'), (3, 'Toth', 'Eger')");
        setup->Close();
        dataSet_ = MakeDataSet();
        savedHooks_ = EditorHooks();
    }
    void TearDown() override
    {
        EditorHooks() = savedHooks_;
        dataSet_.reset();
        std::filesystem::remove(file_);
    }
    std::unique_ptr<TVADODataSet> MakeDataSet()
    {
        auto dataSet = std::make_unique<TVADODataSet>(nullptr);
        dataSet->SetConnection("Provider=SQLite;Data Source=" + file_.string());
        dataSet->SetCommand("SELECT id, name, city FROM people ORDER BY id");
        dataSet->Open();
        return dataSet;
    }

    std::filesystem::path file_;
    std::unique_ptr<TVADODataSet> dataSet_;
    TEditorHooks savedHooks_;
};

TEST_F(ColorEditorTest, OkAndCancelBothKeepTheSavedRules)
{
    struct Case {
        const char* closer;
        bool result;
    };
    for (const Case& c : {Case{"btnOK", true}, Case{"btnCancel", false}}) {
        SCOPED_TRACE(c.closer);
        dataSet_->Colors()->Clear();
        TVColorEditor editor(nullptr);
        editor.SetDataSet(dataSet_.get());
        editor.SetColors(dataSet_->Colors());
        OnNextModal([&](QDialog* form) { AddRedRule(form, "Kiss", c.closer); });
        EXPECT_EQ(editor.Execute(), c.result);
        ASSERT_EQ(dataSet_->Colors()->Count(), 1);
        EXPECT_EQ(dataSet_->Colors()->GetItem(0)->Caption(), "Color 0");
        EXPECT_EQ(dataSet_->Colors()->GetItem(0)->BackGround(), clRed);
    }
}

TEST_F(ColorEditorTest, WithoutDatasetOrRulesNothingIsShown)
{
    struct Case {
        bool dataSet;
        bool colors;
    };
    for (const Case& c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(std::to_string(c.dataSet) + std::to_string(c.colors));
        TVColorEditor editor(nullptr);
        if (c.dataSet)
            editor.SetDataSet(dataSet_.get());
        if (c.colors)
            editor.SetColors(dataSet_->Colors());
        bool shown = true;
        OnNextModal([](QDialog*) {}, &shown);
        EXPECT_FALSE(editor.Execute());
        QTest::qWait(20); // let the probe run: it finds no form
        EXPECT_FALSE(shown);
    }
}

TEST_F(ColorEditorTest, DatasetShortcutRunsTheEditorAndFieldColorsAnswersTheNewColours)
{
    InstallColorEditorHook();
    dataSet_->Last();
    OnNextModal([](QDialog* form) {
        EXPECT_NE(qobject_cast<TColorFltDialog*>(form), nullptr);
        AddRedRule(form, "Kiss", "btnOK");
    });
    ASSERT_TRUE(dataSet_->ColorEditor());
    EXPECT_TRUE(dataSet_->Bof()); // back on the first record after OK
    struct Case {
        const char* name;
        bool red;
    };
    for (const Case& c : {Case{"Nagy", false}, Case{"Kiss", true}, Case{"Toth", false}}) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(dataSet_->FieldByName("name")->AsString(), c.name);
        TColor back = clWindow;
        TColor fore = clWindowText;
        dataSet_->FieldColors("name", back, fore);
        EXPECT_EQ(back == clRed, c.red);
        EXPECT_EQ(fore == clWhite, c.red);
        dataSet_->Next();
    }
}

TEST_F(ColorEditorTest, DatasetShortcutCancelledReportsFalseButKeepsTheRule)
{
    InstallColorEditorHook();
    OnNextModal([](QDialog* form) { AddRedRule(form, "Toth", "btnCancel"); });
    EXPECT_FALSE(dataSet_->ColorEditor());
    ASSERT_EQ(dataSet_->Colors()->Count(), 1);
    EXPECT_EQ(dataSet_->Colors()->GetItem(0)->Levels()->GetItem(0)->LowerValue(), "Toth");
}

TEST_F(ColorEditorTest, SurvivesTheDatasetAndTheRulesOwnerBeingFreed)
{
    // The rules may belong to the edited dataset or to another component; freeing either
    // leaves the editor without them instead of pointing at freed memory.
    for (bool rulesOfOther : {false, true}) {
        SCOPED_TRACE(rulesOfOther);
        auto other = MakeDataSet();
        auto editor = std::make_unique<TVColorEditor>(nullptr);
        editor->SetDataSet(dataSet_.get());
        editor->SetColors(rulesOfOther ? other->Colors() : dataSet_->Colors());
        editor->SetMarker("id");
        if (rulesOfOther) {
            other.reset();
            EXPECT_EQ(editor->Colors(), nullptr);
            EXPECT_EQ(editor->DataSet(), dataSet_.get());
        } else {
            dataSet_.reset();
            EXPECT_EQ(editor->DataSet(), nullptr);
            EXPECT_EQ(editor->Colors(), nullptr);
            dataSet_ = MakeDataSet();
        }
        bool shown = true;
        OnNextModal([](QDialog*) {}, &shown);
        EXPECT_FALSE(editor->Execute());
        QTest::qWait(20);
        EXPECT_FALSE(shown);
        editor.reset(); // must not reach back into the freed component
    }
}

TEST_F(ColorEditorTest, PublishesItsProperties)
{
    TVColorEditor editor(nullptr);
    const TClassInfo& info = FindClass("TVColorEditor");
    editor.SetColors(dataSet_->Colors());
    std::vector<std::string> names;
    for (const TPropInfo& p : info.OwnProperties()) {
        names.push_back(p.Name);
        // The rules belong to their dataset, which stores them; the editor only points at them.
        EXPECT_EQ(p.IsStored(editor), p.Name != "Colors") << p.Name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"DataSet", "Colors", "Marker"}));
}

} // namespace
} // namespace vmado
