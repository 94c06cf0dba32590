#include "controls/ColorGrid.h"

#include "controls/QtBridge.h"
#include "framework/graphics/Graphics.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace vmado {
namespace {

struct ClickCase {
    int cell;
    Qt::MouseButton button;
    TColor ink;   // expected afterwards
    TColor paper; // expected afterwards
};

TEST(ColorGrid, LeftClickChoosesInkRightClickChoosesPaper)
{
    const ClickCase cases[] = {
        {0, Qt::LeftButton, clBlack, clWindow},        {9, Qt::LeftButton, clRed, clWindow},
        {12, Qt::RightButton, clWindowText, clBlue},   {15, Qt::RightButton, clWindowText, clWhite},
        {5, Qt::MiddleButton, clWindowText, clWindow},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.cell);
        TColorGrid grid;
        grid.resize(grid.sizeHint());
        QSignalSpy inks(&grid, &TColorGrid::InkChosen);
        QSignalSpy papers(&grid, &TColorGrid::PaperChosen);
        QTest::mouseClick(&grid, c.button, Qt::NoModifier, grid.CellRect(c.cell).center());
        EXPECT_EQ(grid.ForegroundColor(), c.ink);
        EXPECT_EQ(grid.BackgroundColor(), c.paper);
        EXPECT_EQ(inks.count(), c.button == Qt::LeftButton ? 1 : 0);
        EXPECT_EQ(papers.count(), c.button == Qt::RightButton ? 1 : 0);
        if (c.button == Qt::LeftButton)
            EXPECT_EQ(inks.at(0).at(0).value<TColor>(), c.ink);
        if (c.button == Qt::RightButton)
            EXPECT_EQ(papers.at(0).at(0).value<TColor>(), c.paper);
    }
}

TEST(ColorGrid, SettersAnnounceOnlyRealChangesAndNoChoice)
{
    TColorGrid grid;
    QSignalSpy changed(&grid, &TColorGrid::ColorsChanged);
    QSignalSpy inks(&grid, &TColorGrid::InkChosen);
    grid.SetForegroundColor(clRed);
    grid.SetForegroundColor(clRed);
    grid.SetBackgroundColor(clYellow);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(inks.count(), 0);
    EXPECT_EQ(grid.CellAt(QPoint(-5, -5)), -1);
    QTest::mouseClick(&grid, Qt::LeftButton, Qt::NoModifier, QPoint(grid.sizeHint().width() + 10, 1));
    EXPECT_EQ(grid.ForegroundColor(), clRed);
}

TEST(ColorGrid, SystemColoursFindTheirCell)
{
    TColorGrid grid;
    EXPECT_EQ(grid.CellOf(clWindowText), 0); // resolves to black
    EXPECT_EQ(grid.CellOf(clWindow), 15);    // resolves to white
    EXPECT_EQ(grid.CellOf(clInfoBk), -1);
    EXPECT_EQ(grid.CellOf(clTeal), 6);
}

TEST(ColorGrid, PaintsTheSixteenColoursAndMarksInkAndPaper)
{
    TColorGrid grid;
    grid.resize(grid.sizeHint());
    grid.SetForegroundColor(clRed);  // cell 9
    grid.SetBackgroundColor(clBlue); // cell 12
    const QImage image = grid.grab().toImage();
    ASSERT_EQ(image.size(), grid.sizeHint());
    for (int i = 0; i < TColorGrid::CellCount; ++i) {
        // A point just inside the cell's border shows its colour on every cell.
        const QPoint inner = grid.CellRect(i).topLeft() + QPoint(2, grid.CellRect(i).height() / 2 + 4);
        EXPECT_EQ(image.pixelColor(grid.CellRect(i).topLeft() + QPoint(1, 1)),
                  ToQColor(TColorGrid::StandardColors()[i]))
            << "cell " << i;
        // The mark frame runs two pixels inside the cell border on marked cells only.
        const QColor frame = image.pixelColor(inner);
        if (i == 9 || i == 12)
            EXPECT_NE(frame, ToQColor(TColorGrid::StandardColors()[i])) << "cell " << i;
        else
            EXPECT_EQ(frame, ToQColor(TColorGrid::StandardColors()[i])) << "cell " << i;
    }
}

} // namespace
} // namespace vmado
