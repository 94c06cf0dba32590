#include "editors/FillUpEditor.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "framework/db/Fields.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

// Chooses item in the fill-up form, types into its input and confirms.
void Answer(QDialog& d, int item, const QString& typed = {})
{
    QTest::mouseClick(d.findChild<QAbstractButton*>("rgpKonvertItem" + QString::number(item)),
                      Qt::LeftButton);
    if (item == 2)
        d.findChild<QLineEdit*>("edTolt")->setText(typed);
    if (item == 3)
        d.findChild<QPlainTextEdit*>("mSQL")->setPlainText(typed);
    d.findChild<QPushButton*>("btnOk")->click();
}

class FillUpEditorTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30), qty INTEGER, born DATE, "
                 "active BOOLEAN)");
        db_.Exec(
            "INSERT INTO people VALUES (1, 'Kiss', 3, '2001-02-03', 1), (2, 'Smith', 5, '1999-12-31', 1)");
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection(db_.ConnectionString());
        dataSet_->SetCommand("SELECT id, name, qty, born, active FROM people");
        dataSet_->Open();
        InstallFillUpEditorHook();
    }
    void TearDown() override { EditorHooks().FillUp = nullptr; }

    test::SqliteFile db_;
    std::unique_ptr<TVADODataSet> dataSet_;
};

TEST_F(FillUpEditorTest, ModesFollowTheChosenItem)
{
    TVFillUpEditor editor;
    editor.SetField(dataSet_->FieldByName("name"));
    const struct {
        int item;
        TVFillUpMode mode;
    } cases[] = {{0, TVFillUpMode::fmUpper},
                 {1, TVFillUpMode::fmLower},
                 {2, TVFillUpMode::fmConst},
                 {3, TVFillUpMode::fmSQL},
                 {-1, TVFillUpMode::fmNone}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        test::WhenModal([&](QDialog& d) {
            if (c.item < 0)
                d.findChild<QPushButton*>("btnOk")->click();
            else
                Answer(d, c.item, c.item == 3 ? "name || '!'" : "Kovacs");
        });
        ASSERT_TRUE(editor.Execute());
        EXPECT_EQ(editor.Mode(), c.mode);
    }
    EXPECT_EQ(editor.Lines()->Count(), 0); // the memo was hidden and empty on the last run
    test::WhenModal([](QDialog& d) { d.findChild<QPushButton*>("btnCancel")->click(); });
    EXPECT_FALSE(editor.Execute());
    EXPECT_EQ(editor.Mode(), TVFillUpMode::fmNone);
}

TEST_F(FillUpEditorTest, CalculatedFieldsAndNoFieldAreRefusedWithoutAForm)
{
    TVFillUpEditor editor;
    bool shown = false;
    test::WhenModal([&](QDialog&) { shown = true; }, 5);
    EXPECT_FALSE(editor.Execute());
    TIntegerField calculated(nullptr);
    calculated.SetFieldName("twice");
    calculated.SetFieldKind(fkCalculated);
    editor.SetField(&calculated);
    EXPECT_FALSE(editor.Execute());
    dataSet_->FillUpEditor("no_such_field");
    QTest::qWait(100);
    EXPECT_FALSE(shown);
}

TEST_F(FillUpEditorTest, TheShortcutWritesTheConstantAsTheFieldsKindWants)
{
    const struct {
        const char* field;
        QString typed;
        const char* column;
        const char* stored;
    } cases[] = {
        {"name", "O'Neil; DROP TABLE people", "name", "O'Neil; DROP TABLE people"},
        {"qty", "42", "qty", "42"},
        {"active", "False", "active", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        test::WhenModal([&](QDialog& d) { Answer(d, 2, c.typed); });
        dataSet_->FillUpEditor(c.field);
        EXPECT_EQ(db_.Scalar(std::string("SELECT COUNT(DISTINCT ") + c.column + ") FROM people"), "1");
        EXPECT_EQ(db_.Scalar(std::string("SELECT ") + c.column + " FROM people WHERE id = 2"), c.stored);
    }
    const TDateTime day = EncodeDate(2024, 3, 1);
    test::WhenModal([&](QDialog& d) { Answer(d, 2, QString::fromStdString(DateToStr(day))); });
    dataSet_->FillUpEditor("born");
    ASSERT_TRUE(dataSet_->Active());
    dataSet_->Last();
    EXPECT_EQ(dataSet_->FieldByName("born")->AsDateTime(), day);
    EXPECT_EQ(db_.Scalar("SELECT COUNT(DISTINCT born) FROM people"), "1");
}

TEST_F(FillUpEditorTest, ABadConstantChangesNothing)
{
    const struct {
        const char* field;
        const char* typed;
    } cases[] = {{"qty", "12abc"}, {"born", "not a date"}, {"active", "perhaps"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        test::WhenModal([&](QDialog& d) { Answer(d, 2, c.typed); });
        try {
            dataSet_->FillUpEditor(c.field);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(c.field), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.typed), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(db_.Scalar("SELECT qty || '/' || born || '/' || active FROM people WHERE id = 1"),
              "3/2001-02-03/1");
}

TEST_F(FillUpEditorTest, SqlAndCaseConversionsRunThroughTheShortcut)
{
    test::WhenModal([](QDialog& d) { Answer(d, 0); });
    dataSet_->FillUpEditor("name");
    EXPECT_EQ(db_.Scalar("SELECT name FROM people WHERE id = 1"), "KISS");
    test::WhenModal([](QDialog& d) { Answer(d, 3, "qty * 10"); });
    dataSet_->FillUpEditor("qty");
    EXPECT_EQ(db_.Scalar("SELECT SUM(qty) FROM people"), "80");
}

} // namespace
} // namespace vmado
