#include "dialogs/DlgFilter.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

class FilterDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30), qty INTEGER, born DATE, "
                 "active BOOLEAN, photo BLOB, mark INTEGER)");
        db_.Exec("INSERT INTO people VALUES (1, 'Kiss', 3, '2001-02-03', 1, NULL, 0), "
                 "(2, 'Smith', 5, '1999-12-31', 0, NULL, 1)");
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection(db_.ConnectionString());
        dataSet_->SetCommand("SELECT id, name, qty, born, active, photo, mark FROM people");
        dataSet_->SetMarkerField("mark");
        dataSet_->Open();
    }

    // A dialog set up the way the filter editor sets it up, for field (or none).
    std::unique_ptr<TFilterDialog> Make(const char* field, bool caseInsensitive = false)
    {
        auto dialog = std::make_unique<TFilterDialog>();
        dialog->SetDataSet(dataSet_.get());
        dialog->SetCurrentField(field ? dataSet_->FieldByName(field) : nullptr);
        dialog->SetMarkerField("mark");
        dialog->SetCaseInsensitive(caseInsensitive);
        TStringList names;
        for (Integer i = 0; i < dataSet_->FieldCount(); ++i) {
            names.Add(dataSet_->Fields()->Fields(i)->FieldName());
            Combo(*dialog, "cbxFields")->addItem(ToQString(dataSet_->Fields()->Fields(i)->DisplayLabel()));
        }
        dialog->SetFields(&names);
        dialog->show();
        return dialog;
    }
    static QComboBox* Combo(QWidget& w, const QString& name) { return w.findChild<QComboBox*>(name); }
    static QLineEdit* Edit(QWidget& w, const QString& name) { return w.findChild<QLineEdit*>(name); }
    static QString Page(QWidget& w)
    {
        return w.findChild<QTabWidget*>("pcFilter")->currentWidget()->objectName();
    }
    static void ClickTab(QWidget& w, const char* page)
    {
        auto* tabs = w.findChild<QTabWidget*>("pcFilter");
        const int index = tabs->indexOf(tabs->findChild<QWidget*>(page));
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    static void Choose(QWidget& w, const QString& name, const QString& text)
    {
        QComboBox* box = Combo(w, name);
        ASSERT_TRUE(box->isEnabled()) << name.toStdString();
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString() << " in " << name.toStdString();
        box->setCurrentIndex(index);
    }
    // A click on the box itself, not on the blank right of its text.
    static void Tick(QCheckBox* box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    static void Ok(QWidget& w) { QTest::mouseClick(w.findChild<QPushButton*>("btnOk"), Qt::LeftButton); }

    test::SqliteFile db_;
    std::unique_ptr<TVADODataSet> dataSet_;
};

TEST_F(FilterDialogTest, OpensOnTheFieldsPageAndLetsTheUserMoveOnlyToCustom)
{
    const struct {
        const char* field;
        const char* page;
    } cases[] = {{"name", "tsString"}, {"qty", "tsNumeric"},  {"born", "tsDate"},   {"active", "tsLogical"},
                 {"mark", "tsMarker"}, {"photo", "tsString"}, {nullptr, "tsCustom"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field ? c.field : "(no field)");
        auto dialog = Make(c.field);
        EXPECT_EQ(Page(*dialog), c.page);
        EXPECT_EQ(dialog->windowTitle(), "Add new Filter");
    }
    auto dialog = Make("name");
    EXPECT_EQ(Combo(*dialog, "cbxFields")->currentText(), "name");
    ClickTab(*dialog, "tsNumeric");
    EXPECT_EQ(Page(*dialog), "tsString");
    ClickTab(*dialog, "tsCustom");
    EXPECT_EQ(Page(*dialog), "tsCustom");
    ClickTab(*dialog, "tsString");
    EXPECT_EQ(Page(*dialog), "tsString");
}

TEST_F(FilterDialogTest, TheStringPageTurnsJokersIntoTheRelation)
{
    const struct {
        const char* typed;
        TRelationType relation;
        const char* lower;
    } cases[] = {{"Sm*", frJokerRight, "Sm"},
                 {"*son", frJokerLeft, "son"},
                 {"a?c", frJokerSub, "ac"},
                 {"*", frEmpty, ""},
                 {"Kiss", frEqual, "Kiss"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        auto dialog = Make("name");
        QTest::keyClicks(Edit(*dialog, "edFrom"), c.typed);
        Ok(*dialog);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        ASSERT_EQ(dialog->Lines()->Count(), 1);
        const TVSubFilter* line = dialog->Lines()->GetItem(0);
        EXPECT_EQ(line->Relation(), c.relation);
        EXPECT_EQ(line->LowerValue(), c.lower);
        EXPECT_EQ(line->FieldName(), "name");
        EXPECT_EQ(line->FilterType(), ffString);
        EXPECT_EQ(line->LogicalOp(), flEnd);
    }
}

TEST_F(FilterDialogTest, SingleConditionPagesFillTheirLine)
{
    {
        auto dialog = Make("qty");
        dialog->findChild<QSpinBox*>("seFrom")->setValue(5);
        Ok(*dialog);
        const TVSubFilter* line = dialog->Lines()->GetItem(0);
        EXPECT_EQ(line->LowerValue(), "5");
        EXPECT_EQ(line->UpperValue(), "5"); // never empty without Till
        EXPECT_EQ(line->FilterType(), ffNumeric);
    }
    {
        auto dialog = Make("qty");
        Tick(dialog->findChild<QCheckBox*>("chkTillNum"));
        EXPECT_TRUE(dialog->findChild<QSpinBox*>("seTill")->isEnabled());
        dialog->findChild<QSpinBox*>("seFrom")->setValue(-2147483647 - 1);
        dialog->findChild<QSpinBox*>("seTill")->setValue(2147483647);
        Tick(dialog->findChild<QCheckBox*>("chkNegationNum"));
        Ok(*dialog);
        const TVSubFilter* line = dialog->Lines()->GetItem(0);
        EXPECT_EQ(line->LowerValue(), "-2147483648");
        EXPECT_EQ(line->UpperValue(), "2147483647");
        EXPECT_TRUE(line->Negation());
    }
    {
        auto dialog = Make("born");
        dialog->findChild<QDateEdit*>("dpFrom")->setDate(QDate(2001, 2, 3));
        Ok(*dialog);
        const TVSubFilter* line = dialog->Lines()->GetItem(0);
        EXPECT_EQ(line->LowerValue(), DateToStd(EncodeDate(2001, 2, 3)));
        EXPECT_EQ(line->UpperValue(), "");
        EXPECT_EQ(line->FilterType(), ffDate);
    }
    for (const bool pressFalse : {false, true}) {
        auto dialog = Make("active");
        if (pressFalse)
            QTest::mouseClick(dialog->findChild<QToolButton*>("btnFalse"), Qt::LeftButton);
        EXPECT_NE(dialog->findChild<QToolButton*>("btnTrue")->isChecked(), pressFalse);
        Ok(*dialog);
        EXPECT_EQ(dialog->Lines()->GetItem(0)->LowerValue(), pressFalse ? "False" : "True");
    }
    {
        auto dialog = Make("mark");
        QTest::mouseClick(dialog->findChild<QToolButton*>("btnUnMarked"), Qt::LeftButton);
        Ok(*dialog);
        EXPECT_EQ(dialog->Lines()->GetItem(0)->FilterType(), ffMarker);
        EXPECT_EQ(dialog->Lines()->GetItem(0)->LowerValue(), "False");
    }
}

TEST_F(FilterDialogTest, CustomRowsEnableOneAfterAnotherAndBecomeLines)
{
    auto dialog = Make(nullptr);
    QWidget& w = *dialog;
    EXPECT_TRUE(Combo(w, "cbxField1")->isEnabled());
    for (const char* name : {"cbxRel1", "edValue1", "cbxLog1", "cbxField2"}) {
        EXPECT_FALSE(w.findChild<QWidget*>(name)->isEnabled()) << name;
        EXPECT_EQ(InputColor(w.findChild<QWidget*>(name)), clInfoBk) << name;
    }
    EXPECT_FALSE(w.findChild<QPushButton*>("btnClear1")->isEnabled());

    Choose(w, "cbxField1", "name");
    EXPECT_TRUE(Combo(w, "cbxRel1")->isEnabled());
    EXPECT_EQ(InputColor(Combo(w, "cbxRel1")), clWindow);
    EXPECT_GE(Combo(w, "cbxRel1")->findText("A*"), 0); // a text field offers the joker relations
    Choose(w, "cbxRel1", "A*");
    EXPECT_TRUE(Edit(w, "edValue1")->isEnabled());
    QTest::keyClicks(Edit(w, "edValue1"), "Sm");
    EXPECT_TRUE(Combo(w, "cbxLog1")->isEnabled());
    Choose(w, "cbxLog1", "OR");
    EXPECT_TRUE(w.findChild<QPushButton*>("btnClear1")->isEnabled());
    EXPECT_TRUE(Combo(w, "cbxField2")->isEnabled());

    Choose(w, "cbxField2", "qty");
    EXPECT_LT(Combo(w, "cbxRel2")->findText("A*"), 0);
    Choose(w, "cbxRel2", ">=");
    QTest::keyClicks(Edit(w, "edValue2"), "4");
    // The operator of the last row is left empty: the row still counts and ends the chain.
    Ok(w);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(dialog->Lines()->Count(), 2);
    const TVSubFilter* first = dialog->Lines()->GetItem(0);
    EXPECT_EQ(first->FieldName(), "name");
    EXPECT_EQ(first->Relation(), frJokerRight);
    EXPECT_EQ(first->LowerValue(), "Sm");
    EXPECT_EQ(first->LogicalOp(), flOr);
    EXPECT_EQ(first->FilterType(), ffString);
    const TVSubFilter* second = dialog->Lines()->GetItem(1);
    EXPECT_EQ(second->Relation(), StringToRelation(">="));
    EXPECT_EQ(second->FilterType(), ffNumeric);
    EXPECT_EQ(second->LogicalOp(), flEnd);
}

TEST_F(FilterDialogTest, IncompleteRowsAddNothingAndRowNineEndsTheChain)
{
    auto dialog = Make(nullptr);
    QWidget& w = *dialog;
    Choose(w, "cbxField1", "name");
    Choose(w, "cbxRel1", "= ");
    Ok(w); // no value typed
    EXPECT_EQ(dialog->Lines()->Count(), 0);

    auto full = Make(nullptr);
    for (int row = 1; row <= 9; ++row) {
        const QString n = QString::number(row);
        Choose(*full, "cbxField" + n, "qty");
        Choose(*full, "cbxRel" + n, "= ");
        QTest::keyClicks(Edit(*full, "edValue" + n), n);
        Choose(*full, "cbxLog" + n, "OR");
    }
    // "OR" in the ninth row has no row to open.
    EXPECT_FALSE(full->findChild<QPushButton*>("btnClear9")->isEnabled());
    EXPECT_EQ(full->findChild<QComboBox*>("cbxField10"), nullptr);
    Ok(*full);
    EXPECT_EQ(full->Lines()->Count(), 9);
}

TEST_F(FilterDialogTest, ClearingALevelRefillsTheRowsFromTheRemainingLines)
{
    auto dialog = Make(nullptr);
    QWidget& w = *dialog;
    const char* values[] = {"1", "2", "3"};
    for (int row = 1; row <= 3; ++row) {
        const QString n = QString::number(row);
        Choose(w, "cbxField" + n, "qty");
        Choose(w, "cbxRel" + n, "= ");
        QTest::keyClicks(Edit(w, "edValue" + n), values[row - 1]);
        Choose(w, "cbxLog" + n, row < 3 ? "AND" : "END");
    }
    QTest::mouseClick(w.findChild<QPushButton*>("btnClear2"), Qt::LeftButton);
    // Level 2 is gone; level 3 moved up and ends the chain.
    EXPECT_EQ(Edit(w, "edValue1")->text(), "1");
    EXPECT_EQ(Edit(w, "edValue2")->text(), "3");
    EXPECT_EQ(Combo(w, "cbxLog2")->currentText(), "END");
    EXPECT_EQ(Edit(w, "edValue3")->text(), "");
    EXPECT_FALSE(Edit(w, "edValue3")->isEnabled());
    EXPECT_EQ(InputColor(Edit(w, "edValue3")), clInfoBk);
    EXPECT_FALSE(Combo(w, "cbxField3")->isEnabled());
    EXPECT_TRUE(w.findChild<QPushButton*>("btnClear2")->isEnabled());
    Ok(w);
    ASSERT_EQ(dialog->Lines()->Count(), 2);
    EXPECT_EQ(dialog->Lines()->GetItem(1)->LowerValue(), "3");

    // Lines given to the form are what a clear works on before any row is built.
    TVSubFilters preset(nullptr);
    for (const char* v : {"7", "8"}) {
        TVSubFilter* line = preset.Add();
        line->SetFieldName("qty");
        line->SetRelation(frEqual);
        line->SetLowerValue(v);
        line->SetLogicalOp(flAnd);
    }
    preset.GetItem(1)->SetLogicalOp(flEnd);
    auto given = Make(nullptr);
    given->SetFilters(&preset);
    QTest::mouseClick(given->findChild<QPushButton*>("btnClear1"), Qt::LeftButton); // disabled: nothing
    EXPECT_EQ(Edit(*given, "edValue1")->text(), "");
    QMetaObject::invokeMethod(given->findChild<QPushButton*>("btnClear1"), "clicked");
    EXPECT_EQ(Edit(*given, "edValue1")->text(), "8");
    EXPECT_EQ(Combo(*given, "cbxField1")->currentText(), "qty");
}

TEST_F(FilterDialogTest, CaseInsensitiveTypingIsUpperCasedOnceThePageIsEntered)
{
    auto dialog = Make("name", true);
    // The page chosen at show is set without the page's steps.
    QTest::keyClicks(Edit(*dialog, "edFrom"), "ab");
    EXPECT_EQ(Edit(*dialog, "edFrom")->text(), "ab");
    ClickTab(*dialog, "tsCustom");
    QTest::keyClicks(Edit(*dialog, "edValue1"), "xy"); // disabled: nothing arrives
    Choose(*dialog, "cbxField1", "name");
    Choose(*dialog, "cbxRel1", "= ");
    QTest::keyClicks(Edit(*dialog, "edValue1"), "kiss");
    EXPECT_EQ(Edit(*dialog, "edValue1")->text(), "KISS");
    ClickTab(*dialog, "tsString");
    Edit(*dialog, "edFrom")->clear();
    QTest::keyClicks(Edit(*dialog, "edFrom"), "sm");
    EXPECT_EQ(Edit(*dialog, "edFrom")->text(), "SM");
}

TEST_F(FilterDialogTest, ChoosingAnotherFieldClearsTheLinesAndShowsItsPage)
{
    auto dialog = Make("name");
    TVSubFilters preset(nullptr);
    preset.Add()->SetFieldName("name");
    dialog->SetFilters(&preset);
    QComboBox* fields = Combo(*dialog, "cbxFields");
    fields->setCurrentIndex(fields->findText("born"));
    emit fields->activated(fields->currentIndex());
    EXPECT_EQ(Page(*dialog), "tsDate");
    EXPECT_EQ(dialog->CurrentField(), dataSet_->FieldByName("born"));
    EXPECT_EQ(dialog->Lines()->Count(), 0);
}

TEST_F(FilterDialogTest, ACustomRowOnAVanishedFieldKeepsTheFormOpen)
{
    auto dialog = Make(nullptr);
    TStringList names;
    names.Add("gone");
    dialog->SetFields(&names);
    Choose(*dialog, "cbxField1", "id"); // index 0, now behind the name "gone"
    Choose(*dialog, "cbxRel1", "= ");
    QTest::keyClicks(Edit(*dialog, "edValue1"), "1");
    Ok(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST_F(FilterDialogTest, TheFormRendersItsControls)
{
    auto dialog = Make(nullptr);
    const QImage image = dialog->grab().toImage();
    EXPECT_GT(image.width(), 300);
    EXPECT_GT(image.height(), 150);
    EXPECT_GT(test::DistinctColours(image), 4);
    // The disabled inputs of the Custom rows show the information colour.
    QWidget* value = dialog->findChild<QWidget*>("edValue5");
    const QPoint centre = value->mapTo(dialog.get(), value->rect().center());
    EXPECT_EQ(QColor(image.pixel(centre)), ToQColor(clInfoBk));
    EXPECT_GT(test::CountPixels(image, ToQColor(clInfoBk)), 1000);
}

} // namespace
} // namespace vmado
