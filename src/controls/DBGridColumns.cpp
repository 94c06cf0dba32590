// The data grid's column widths: each column is as wide as its field's display width in the grid
// font, and a width the user dragged or the dataset's saved columns give survives every reload.
#include "controls/DBGrid.h"

#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "framework/db/Fields.h"
#include "framework/db/GridColumns.h"
#include "framework/rtl/SysUtils.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace vmado {

int TVDBGrid::AutoColumnWidth(int column) const
{
    TField* field = ColumnField(column);
    if (!field)
        return 0;
    // The delegate keeps a focus-frame margin plus one pixel on each side of the text, and the
    // grid line takes one more.
    const int cellMargin =
        2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 1;
    // Numbers and dates are mostly digits, which are wider than the average letter.
    int charWidth = view_->fontMetrics().averageCharWidth();
    if (dynamic_cast<TNumericField*>(field) || dynamic_cast<TDateTimeField*>(field))
        charWidth = std::max(charWidth, view_->fontMetrics().horizontalAdvance(QLatin1Char('0')));
    charWidth = std::max(1, charWidth);
    const int chars = static_cast<int>(std::clamp<Integer>(field->DisplayWidth(), 1, MaxColumnChars));
    const int cap = MaxColumnChars * charWidth + cellMargin;

    QHeaderView* header = view_->horizontalHeader();
    // Measured in bold, as a header may draw a highlighted section, and with room for the sort
    // arrow a header click adds, so sorting does not cut the title.
    QFont titleFont = header->font();
    titleFont.setBold(true);
    QString title = ToQString(Trim(field->DisplayLabel()));
    if (dynamic_cast<TVADODataSet*>(DataSet()))
        title += QString::fromUtf8(" \u25BC");
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(title) +
                           2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 2;
    return std::min(std::max(chars * charWidth + cellMargin, titleWidth), cap);
}

int TVDBGrid::ColumnWidth(int column) const
{
    TField* field = ColumnField(column);
    if (!field)
        return 0;
    const auto user = userWidths_.find(UpperCase(field->FieldName()));
    if (user != userWidths_.end())
        return user->second;
    if (auto* ado = dynamic_cast<TVADODataSet*>(DataSet()))
        for (Integer i = 0; i < ado->Columns()->Count(); ++i) {
            const TColumn* saved = ado->Columns()->Items(i);
            if (saved->AssignedValues().Contains(cvWidth) && saved->Width() > 0 &&
                SameText(saved->FieldName(), field->FieldName()))
                return static_cast<int>(saved->Width());
        }
    return AutoColumnWidth(column);
}

void TVDBGrid::FitColumns()
{
    QHeaderView* header = view_->horizontalHeader();
    for (int column = 0; column < header->count(); ++column)
        header->resizeSection(column, ColumnWidth(column));
}

void TVDBGrid::ColumnResized(int column, int width)
{
    // Only a drag counts: the grid's own sizing happens while it refreshes.
    if (refreshing_)
        return;
    if (TField* field = ColumnField(column))
        userWidths_[UpperCase(field->FieldName())] = width;
}

} // namespace vmado
