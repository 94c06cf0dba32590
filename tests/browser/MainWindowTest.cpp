// The window on the sample: both grids filled, the detail following the master as the user moves,
// sorting and filtering shown in the grid, the tables picked from the menus, the inspector on
// the focused grid's dataset, and the editors on the Dataset menu reaching the focused dataset.
#include "BrowserFixture.h"

#include "BackgroundOpen.h"

#include "common/QtDrive.h"
#include "controls/DBNavigator.h"
#include "dataset/EditorHooks.h"
#include "framework/db/Fields.h"
#include "registration/PropertyInspector.h"
#include "tables/VTables.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace vmado::test {
namespace {

QAction* FindAction(QWidget& window, const char* name)
{
    auto* action = window.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
}

QAction* MenuEntry(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no menu entry " << text.toStdString();
    return nullptr;
}

void ClickCell(TVDBGrid* grid, int row, int column)
{
    QTableView* view = grid->View();
    const QRect rect = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QApplication::processEvents();
}

TEST_F(BrowserTest, SampleOpensWithRowsInBothGrids)
{
    auto& w = OpenSample();
    EXPECT_TRUE(errors_.empty());
    EXPECT_TRUE(w.Master()->Active());
    EXPECT_TRUE(w.Detail()->Active());
    EXPECT_EQ(w.Master()->TableName(), "Customers");
    EXPECT_EQ(w.Detail()->TableName(), "Orders");
    EXPECT_EQ(w.Detail()->Relation(), "CustomerID = :CustomerID");
    EXPECT_EQ(w.MasterGrid()->StatusText(), "record 1 of 8");
    EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 3");
    EXPECT_EQ(Cell(w, false, 0, 0), "ALFKI");
    EXPECT_EQ(Cell(w, false, 3, 1), QString::fromUtf8("Hőforrás Fürdő Zrt."));
    EXPECT_EQ(Cell(w, true, 0, 1), "ALFKI");
    EXPECT_EQ(Cell(w, true, 1, 0), "9");
    EXPECT_TRUE(w.ProgressBar()->isHidden());
    std::vector<AnsiString> expected(std::begin(app::kSampleTables), std::end(app::kSampleTables));
    std::sort(expected.begin(), expected.end());
    std::vector<AnsiString> tables = w.Tables();
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, expected) << "sqlite_sequence is a system table";
}

TEST_F(BrowserTest, MovingInTheMasterChangesTheDetailRows)
{
    auto& w = OpenSample();
    struct Step {
        const char* How;
        const char* Customer;
        const char* FirstOrder;
    };
    const Step steps[] = {
        {"click", "BUDAP", "2"}, {"down key", "DEBRE", "3"}, {"navigator last", "GYORI", "8"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.How);
        const std::string how = step.How;
        if (how == "click")
            ClickCell(w.MasterGrid(), 1, 1);
        else if (how == "down key")
            QTest::keyClick(w.MasterGrid()->View(), Qt::Key_Down);
        else
            QTest::mouseClick(w.MasterNavigator()->Button(nbLast), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(w.Master()->FieldByName("CustomerID")->AsString(), step.Customer);
        EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 3");
        EXPECT_EQ(Cell(w, true, 0, 0), step.FirstOrder);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(Cell(w, true, row, 1), step.Customer) << "row " << row;
    }
}

TEST_F(BrowserTest, SortAndFilterThroughTheDatasetShowInTheGrid)
{
    auto& w = OpenSample();
    struct Case {
        const char* Sort;
        const char* Filter;
        const char* FirstCustomer;
        const char* Status;
    };
    const Case cases[] = {
        {"Credit DESC", "", "HEVIZ", "record 1 of 8"},
        {"", "Active = False", "DEBRE", "record 1 of 2"},
        {"City ASC", "Credit > 500", "ALFKI", "record 1 of 5"},
        {"", "City = 'Brno'", "BRNO1", "record 1 of 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Sort) + " / " + c.Filter);
        w.Master()->SetSortStr(c.Sort);
        w.Master()->SetFilterStr(c.Filter);
        w.Master()->First();
        QApplication::processEvents();
        EXPECT_EQ(Cell(w, false, 0, 0), c.FirstCustomer);
        EXPECT_EQ(w.MasterGrid()->StatusText(), c.Status);
        EXPECT_EQ(Cell(w, true, 0, 1), c.FirstCustomer) << "the detail follows the new first record";
    }
    // A header click sorts as well; a second one turns the order round.
    w.Master()->SetSortStr("");
    w.Master()->SetFilterStr("");
    QHeaderView* header = w.MasterGrid()->View()->horizontalHeader();
    const int cityColumn = 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(cityColumn) + 10, header->height() / 2));
    QApplication::processEvents();
    EXPECT_EQ(w.Master()->Sort(), "City ASC");
    EXPECT_EQ(Cell(w, false, 0, 2), "Berlin");
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(cityColumn) + 10, header->height() / 2));
    QApplication::processEvents();
    EXPECT_EQ(w.Master()->Sort(), "City DESC");
    EXPECT_EQ(Cell(w, false, 0, 2), "Szeged");
}

TEST_F(BrowserTest, TablesPickedFromTheMenusAndTheDetailFollowsTheNewMaster)
{
    auto& w = OpenSample();
    QMenu* detailMenu = w.findChild<QMenu*>("menuDetail");
    QMenu* masterMenu = w.findChild<QMenu*>("menuMaster");
    ASSERT_NE(detailMenu, nullptr);
    ASSERT_NE(masterMenu, nullptr);

    // Customers and the order lines share no column: the lines show whole.
    MenuEntry(detailMenu, "Order Details")->trigger();
    ASSERT_TRUE(w.WaitForOpen(60000));
    EXPECT_EQ(w.Detail()->TableName(), "Order Details");
    EXPECT_EQ(w.Detail()->Relation(), "");
    EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 60");

    MenuEntry(masterMenu, "Orders")->trigger();
    ASSERT_TRUE(w.WaitForOpen(60000));
    EXPECT_EQ(w.Master()->TableName(), "Orders");
    EXPECT_EQ(w.Detail()->Relation(), "OrderID = :OrderID");
    EXPECT_EQ(w.MasterGrid()->StatusText(), "record 1 of 24");
    EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 1");
    ClickCell(w.MasterGrid(), 3, 0);
    EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 4");
    EXPECT_EQ(Cell(w, true, 2, 2), QString::fromUtf8("Pražská šunka"));
    EXPECT_TRUE(w.findChild<QLabel*>("detailCaption")->text().contains("following OrderID = :OrderID"));

    MenuEntry(detailMenu, "(none)")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(w.Detail()->Active());
    EXPECT_EQ(w.DetailGrid()->StatusText(), "");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowserTest, InspectorShowsTheDatasetOfTheFocusedGrid)
{
    auto& w = OpenSample();
    auto tableNameShown = [&] {
        // The cell of the row, not an earlier component's widget that is still being deleted.
        QWidget* cell = w.Inspector()->cellWidget(w.Inspector()->RowOf("TableName"), 1);
        auto* value = cell != nullptr ? cell->findChild<QComboBox*>("valueTableName") : nullptr;
        return value != nullptr ? value->currentText() : QString("(no TableName row)");
    };
    EXPECT_EQ(w.InspectedDataSet(), w.Master());
    EXPECT_EQ(tableNameShown(), "Customers");
    ClickCell(w.DetailGrid(), 1, 0);
    EXPECT_EQ(w.InspectedDataSet(), w.Detail());
    EXPECT_EQ(w.Inspector()->Component(), w.Detail());
    EXPECT_EQ(tableNameShown(), "Orders");
    EXPECT_TRUE(w.findChild<QLabel*>("inspectorCaption")->text().endsWith("Detail"));
    ClickCell(w.MasterGrid(), 0, 0);
    EXPECT_EQ(w.Inspector()->Component(), w.Master());
}

TEST_F(BrowserTest, DatasetMenuRunsTheEditorsOnTheFocusedDataset)
{
    auto& w = OpenSample();
    std::vector<std::string> calls;
    auto record = [&](const char* kind, TDataSet* dataSet, TField* field) {
        calls.push_back(std::string(kind) + ":" + (dataSet == w.Detail() ? "detail" : "master") + ":" +
                        (field != nullptr ? field->FieldName() : AnsiString("-")));
    };
    EditorHooks().Filter = [&](TComponent*, TDataSet* d, TField* f, const AnsiString&, TVSubFilters&) {
        record("filter", d, f);
        return false;
    };
    EditorHooks().Color = [&](TComponent*, TDataSet* d, TVFilters*, const AnsiString&) {
        record("colour", d, nullptr);
        return false;
    };
    EditorHooks().Export = [&](TComponent*, TDataSet* d) { record("export", d, nullptr); };
    EditorHooks().FillUp = [&](TComponent*, TDataSet* d, TField* f, TVFillUpMode&, AnsiString&, TStrings&) {
        record("fill", d, f);
        return false;
    };
    ClickCell(w.DetailGrid(), 0, 3); // Amount
    for (const char* action : {"actionFilter", "actionColor", "actionExport", "actionFillUp"})
        FindAction(w, action)->trigger();
    ClickCell(w.MasterGrid(), 0, 2); // City
    FindAction(w, "actionFilter")->trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"filter:detail:Amount", "colour:detail:-", "export:detail:-",
                                               "fill:detail:Amount", "filter:master:City"}));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowserTest, ConnectRunsTheConnectionEditorOnTheOpenSource)
{
    auto& w = OpenSample();
    const AnsiString before = w.Connection();
    WhenModal([](QDialog& dialog) { dialog.findChild<QPushButton*>("btnCancel")->click(); });
    EXPECT_FALSE(w.Connect());
    EXPECT_TRUE(w.Master()->Active()) << "a cancelled editor changes nothing";
    EXPECT_EQ(w.Connection(), before);

    WhenModal([](QDialog& dialog) { dialog.findChild<QPushButton*>("btnOk")->click(); });
    ASSERT_TRUE(w.Connect());
    ASSERT_TRUE(w.WaitForOpen(60000));
    EXPECT_NE(w.Connection().find("sample.db"), AnsiString::npos) << w.Connection();
    EXPECT_TRUE(w.Master()->Active());
    EXPECT_EQ(w.MasterGrid()->StatusText(), "record 1 of 8");
    EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(BrowserTest, BadDataSourcesAndTablesAreReported)
{
    window_ = std::make_unique<browser::MainWindow>(SettingsDir());
    struct Case {
        std::string Connection;
        const char* Master;
        const char* Message;
    };
    ASSERT_NO_THROW(app::CreateSampleDatabase(SamplePath()));
    const Case cases[] = {
        {"Provider=SQLite;Data Source=" + (dir_ / "no/such/folder/x.db").string(), "", ""},
        {"Provider=SQLite;Data Source=" + SamplePath(), "Nope", "no table \"Nope\""},
        {"Provider=NoSuchProvider;Data Source=x", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Connection);
        errors_.clear();
        EXPECT_FALSE(window_->OpenConnection(c.Connection, c.Master));
        ASSERT_EQ(errors_.size(), 1u);
        EXPECT_NE(errors_[0].find(c.Message), AnsiString::npos) << errors_[0];
        EXPECT_FALSE(window_->Master()->Active());
        EXPECT_FALSE(window_->Opener()->Running());
    }
}

} // namespace
} // namespace vmado::test
