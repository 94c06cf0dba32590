// The colour-rule form on a real SQLite dataset, driven as a user would.
#include "dialogs/DlgColor.h"

#include "ado/ADOApi.h"
#include "controls/ColorGrid.h"
#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "dialogs/DlgSelFld.h"
#include "filters/VFilters.h"
#include "framework/graphics/Graphics.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vmado {
namespace {

struct LineSpec {
    const char* field;
    TRelationType relation;
    const char* value;
    TLogicalType op;
};

TVFilter* AddRule(TVFilters* colors, const char* caption, const std::vector<LineSpec>& lines,
                  TColor back = clYellow, TColor fore = clNavy)
{
    TVFilter* rule = colors->Add();
    rule->SetCaption(caption);
    rule->SetBackGround(back);
    rule->SetForeGround(fore);
    for (const LineSpec& l : lines) {
        TVSubFilter* line = rule->Levels()->Add();
        line->SetFieldName(l.field);
        line->SetRelation(l.relation);
        line->SetLowerValue(l.value);
        line->SetLogicalOp(l.op);
        line->SetFilterType(ffString);
    }
    return rule;
}

// Runs drive on the next modal form to open; whatever drive does, that form is closed so no test
// can hang on it.
void OnNextModal(std::function<void(QWidget*)> drive)
{
    QTimer::singleShot(0, [drive] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        drive(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
            dialog->reject();
    });
}

class ColorDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file_ =
            std::filesystem::temp_directory_path() / ("vmado-colordlg-" + std::to_string(getpid()) + ".db");
        std::filesystem::remove(file_);
        auto setup = CoConnection::Create();
        setup->Open("Provider=SQLite;Data Source=" + file_.string());
        setup->Execute("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20), "
                       "qty INTEGER)");
        setup->Execute("INSERT INTO people VALUES (1, 'Kiss', 'Pecs', 3), (2, 'Nagy', 'Gyor', 5)");
        setup->Close();
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection("Provider=SQLite;Data Source=" + file_.string());
        dataSet_->SetCommand("SELECT id, name, city, qty FROM people");
        dataSet_->Open();
        dialog_ = std::make_unique<TColorFltDialog>();
        dialog_->SetDataSet(dataSet_.get());
        dialog_->SetColors(dataSet_->Colors());
    }
    void TearDown() override
    {
        dialog_.reset();
        dataSet_.reset();
        std::filesystem::remove(file_);
    }

    template <class W> W* Child(const QString& name)
    {
        W* w = dialog_->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QComboBox* Combo(const char* kind, int row) { return Child<QComboBox>(kind + QString::number(row)); }
    QLineEdit* Value(int row) { return Child<QLineEdit>("edValue" + QString::number(row)); }
    QListWidget* List() { return Child<QListWidget>("lbxColorSet"); }
    TVFilters* Colors() { return dataSet_->Colors(); }

    // Fills row n as a user does: field, relation, value, then the operator.
    void FillRow(int n, const char* field, const char* relation, const char* value, const char* op)
    {
        Combo("cbxField", n)->setCurrentIndex(Combo("cbxField", n)->findText(field));
        Combo("cbxRel", n)->setCurrentIndex(Combo("cbxRel", n)->findText(relation));
        Value(n)->setFocus();
        QTest::keyClicks(Value(n), value);
        if (op)
            Combo("cbxLog", n)->setCurrentIndex(Combo("cbxLog", n)->findText(op));
    }
    void ClickGrid(TColor color, Qt::MouseButton button)
    {
        auto* grid = Child<TColorGrid>("cgOffer");
        QTest::mouseClick(grid, button, Qt::NoModifier, grid->CellRect(grid->CellOf(color)).center());
    }

    std::filesystem::path file_;
    std::unique_ptr<TVADODataSet> dataSet_;
    std::unique_ptr<TColorFltDialog> dialog_;
};

TEST_F(ColorDialogTest, InsertProposesTheNextColourNumberAndAddsNothing)
{
    for (int existing : {0, 2}) {
        SCOPED_TRACE(existing);
        TearDown();
        SetUp();
        for (int i = 0; i < existing; ++i)
            AddRule(Colors(), i == 0 ? "First" : "Second", {{"name", frEqual, "Kiss", flEnd}});
        dialog_->show();
        QTest::mouseClick(Child<QPushButton>("btnInsert"), Qt::LeftButton);
        EXPECT_EQ(Child<QLineEdit>("edName")->text(), QString("Color %1").arg(existing));
        EXPECT_TRUE(Child<QLineEdit>("edName")->isEnabled());
        EXPECT_TRUE(Combo("cbxField", 1)->isEnabled());
        EXPECT_FALSE(Combo("cbxField", 2)->isEnabled());
        EXPECT_TRUE(dialog_->IsNewSet());
        EXPECT_EQ(Colors()->Count(), existing);
    }
}

TEST_F(ColorDialogTest, ShowsTheChainOfTheFirstSetAndLeavesTheOtherRowsEmpty)
{
    AddRule(Colors(), "Southern Kiss", {{"name", frEqual, "Kiss", flAnd}, {"city", frEqual, "Pecs", flEnd}},
            clRed, clWhite);
    dialog_->show();
    EXPECT_EQ(List()->count(), 1);
    EXPECT_EQ(List()->currentRow(), 0);
    EXPECT_EQ(Child<QLineEdit>("edName")->text(), "Southern Kiss");
    EXPECT_EQ(Child<TColorGrid>("cgOffer")->BackgroundColor(), clRed);
    EXPECT_EQ(Child<TColorGrid>("cgOffer")->ForegroundColor(), clWhite);
    EXPECT_EQ(Combo("cbxField", 1)->currentText(), "name");
    EXPECT_EQ(Combo("cbxRel", 1)->currentText(), "= ");
    EXPECT_EQ(Value(1)->text(), "Kiss");
    EXPECT_EQ(Combo("cbxLog", 1)->currentText(), "AND");
    EXPECT_EQ(Combo("cbxField", 2)->currentText(), "city");
    EXPECT_EQ(Combo("cbxLog", 2)->currentText(), "END");
    for (int n = 3; n <= TColorFltDialog::RowCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Combo("cbxField", n)->currentIndex(), -1);
        EXPECT_FALSE(Combo("cbxField", n)->isEnabled());
        EXPECT_EQ(InputColor(Combo("cbxField", n)), clInfoBk);
        EXPECT_TRUE(Value(n)->text().isEmpty());
        EXPECT_FALSE(Value(n)->isEnabled());
    }
    EXPECT_EQ(InputColor(Value(1)), clWindow);
}

TEST_F(ColorDialogTest, ClearDeletesTheRowsLineAndReterminatesTheChain)
{
    struct Case {
        std::vector<LineSpec> lines;
        int row;
        std::vector<std::pair<std::string, TLogicalType>> after;
    };
    const Case cases[] = {
        {{{"name", frEqual, "Kiss", flAnd}, {"city", frEqual, "Pecs", flEnd}}, 2, {{"name", flEnd}}},
        {{{"name", frEqual, "Kiss", flAnd}, {"city", frEqual, "Pecs", flOr}, {"qty", frBigger, "2", flEnd}},
         2,
         {{"name", flAnd}, {"qty", flEnd}}},
        {{{"name", frEqual, "Kiss", flAnd}, {"city", frEqual, "Pecs", flEnd}}, 1, {{"city", flEnd}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        TearDown();
        SetUp();
        const TVFilter* rule = AddRule(Colors(), "Rule", c.lines);
        dialog_->show();
        QTest::mouseClick(Child<QPushButton>("btnClear" + QString::number(c.row)), Qt::LeftButton);
        ASSERT_EQ(rule->Levels()->Count(), static_cast<Integer>(c.after.size()));
        for (size_t i = 0; i < c.after.size(); ++i) {
            EXPECT_EQ(rule->Levels()->GetItem(i)->FieldName(), c.after[i].first);
            EXPECT_EQ(rule->Levels()->GetItem(i)->LogicalOp(), c.after[i].second);
        }
        // The rows show the shortened chain again.
        EXPECT_EQ(Combo("cbxField", 1)->currentText().toStdString(), c.after[0].first);
        EXPECT_EQ(Combo("cbxField", static_cast<int>(c.after.size()) + 1)->currentIndex(), -1);
    }
}

TEST_F(ColorDialogTest, BuildingASetThroughTheRowsSavesItOnEnd)
{
    dialog_->show();
    QTest::mouseClick(Child<QPushButton>("btnInsert"), Qt::LeftButton);
    ClickGrid(clRed, Qt::RightButton); // a click with a name saves the (still empty) set
    ClickGrid(clWhite, Qt::LeftButton);
    FillRow(1, "name", "= ", "Kiss", "OR");
    EXPECT_TRUE(Combo("cbxField", 2)->isEnabled());
    EXPECT_TRUE(Child<QPushButton>("btnClear1")->isEnabled());
    FillRow(2, "qty", "> ", "4", "END");
    ASSERT_EQ(Colors()->Count(), 1);
    const TVFilter* rule = Colors()->GetItem(0);
    EXPECT_EQ(rule->Caption(), "Color 0");
    EXPECT_EQ(rule->BackGround(), clRed);
    EXPECT_EQ(rule->ForeGround(), clWhite);
    EXPECT_EQ(rule->GetSelected(), "<all>");
    ASSERT_EQ(rule->Levels()->Count(), 2);
    EXPECT_EQ(rule->Levels()->GetItem(0)->FieldName(), "name");
    EXPECT_EQ(rule->Levels()->GetItem(0)->LogicalOp(), flOr);
    EXPECT_EQ(rule->Levels()->GetItem(1)->FieldName(), "qty");
    EXPECT_EQ(rule->Levels()->GetItem(1)->Relation(), frBigger);
    EXPECT_EQ(rule->Levels()->GetItem(1)->FilterType(), ffNumeric);
    EXPECT_EQ(rule->Levels()->GetItem(1)->LogicalOp(), flEnd);
    EXPECT_EQ(List()->count(), 1);
    EXPECT_EQ(List()->currentRow(), 0);
    EXPECT_FALSE(dialog_->IsNewSet());
    EXPECT_TRUE(Child<QPushButton>("btnDelete")->isEnabled());
}

TEST_F(ColorDialogTest, ARowWithoutOperatorEndsTheChainWhenTheGridSaves)
{
    AddRule(Colors(), "Rule", {{"name", frEqual, "Kiss", flEnd}});
    dialog_->show();
    Combo("cbxLog", 1)->setCurrentIndex(-1);
    ClickGrid(clLime, Qt::RightButton);
    const TVFilter* rule = Colors()->GetItem(0);
    ASSERT_EQ(rule->Levels()->Count(), 1);
    EXPECT_EQ(rule->Levels()->GetItem(0)->LogicalOp(), flEnd);
    EXPECT_EQ(rule->BackGround(), clLime);
}

TEST_F(ColorDialogTest, EditsActOnTheSelectedRuleNotOnOneCarryingTheTypedName)
{
    TVFilter* warm = AddRule(Colors(), "Warm", {{"name", frEqual, "Kiss", flEnd}}, clYellow, clBlack);
    TVFilter* cold = AddRule(Colors(), "Cold", {{"city", frEqual, "Gyor", flEnd}}, clAqua, clBlack);
    dialog_->show();
    List()->setCurrentRow(1);
    auto* name = Child<QLineEdit>("edName");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Warm");
    ClickGrid(clRed, Qt::RightButton);
    EXPECT_EQ(cold->Caption(), "Warm");
    EXPECT_EQ(cold->BackGround(), clRed);
    EXPECT_EQ(cold->Levels()->GetItem(0)->FieldName(), "city");
    EXPECT_EQ(warm->BackGround(), clYellow);
    EXPECT_EQ(warm->Levels()->GetItem(0)->FieldName(), "name");
    EXPECT_EQ(List()->currentRow(), 1);
}

TEST_F(ColorDialogTest, LeavingTheNameRenamesTheSelectedRuleOnly)
{
    TVFilter* warm = AddRule(Colors(), "Warm", {{"name", frEqual, "Kiss", flEnd}});
    TVFilter* cold = AddRule(Colors(), "Cold", {{"city", frEqual, "Gyor", flEnd}});
    dialog_->show();
    // Focus moves only in the active window.
    QApplication::setActiveWindow(dialog_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    List()->setCurrentRow(1);
    auto* name = Child<QLineEdit>("edName");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Warm");
    QTest::keyClick(name, Qt::Key_Tab); // leaving the box
    EXPECT_EQ(cold->Caption(), "Warm");
    EXPECT_EQ(warm->Caption(), "Warm");
    EXPECT_EQ(warm->Levels()->GetItem(0)->FieldName(), "name");
    ASSERT_EQ(List()->count(), 2);
    EXPECT_EQ(List()->item(1)->text(), "Warm");
    EXPECT_EQ(List()->currentRow(), 1);
}

TEST_F(ColorDialogTest, ClearActsOnTheSelectedRuleAmongNamesakes)
{
    const std::vector<LineSpec> two = {{"name", frEqual, "Kiss", flAnd}, {"city", frEqual, "Pecs", flEnd}};
    TVFilter* first = AddRule(Colors(), "Same", two);
    TVFilter* second = AddRule(Colors(), "Same", two);
    dialog_->show();
    List()->setCurrentRow(1);
    QTest::mouseClick(Child<QPushButton>("btnClear1"), Qt::LeftButton);
    EXPECT_EQ(first->Levels()->Count(), 2);
    ASSERT_EQ(second->Levels()->Count(), 1);
    EXPECT_EQ(second->Levels()->GetItem(0)->FieldName(), "city");
}

TEST_F(ColorDialogTest, DeleteRemovesTheSelectedRule)
{
    AddRule(Colors(), "Same", {{"name", frEqual, "Kiss", flEnd}});
    AddRule(Colors(), "Same", {{"city", frEqual, "Pecs", flEnd}});
    dialog_->show();
    List()->setCurrentRow(1);
    QTest::mouseClick(Child<QPushButton>("btnDelete"), Qt::LeftButton);
    ASSERT_EQ(Colors()->Count(), 1);
    EXPECT_EQ(Colors()->GetItem(0)->Levels()->GetItem(0)->FieldName(), "name");
    EXPECT_EQ(List()->count(), 1);
    List()->setCurrentRow(0);
    QTest::mouseClick(Child<QPushButton>("btnDelete"), Qt::LeftButton);
    EXPECT_EQ(Colors()->Count(), 0);
    EXPECT_FALSE(Child<QPushButton>("btnDelete")->isEnabled());
}

TEST_F(ColorDialogTest, FieldSelectionShowsAndStoresTheChosenFields)
{
    enum class Act { Keep, All, None, NameCity, Cancel };
    struct Case {
        const char* selected;
        const char* marker;
        std::vector<bool> shown; // the ticks the selection opens with, in field order
        Act act;
        const char* stored;
    };
    const Case cases[] = {
        {"<all>", "", {true, true, true, true}, Act::NameCity, "name,city"},
        {"name,city", "", {false, true, true, false}, Act::Keep, "name,city"},
        {"name,city", "", {false, true, true, false}, Act::All, "<all>"},
        {"name,city", "", {false, true, true, false}, Act::None, "<all>"},
        {"name,city", "", {false, true, true, false}, Act::Cancel, "name,city"},
        {"<all>", "qty", {true, true, true}, Act::Keep, "<all>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.selected) + " " + std::to_string(static_cast<int>(c.act)));
        TearDown();
        SetUp();
        dialog_->SetMarker(c.marker);
        TVFilter* rule = AddRule(Colors(), "Rule", {{"name", frEqual, "Kiss", flEnd}});
        rule->SetSelected(c.selected);
        dialog_->show();
        std::vector<bool> shown;
        OnNextModal([&](QWidget* modal) {
            auto* sel = qobject_cast<TSelFldDialog*>(modal);
            ASSERT_NE(sel, nullptr);
            for (Integer i = 0; i < sel->Count(); ++i)
                shown.push_back(sel->Checked(i));
            switch (c.act) {
            case Act::All:
                QTest::mouseClick(sel->findChild<QWidget*>("btnMarkON"), Qt::LeftButton);
                break;
            case Act::None:
                QTest::mouseClick(sel->findChild<QWidget*>("btnMarkOFF"), Qt::LeftButton);
                break;
            case Act::NameCity:
                for (Integer i = 0; i < sel->Count(); ++i)
                    sel->SetChecked(i, sel->Fields()->Strings(i) == "name" ||
                                           sel->Fields()->Strings(i) == "city");
                break;
            default:
                break;
            }
            QTest::mouseClick(sel->findChild<QWidget*>(c.act == Act::Cancel ? "btnCancel" : "btnOk"),
                              Qt::LeftButton);
        });
        QTest::mouseClick(Child<QPushButton>("btnSelect"), Qt::LeftButton);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(rule->GetSelected(), c.stored);
        EXPECT_EQ(Child<QCheckBox>("chkSelField")->isChecked(), std::string(c.stored) != "<all>");
    }
}

TEST_F(ColorDialogTest, UncheckingTheFieldBoxReturnsToAllFields)
{
    TVFilter* rule = AddRule(Colors(), "Rule", {{"name", frEqual, "Kiss", flEnd}});
    rule->SetSelected("name");
    dialog_->show();
    auto* box = Child<QCheckBox>("chkSelField");
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(dialog_->SelectedFields(), "<all>");
    ClickGrid(clGreen, Qt::LeftButton);
    EXPECT_EQ(rule->GetSelected(), "<all>");
}

TEST_F(ColorDialogTest, CaseInsensitiveDatasetsTypeValuesInUpperCase)
{
    dataSet_->SetFilterOptions(TFilterOptions{foCaseInsensitive});
    dialog_->show();
    QTest::mouseClick(Child<QPushButton>("btnInsert"), Qt::LeftButton);
    FillRow(1, "name", "= ", "kiss", nullptr);
    EXPECT_EQ(Value(1)->text(), "KISS");
}

TEST_F(ColorDialogTest, RendersTheFormWithTheRulesColours)
{
    AddRule(Colors(), "Rule", {{"name", frEqual, "Kiss", flEnd}}, clRed, clWhite);
    dialog_->show();
    EXPECT_EQ(dialog_->windowTitle(), "Color filters");
    EXPECT_TRUE(dialog_->windowFlags() & Qt::WindowStaysOnTopHint);
    const QImage image = dialog_->grab().toImage();
    ASSERT_EQ(image.size(), dialog_->size());
    ASSERT_GT(image.width(), 300);
    auto* panel = Child<QWidget>("panTest");
    const QPoint panelCorner = panel->mapTo(dialog_.get(), QPoint(4, 4));
    EXPECT_EQ(image.pixelColor(panelCorner), QColor(255, 0, 0));
    auto* grid = Child<TColorGrid>("cgOffer");
    const QPoint yellowCell =
        grid->mapTo(dialog_.get(), grid->CellRect(grid->CellOf(clYellow)).topLeft() + QPoint(1, 1));
    EXPECT_EQ(image.pixelColor(yellowCell), QColor(255, 255, 0));
}

} // namespace
} // namespace vmado
