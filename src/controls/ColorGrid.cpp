#include "controls/ColorGrid.h"

#include "controls/QtBridge.h"
#include "framework/graphics/Graphics.h"

#include <QMouseEvent>
#include <QPainter>

namespace vmado {

namespace {

constexpr int kColumns = 4;
constexpr int kCell = 22;
constexpr int kMargin = 2;

// Black or white, whichever reads better on the cell's colour.
QColor MarkColor(const QColor& cell)
{
    return qGray(cell.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace

const std::array<TColor, TColorGrid::CellCount>& TColorGrid::StandardColors()
{
    static const std::array<TColor, CellCount> colors = {
        clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
        clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
    return colors;
}

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent), ink_(clWindowText), paper_(clWindow)
{
    setContextMenuPolicy(Qt::PreventContextMenu); // the right button chooses the paper
    setMinimumSize(minimumSizeHint());
}

void TColorGrid::SetForegroundColor(TColor value)
{
    if (value == ink_)
        return;
    ink_ = value;
    update();
    emit ColorsChanged();
}

void TColorGrid::SetBackgroundColor(TColor value)
{
    if (value == paper_)
        return;
    paper_ = value;
    update();
    emit ColorsChanged();
}

QRect TColorGrid::CellRect(int index) const
{
    if (index < 0 || index >= CellCount)
        return {};
    return {kMargin + (index % kColumns) * kCell, kMargin + (index / kColumns) * kCell, kCell, kCell};
}

int TColorGrid::CellAt(const QPoint& pos) const
{
    for (int i = 0; i < CellCount; ++i)
        if (CellRect(i).contains(pos))
            return i;
    return -1;
}

int TColorGrid::CellOf(TColor color) const
{
    const QColor wanted = ToQColor(color);
    for (int i = 0; i < CellCount; ++i)
        if (ToQColor(StandardColors()[i]) == wanted)
            return i;
    return -1;
}

QSize TColorGrid::sizeHint() const
{
    const int rows = CellCount / kColumns;
    return {2 * kMargin + kColumns * kCell, 2 * kMargin + rows * kCell};
}

QSize TColorGrid::minimumSizeHint() const
{
    return sizeHint();
}

void TColorGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QFont font = painter.font();
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    const int inkCell = CellOf(ink_);
    const int paperCell = CellOf(paper_);
    for (int i = 0; i < CellCount; ++i) {
        const QRect r = CellRect(i);
        const QColor c = ToQColor(StandardColors()[i]);
        painter.fillRect(r, c);
        painter.setPen(QColor(Qt::darkGray));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        if (i != inkCell && i != paperCell)
            continue;
        painter.setPen(MarkColor(c));
        painter.drawRect(r.adjusted(2, 2, -3, -3));
        QString mark;
        if (i == inkCell)
            mark += "FG";
        if (i == paperCell)
            mark = i == inkCell ? "FB" : "BG";
        painter.drawText(r, Qt::AlignCenter, mark);
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event)
{
    const int cell = CellAt(event->position().toPoint());
    if (cell < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    const TColor color = StandardColors()[cell];
    if (event->button() == Qt::LeftButton) {
        SetForegroundColor(color);
        emit InkChosen(color);
    } else if (event->button() == Qt::RightButton) {
        SetBackgroundColor(color);
        emit PaperChosen(color);
    }
}

} // namespace vmado
