// A data-aware grid over any data source. Like the framework's grids it never copies the data:
// its link asks the dataset for as many records as there are visible rows, scrolling moves the
// dataset, and each cell is read from the record buffer of its row. Over the library's datasets
// it also sorts on a header click, paints the colour rules, and offers the dataset's editors.
#pragma once

#include "framework/rtl/Types.h"

#include <QWidget>

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

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class controls::GridLink;
    friend class controls::GridModel;
    void Refresh(); // after any change of the dataset or its position
    void FitRows();
    void ScrollTo(int value);
    void CellEdited(int row, int column, const QString& text);

    std::unique_ptr<controls::GridLink> link_;
    controls::GridModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* status_ = nullptr;
    bool refreshing_ = false;
    int column_ = 0; // the column the user is in, kept across a refresh
};

} // namespace vmado
