// A four-by-four grid of the sixteen standard colours for choosing an ink (left click) and a
// paper (right click) colour. The cells of the current ink and paper carry a mark, so the user
// sees both choices at once.
#pragma once

#include "framework/rtl/Types.h"

#include <QWidget>

#include <array>

namespace vmado {

class TColorGrid : public QWidget {
    Q_OBJECT

public:
    explicit TColorGrid(QWidget* parent = nullptr);

    static constexpr int CellCount = 16;
    static const std::array<TColor, CellCount>& StandardColors();

    // Any colour may be set, system colours too; a colour that is not on the grid leaves its
    // mark off the grid.
    TColor ForegroundColor() const { return ink_; }
    void SetForegroundColor(TColor value);
    TColor BackgroundColor() const { return paper_; }
    void SetBackgroundColor(TColor value);

    // The cell under a point of the widget, -1 outside the cells.
    int CellAt(const QPoint& pos) const;
    QRect CellRect(int index) const;
    // The cell showing color (system colours compared by their resolved value), -1 if none.
    int CellOf(TColor color) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Either colour changed, by a click or by a setter.
    void ColorsChanged();
    // The user clicked a cell: left for the ink, right for the paper.
    void InkChosen(vmado::TColor color);
    void PaperChosen(vmado::TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor ink_;
    TColor paper_;
};

} // namespace vmado
