// A data-aware grid over any data source. Like the framework's grids it never copies the data:
// its link asks the dataset for as many records as there are visible rows, scrolling moves the
// dataset, and each cell is read from the record buffer of its row. Over the library's datasets
// it also sorts on a header click, paints the colour rules, and offers the dataset's editors.
#pragma once

#include "framework/rtl/Types.h"

#include <QWidget>

#include <map>
#include <memory>

class QLabel;
class QMenu;
class QScrollBar;
class QTableView;

namespace vmado {

class TDataSet;
class TDataSource;
class TField;

namespace controls {
class GridLink;
class GridModel;
} // namespace controls

class TVDBGrid : public QWidget {
    Q_OBJECT

public:
    explicit TVDBGrid(QWidget* parent = nullptr);
    ~TVDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    TDataSet* DataSet() const;

    // The visible field shown in column, or null.
    TField* ColumnField(int column) const;
    QTableView* View() const { return view_; }
    QScrollBar* ScrollBar() const { return scroll_; }
    // "record N of M", or empty without an open dataset.
    QString StatusText() const;

    // What the header click and the context menu do, callable directly.
    void SortByColumn(int column, bool add);
    void ShowMenu(int column, const QPoint& globalPos);
    // The context menu for column, owned by the caller; null without one of the library's
    // datasets open.
    QMenu* BuildMenu(int column, QWidget* parent = nullptr);

    // The widest a column grows from its field's display width, in average characters.
    static constexpr int MaxColumnChars = 40;
    // The width a column gets when neither the user nor the dataset's saved columns chose one:
    // its field's display width in the grid font, never narrower than its title, capped at
    // MaxColumnChars.
    int AutoColumnWidth(int column) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class controls::GridLink;
    friend class controls::GridModel;
    void Refresh(); // after any change of the dataset or its position
    void FitRows();
    void ScrollTo(int value);
    void CellEdited(int row, int column, const QString& text);
    // Sizes every column after a reset or a change of the fields' layout.
    void FitColumns();
    // A width the user dragged, else one saved in the dataset's columns, else the automatic one.
    int ColumnWidth(int column) const;
    void ColumnResized(int column, int width);

    std::unique_ptr<controls::GridLink> link_;
    controls::GridModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* status_ = nullptr;
    bool refreshing_ = false;
    int column_ = 0;                       // the column the user is in, kept across a refresh
    bool fitColumns_ = false;              // the fields' layout changed without a new set of fields
    std::map<AnsiString, int> userWidths_; // by upper-case field name, so a reopen keeps them
};

} // namespace vmado
