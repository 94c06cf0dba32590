#include "registration/PropertyInspector.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "dataset/EditorHooks.h"
#include "dataset/VDB.h"
#include "master/VMaster.h"
#include "registration/RegVMADO.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

namespace vmado {
namespace {

class PropertyInspectorTest : public testing::Test {
protected:
    void SetUp() override
    {
        ClearDesignRegistry();
        RegisterAll();
        db_.Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), mark INTEGER)");
        SetConnectionEditorHook([this](TComponent*, AnsiString& text) {
            text = db_.ConnectionString();
            return true;
        });
        inspector_.resize(360, 480);
        inspector_.show();
    }
    void TearDown() override
    {
        inspector_.SetComponent(nullptr);
        ClearDesignRegistry();
        SetConnectionEditorHook(nullptr);
    }
    template <class W> W* Value(const char* property)
    {
        return inspector_.findChild<W*>(QString("value") + property);
    }

    test::SqliteFile db_;
    TPropertyInspector inspector_;
};

TEST_F(PropertyInspectorTest, ValueListsDialogsAndTextEditTheComponent)
{
    TVADODataSet dataSet;
    dataSet.SetCommand("SELECT * FROM people");
    dataSet.SetMarkerField("mark");
    inspector_.SetComponent(&dataSet);
    EXPECT_GE(inspector_.RowOf("PrimaryKey"), 0);
    EXPECT_LT(inspector_.RowOf("Connection"), inspector_.RowOf("PrimaryKey")); // sorted by name
    EXPECT_EQ(Value<QComboBox>("PrimaryKey")->count(), 0);                     // no connection yet

    // The "..." button runs the connection dialog; the key list then offers the table's columns.
    QTest::mouseClick(inspector_.findChild<QToolButton*>("editConnection"), Qt::LeftButton);
    EXPECT_EQ(dataSet.GetConnection(), db_.ConnectionString());
    EXPECT_EQ(Value<QLineEdit>("Connection")->text(), QString::fromStdString(db_.ConnectionString()));
    QComboBox* keys = Value<QComboBox>("PrimaryKey");
    ASSERT_EQ(keys->count(), 2);
    EXPECT_EQ(keys->itemText(0), "id"); // sorted, and without the marker column
    EXPECT_EQ(keys->itemText(1), "name");
    emit keys->textActivated("id");
    EXPECT_EQ(dataSet.GetPrimaryKey(), "id");

    QLineEdit* marker = Value<QComboBox>("MarkerField")->lineEdit();
    ASSERT_NE(marker, nullptr);
    marker->setText("name");
    emit marker->editingFinished();
    EXPECT_EQ(dataSet.GetMarkerField(), "name");
    EXPECT_GT(inspector_.Designer().ModifiedCount(), 0);
}

TEST_F(PropertyInspectorTest, ARefusedValueShowsThePropertysOwnAgain)
{
    TVADODataSet dataSet;
    inspector_.SetComponent(&dataSet);
    QComboBox* mode = Value<QComboBox>("UpdateMode");
    ASSERT_NE(mode, nullptr);
    const QString before = mode->currentText();
    EXPECT_FALSE(before.isEmpty());
    QLineEdit* maxRecords = Value<QLineEdit>("MaxRecords");
    ASSERT_NE(maxRecords, nullptr);
    maxRecords->setText("many");
    emit maxRecords->editingFinished();
    EXPECT_EQ(maxRecords->text(), "0");
    maxRecords->setText("25");
    emit maxRecords->editingFinished();
    EXPECT_EQ(dataSet.GetMaxRecords(), 25);
    EXPECT_EQ(mode->currentText(), before);
}

TEST_F(PropertyInspectorTest, TheMastersVerbRunsItsEditor)
{
    TVMaster master;
    inspector_.SetComponent(&master);
    std::unique_ptr<QMenu> menu(inspector_.BuildVerbMenu());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Editor");
    menu->actions()[0]->trigger();
    EXPECT_EQ(master.Connection(), db_.ConnectionString());
    EXPECT_EQ(Value<QLineEdit>("Connection")->text(), QString::fromStdString(db_.ConnectionString()));

    TVADODataSet dataSet;
    inspector_.SetComponent(&dataSet);
    EXPECT_EQ(inspector_.BuildVerbMenu(), nullptr);
}

TEST_F(PropertyInspectorTest, TheInspectorRendersItsRows)
{
    TVMaster master;
    inspector_.SetComponent(&master);
    const QImage image = inspector_.grab().toImage();
    EXPECT_GT(image.width(), 300);
    EXPECT_GT(test::DistinctColours(image), 3);
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += QColor(image.pixel(x, y)).lightness() < 100;
    EXPECT_GT(dark, 100);
}

TEST_F(PropertyInspectorTest, ALongValueShowsItsStartAndWholeOnHover)
{
    const QString path = "/" + QString("long-folder-name/").repeated(12) + "people.db";
    const QString value = "Provider=SQLite;Data Source=" + path + ";Busy Timeout=5000";
    TVADODataSet dataSet;
    dataSet.SetConnection(value.toStdString());
    inspector_.SetComponent(&dataSet);
    QApplication::processEvents();
    QLineEdit* edit = Value<QLineEdit>("Connection");
    ASSERT_NE(edit, nullptr);
    ASSERT_GT(edit->fontMetrics().horizontalAdvance(value), edit->width()); // too long to show whole
    EXPECT_GE(inspector_.columnWidth(0),
              inspector_.fontMetrics().horizontalAdvance("UpdateObject")); // whole names
    EXPECT_GT(inspector_.columnWidth(1), inspector_.columnWidth(0));       // the value column takes the rest

    // Hovering shows the whole value.
    const QPoint middle = edit->rect().center();
    QHelpEvent hover(QEvent::ToolTip, middle, edit->mapToGlobal(middle));
    QApplication::sendEvent(edit, &hover);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), value.toStdString());
    QToolTip::hideText();

    // Unfocused, the box shows the value's start where the same start alone would stand; a plain
    // line edit would show the end of the value instead.
    const QString start = value.left(12);
    QLineEdit reference(start, edit->parentWidget());
    reference.setGeometry(edit->geometry());
    reference.setCursorPosition(0);
    reference.show();
    const QImage shown = edit->grab().toImage();
    const QImage expected = reference.grab().toImage();
    ASSERT_EQ(shown.size(), expected.size());
    const int startWidth = edit->fontMetrics().horizontalAdvance(start);
    int differing = 0, dark = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < std::min(shown.width(), startWidth); ++x) {
            differing += shown.pixel(x, y) != expected.pixel(x, y);
            dark += QColor(shown.pixel(x, y)).lightness() < 100;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(dark, 20); // the start is drawn, not an empty box
    // Its right end holds the ellipsis: a few dots, far fewer dark pixels than letters leave.
    int darkAtEnd = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = shown.width() - 14; x < shown.width() - 4; ++x)
            darkAtEnd += QColor(shown.pixel(x, y)).lightness() < 100;
    EXPECT_GT(darkAtEnd, 0);
    EXPECT_LT(darkAtEnd, dark);

    // Editing works on the whole value, not on what the box shows.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, ";Mode=Read");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(QString::fromStdString(dataSet.GetConnection()), value + ";Mode=Read");
    EXPECT_EQ(edit->toolTip().toStdString(), (value + ";Mode=Read").toStdString());
}

TEST_F(PropertyInspectorTest, AValueBeingTypedIsStoredWhenTheInspectorCloses)
{
    TVADODataSet dataSet;
    auto inspector = std::make_unique<TPropertyInspector>();
    inspector->SetComponent(&dataSet);
    inspector->show();
    QApplication::setActiveWindow(inspector.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(inspector.get()));
    auto* edit = inspector->findChild<QLineEdit*>("valueConnection");
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClicks(edit, "Provider=SQLite");
    inspector.reset();
    EXPECT_EQ(dataSet.GetConnection(), "Provider=SQLite");
}

} // namespace
} // namespace vmado
