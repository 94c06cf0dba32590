#include "controls/DBGrid.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "controls/QtBridge.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "framework/db/DataSource.h"
#include "framework/graphics/Graphics.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

class DBGridTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), qty INTEGER)");
        db_.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
                 "INSERT INTO people SELECT i, CASE WHEN i = 1 THEN 'Pécs' WHEN i = 2 THEN NULL ELSE 'n' || "
                 "i END, "
                 "(i * 37) % 101 FROM n");
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection(db_.ConnectionString());
        dataSet_->SetCommand("SELECT id, name, qty FROM people");
        dataSet_->Open();
        source_ = std::make_unique<TDataSource>(nullptr);
        source_->SetDataSet(dataSet_.get());
        grid_ = std::make_unique<TVDBGrid>();
        grid_->resize(420, 320);
        grid_->SetDataSource(source_.get());
        grid_->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        grid_.reset();
        source_.reset();
        dataSet_.reset();
        EditorHooks() = TEditorHooks{};
    }
    QAbstractItemModel* Model() { return grid_->View()->model(); }
    QString Cell(int row, int column) { return Model()->index(row, column).data().toString(); }

    test::SqliteFile db_;
    std::unique_ptr<TVADODataSet> dataSet_;
    std::unique_ptr<TDataSource> source_;
    std::unique_ptr<TVDBGrid> grid_;
};

TEST_F(DBGridTest, ShowsOnlyTheVisibleRowsOfTheDataset)
{
    const int rows = Model()->rowCount();
    EXPECT_GT(rows, 3);
    EXPECT_LT(rows, 40); // a window, not the 10,000 records
    EXPECT_EQ(Model()->columnCount(), 3);
    EXPECT_EQ(Model()->headerData(1, Qt::Horizontal).toString(), "name");
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(0, 1), QString::fromUtf8("Pécs"));
    EXPECT_EQ(Cell(1, 1), ""); // Null
    EXPECT_EQ(Cell(2, 1), "n3");
    EXPECT_EQ(grid_->StatusText(), "record 1 of 10000");
}

TEST_F(DBGridTest, KeysAndTheScrollBarMoveTheDataset)
{
    QTableView* view = grid_->View();
    view->setFocus();
    const int rows = Model()->rowCount();
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(dataSet_->RecNo(), 1 + rows);
    EXPECT_EQ(grid_->ScrollBar()->value(), rows);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(dataSet_->RecNo(), 10000);
    EXPECT_EQ(grid_->StatusText(), "record 10000 of 10000");
    EXPECT_EQ(Cell(view->currentIndex().row(), 0), "10000");
    grid_->ScrollBar()->setValue(4999);
    EXPECT_EQ(dataSet_->RecNo(), 5000);
    EXPECT_EQ(Cell(view->currentIndex().row(), 0), "5000");
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(dataSet_->RecNo(), 1);
    // A click on a row makes it the current record.
    const QRect third = view->visualRect(Model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(dataSet_->FieldByName("id")->AsString(), "3");
}

TEST_F(DBGridTest, EditingACellPostsItAndABadValueKeepsTheEditor)
{
    QTableView* view = grid_->View();
    view->setFocus();
    view->setCurrentIndex(Model()->index(2, 1));
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    test::TypeText(editor, QString::fromUtf8("Győr"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the view commits an editor through its event queue
    EXPECT_EQ(db_.Scalar("SELECT name FROM people WHERE id = 3"), "Győr");
    EXPECT_EQ(Cell(2, 1), QString::fromUtf8("Győr"));
    EXPECT_EQ(dataSet_->State(), dsBrowse);

    view->setCurrentIndex(Model()->index(2, 2));
    QTest::keyClick(view, Qt::Key_F2);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "many");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QApplication::processEvents(); // the commit, then the editor opened again
    EXPECT_EQ(db_.Scalar("SELECT qty FROM people WHERE id = 3"), "10");
    EXPECT_EQ(dataSet_->State(), dsBrowse);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "many");
}

TEST_F(DBGridTest, HeaderClicksCycleTheSortOfTheColumn)
{
    QHeaderView* header = grid_->View()->horizontalHeader();
    auto click = [&] {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 5, 5));
    };
    click();
    EXPECT_EQ(dataSet_->SortMode(dataSet_->FieldByName("qty")), smASC);
    EXPECT_EQ(Cell(0, 2), "0");
    EXPECT_TRUE(Model()->headerData(2, Qt::Horizontal).toString().endsWith(QString::fromUtf8("\u25B2")));
    click();
    EXPECT_EQ(Cell(0, 2), "100");
    EXPECT_TRUE(Model()->headerData(2, Qt::Horizontal).toString().endsWith(QString::fromUtf8("\u25BC")));
    click();
    EXPECT_EQ(dataSet_->SortMode(dataSet_->FieldByName("qty")), smNONE);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Model()->headerData(2, Qt::Horizontal).toString(), "qty");
}

TEST_F(DBGridTest, ColourRulesPaintTheirRows)
{
    TVFilter* rule = dataSet_->Colors()->Add();
    TVSubFilter* line = rule->Levels()->Add();
    line->SetFieldName("id");
    line->SetFilterType(ffNumeric);
    line->SetRelation(frEqual);
    line->SetLowerValue("2");
    line->SetLogicalOp(flEnd);
    rule->SetBackGround(clRed);
    rule->SetForeGround(clYellow);
    dataSet_->First();
    QApplication::processEvents();
    EXPECT_EQ(Model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(Model()->index(0, 0).data(Qt::BackgroundRole).isValid());

    const QImage image = grid_->grab().toImage();
    QTableView* view = grid_->View();
    const QRect second = view->visualRect(Model()->index(1, 2));
    const QPoint inside =
        view->viewport()->mapTo(grid_.get(), second.topLeft() + QPoint(second.width() - 3, 3));
    EXPECT_EQ(QColor(image.pixel(inside)), QColor(255, 0, 0));
    EXPECT_GT(test::CountPixels(image, QColor(255, 0, 0)), 200);
}

TEST_F(DBGridTest, TheContextMenuRunsTheDatasetsEditorsForTheColumn)
{
    TField* asked = nullptr;
    int colours = 0;
    EditorHooks().Filter = [&](TComponent*, TDataSet*, TField* field, const AnsiString&, TVSubFilters&) {
        asked = field;
        return false;
    };
    EditorHooks().Color = [&](TComponent*, TDataSet*, TVFilters*, const AnsiString&) {
        return ++colours, false;
    };
    auto pick = [&](int column, const QString& text) {
        std::unique_ptr<QMenu> menu(grid_->BuildMenu(column));
        ASSERT_NE(menu, nullptr);
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        EXPECT_EQ(texts, QStringList({"Filter...", "Colors...", "Export...", "Fill up..."}));
        for (QAction* action : menu->actions())
            if (action->text() == text)
                action->trigger();
    };
    pick(2, "Filter...");
    EXPECT_EQ(asked, dataSet_->FieldByName("qty"));
    pick(0, "Colors...");
    EXPECT_EQ(colours, 1);
}

TEST_F(DBGridTest, TheGridRendersItsCells)
{
    const QImage image = grid_->grab().toImage();
    EXPECT_EQ(image.size(), grid_->size() * grid_->devicePixelRatio());
    EXPECT_GT(test::DistinctColours(image), 4);
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += QColor(image.pixel(x, y)).lightness() < 100;
    EXPECT_GT(dark, 200); // the cell texts and the header are drawn
}

// A table whose columns differ in name length and size: widths come from the fields.
class DBGridColumnsTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE orders (customer_reference_number VARCHAR(30), q VARCHAR(2), "
                 "remarks VARCHAR(2000))");
        db_.Exec("INSERT INTO orders VALUES ('CRN-000000000000000000000001', 'ab', 'x')");
        db_.Exec("INSERT INTO orders VALUES ('" + Value.toStdString() + "', 'cd', 'y')");
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection(db_.ConnectionString());
        dataSet_->SetCommand("SELECT customer_reference_number, q, remarks FROM orders");
        dataSet_->Open();
        source_ = std::make_unique<TDataSource>(nullptr);
        source_->SetDataSet(dataSet_.get());
        grid_ = std::make_unique<TVDBGrid>();
        grid_->resize(900, 200);
        grid_->SetDataSource(source_.get());
        grid_->show();
        QApplication::processEvents();
    }
    static inline const QString Value = "CRN-000000000000000000000002";

    QHeaderView* Header() { return grid_->View()->horizontalHeader(); }
    int Width(int column) { return Header()->sectionSize(column); }
    int TitleWidth(int column)
    {
        return Header()->fontMetrics().horizontalAdvance(
            grid_->View()->model()->headerData(column, Qt::Horizontal).toString());
    }
    // Drags the right edge of the column's header section by dx, as a user widens a column.
    void DragEdge(int column, int dx)
    {
        QWidget* port = Header()->viewport();
        const QPoint from(Header()->sectionViewportPosition(column) + Width(column) - 1,
                          Header()->height() / 2);
        const QPoint to = from + QPoint(dx, 0);
        QTest::mousePress(port, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, port->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(port, &move);
        QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    }

    test::SqliteFile db_;
    std::unique_ptr<TVADODataSet> dataSet_;
    std::unique_ptr<TDataSource> source_;
    std::unique_ptr<TVDBGrid> grid_;
};

TEST_F(DBGridColumnsTest, ColumnsAreSizedFromTheirFieldsAndTitles)
{
    const int charWidth = grid_->View()->fontMetrics().averageCharWidth();
    EXPECT_GT(Width(0), Width(1));
    for (int column = 0; column < 3; ++column) {
        SCOPED_TRACE(column);
        EXPECT_GE(Width(column), TitleWidth(column));
    }
    EXPECT_GE(Width(0), 30 * charWidth); // the 30 characters of the field
    // The 2000-character column stops at the cap, leaving room for the others.
    EXPECT_GE(Width(2), TVDBGrid::MaxColumnChars * charWidth);
    EXPECT_LE(Width(2), TVDBGrid::MaxColumnChars * charWidth + 20);
    EXPECT_EQ(Width(2), grid_->AutoColumnWidth(2));

    // A changed display width resizes its column.
    const int before = Width(1);
    dataSet_->FieldByName("q")->SetDisplayWidth(25);
    EXPECT_GE(Width(1), before + 20 * charWidth);
}

TEST_F(DBGridColumnsTest, AFontChangeRefitsTheAutomaticWidths)
{
    const int before = Width(0);
    QFont larger = grid_->font();
    if (larger.pointSizeF() > 0)
        larger.setPointSizeF(larger.pointSizeF() * 2);
    else
        larger.setPixelSize(larger.pixelSize() * 2);
    grid_->setFont(larger);
    QApplication::processEvents();
    EXPECT_GT(Width(0), before + before / 2);
    EXPECT_EQ(Width(0), grid_->AutoColumnWidth(0));
}

TEST_F(DBGridColumnsTest, AUserResizedColumnKeepsItsWidthAcrossReloads)
{
    const int automatic = Width(0);
    const int dragged = Width(1) + 57;
    DragEdge(1, 57);
    ASSERT_EQ(Width(1), dragged);
    dataSet_->Refresh();
    EXPECT_EQ(Width(1), dragged);
    dataSet_->Close();
    dataSet_->Open();
    QApplication::processEvents();
    EXPECT_EQ(Width(1), dragged);
    EXPECT_EQ(Width(0), automatic); // the others are sized from their fields again
}

TEST_F(DBGridColumnsTest, AWidthSavedInTheDatasetsColumnsWins)
{
    TColumn* saved = dataSet_->Columns()->Add();
    saved->SetFieldName("Q"); // field names match in any case
    saved->SetWidth(222);
    dataSet_->Columns()->Add()->SetFieldName("remarks"); // no width of its own
    dataSet_->Close();
    dataSet_->Open();
    EXPECT_EQ(Width(1), 222);
    EXPECT_EQ(Width(2), grid_->AutoColumnWidth(2));
    DragEdge(1, -40);
    dataSet_->Refresh();
    EXPECT_EQ(Width(1), 182); // what the user chose last
}

TEST_F(DBGridColumnsTest, AColumnTheSavedLayoutHidesIsLeftOut)
{
    TColumn* hidden = dataSet_->Columns()->Add();
    hidden->SetFieldName("Q");
    hidden->SetVisible(false);
    dataSet_->Columns()->Add()->SetFieldName("remarks"); // listed, visible
    dataSet_->Close();
    dataSet_->Open();
    QApplication::processEvents();
    QAbstractItemModel* model = grid_->View()->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "customer_reference_number");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "remarks");
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), "x");

    hidden->SetVisible(true); // shown again at the next reload
    dataSet_->Refresh();
    QApplication::processEvents();
    EXPECT_EQ(model->columnCount(), 3);
}

TEST_F(DBGridColumnsTest, TheGridDrawsWholeTitlesAndValues)
{
    const QImage image = grid_->grab().toImage();
    ASSERT_EQ(image.size(), grid_->size() * grid_->devicePixelRatio());
    EXPECT_GT(test::DistinctColours(image), 4);
    // The rightmost dark pixel of the first column's title and of a value in it lie as far
    // right as their whole texts reach: a cut or elided text stops short.
    auto rightmostDark = [&](const QRect& area) {
        int right = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (QColor(image.pixel(x, y)).lightness() < 100)
                    right = std::max(right, x - area.left());
        return right;
    };
    const QRect title(Header()->mapTo(grid_.get(), QPoint(Header()->sectionViewportPosition(0), 0)),
                      QSize(Width(0), Header()->height()));
    EXPECT_GE(rightmostDark(title), TitleWidth(0) * 9 / 10);
    QTableView* view = grid_->View();
    const QRect cell = view->visualRect(view->model()->index(1, 0)); // not the selected row
    const QRect value(view->viewport()->mapTo(grid_.get(), cell.topLeft()), cell.size() - QSize(1, 1));
    EXPECT_GE(rightmostDark(value), view->fontMetrics().horizontalAdvance(Value) * 9 / 10);
}

} // namespace
} // namespace vmado
