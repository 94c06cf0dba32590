#include "controls/DBGrid.h"

#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSet.h"
#include "framework/db/DataSource.h"
#include "framework/db/Fields.h"
#include "framework/db/GridColumns.h"
#include "framework/graphics/Graphics.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>
#include <utility>
#include <vector>

namespace vmado {

namespace controls {

// The grid's window on the dataset: as many records as the grid shows rows.
class GridLink : public TDataLink {
public:
    explicit GridLink(TVDBGrid* grid) : grid_(grid) {}

protected:
    void ActiveChanged() override { grid_->Refresh(); }
    void DataSetChanged() override { grid_->Refresh(); }
    void DataSetScrolled(Integer) override { grid_->Refresh(); }
    void RecordChanged(TField*) override { grid_->Refresh(); }
    void EditingChanged() override { grid_->Refresh(); }
    void LayoutChanged() override
    {
        grid_->fitColumns_ = true; // a changed display width or label
        grid_->Refresh();
    }

private:
    TVDBGrid* grid_;
};

// A field the dataset's saved column layout hides stays out of the grid, as a field that is not
// Visible does.
bool HiddenBySavedColumn(TDataSet* ds, TField* field)
{
    auto* ado = dynamic_cast<TVADODataSet*>(ds);
    if (!ado)
        return false;
    for (Integer i = 0; i < ado->Columns()->Count(); ++i) {
        const TColumn* saved = ado->Columns()->Items(i);
        if (SameText(saved->FieldName(), field->FieldName()))
            return !saved->Visible();
    }
    return false;
}

class GridModel : public QAbstractTableModel {
public:
    GridModel(TVDBGrid* grid, GridLink* link) : QAbstractTableModel(grid), grid_(grid), link_(link) {}

    // Re-reads the window; true when it reset the model. Only a change of shape resets the
    // model: a reset would close a cell editor whose value is being posted.
    bool Reload()
    {
        std::vector<TField*> fields;
        if (TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr)
            for (Integer i = 0; i < ds->FieldCount(); ++i)
                if (ds->Fields()->Fields(i)->Visible() && !HiddenBySavedColumn(ds, ds->Fields()->Fields(i)))
                    fields.push_back(ds->Fields()->Fields(i));
        const int rows = link_->Active() ? static_cast<int>(link_->RecordCount()) : 0;
        if (fields == fields_ && rows == rows_) {
            if (rows > 0 && !fields.empty())
                emit dataChanged(index(0, 0), index(rows - 1, static_cast<int>(fields.size()) - 1));
            emit headerDataChanged(Qt::Horizontal, 0, std::max(0, static_cast<int>(fields.size()) - 1));
            return false;
        }
        beginResetModel();
        fields_ = std::move(fields);
        rows_ = rows;
        endResetModel();
        return true;
    }
    TField* FieldAt(int column) const
    {
        return column >= 0 && column < static_cast<int>(fields_.size())
                   ? fields_[static_cast<std::size_t>(column)]
                   : nullptr;
    }
    void KeepRejected(const QModelIndex& index, const QString& text)
    {
        rejected_ = index;
        rejectedText_ = text;
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(fields_.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        TField* field = FieldAt(section);
        if (!field)
            return {};
        QString title = ToQString(Trim(field->DisplayLabel()));
        if (auto* ado = dynamic_cast<TVADODataSet*>(link_->DataSet())) {
            const TSortMode mode = ado->SortMode(field);
            if (mode == smASC)
                title += QString::fromUtf8(" \u25B2");
            else if (mode == smDESC)
                title += QString::fromUtf8(" \u25BC");
        }
        return title;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        TField* field = FieldAt(index.column());
        if (field && !field->ReadOnly() && !link_->ReadOnly() && link_->DataSet()->CanModify())
            f |= Qt::ItemIsEditable;
        return f;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        TField* field = FieldAt(index.column());
        if (!field || !link_->Active())
            return {};
        if (role == Qt::EditRole && index == rejected_)
            return rejectedText_;
        if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::BackgroundRole &&
            role != Qt::ForegroundRole)
            return {};
        // The record of this row becomes the one the fields read, for this cell only; the
        // notices that switch sends are not changes to show.
        const bool wasRefreshing = std::exchange(grid_->refreshing_, true);
        const Integer saved = link_->ActiveRecord();
        link_->SetActiveRecord(index.row());
        QVariant value;
        try {
            if (role == Qt::DisplayRole)
                value = ToQString(field->DisplayText());
            else if (role == Qt::EditRole)
                value = ToQString(field->AsString());
            else if (auto* ado = dynamic_cast<TVADODataSet*>(link_->DataSet());
                     ado && ado->Colors()->Count() > 0) {
                TColor back = clNone, fore = clNone;
                ado->FieldColors(field->FieldName(), back, fore);
                const TColor chosen = role == Qt::BackgroundRole ? back : fore;
                if (chosen != clNone)
                    value = ToQColor(chosen);
            }
        } catch (const Exception&) {
            value = QVariant(); // a rule that cannot be evaluated paints nothing
        }
        link_->SetActiveRecord(saved);
        grid_->refreshing_ = wasRefreshing;
        return value;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole)
            return false;
        rejected_ = QModelIndex();
        grid_->CellEdited(index.row(), index.column(), value.toString());
        return true;
    }

private:
    TVDBGrid* grid_;
    GridLink* link_;
    std::vector<TField*> fields_;
    int rows_ = 0;
    QPersistentModelIndex rejected_;
    QString rejectedText_;
};

} // namespace controls

TVDBGrid::TVDBGrid(QWidget* parent) : QWidget(parent), link_(std::make_unique<controls::GridLink>(this))
{
    setObjectName("DBGrid");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* row = new QHBoxLayout;
    view_ = new QTableView(this);
    view_->setObjectName("grid");
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows are one line high: a wrapped value would show its first line cut in half.
    view_->setWordWrap(false);
    view_->installEventFilter(this);
    // The rows that fit are known once the layout has sized the view's viewport.
    view_->viewport()->installEventFilter(this);
    model_ = new controls::GridModel(this, link_.get());
    view_->setModel(model_);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName("scroll");
    row->addWidget(view_, 1);
    row->addWidget(scroll_);
    layout->addLayout(row, 1);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    layout->addWidget(status_);

    connect(view_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { ColumnResized(column, width); });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        SortByColumn(column, QApplication::keyboardModifiers() & Qt::ControlModifier);
    });
    connect(view_, &QTableView::customContextMenuRequested, this, [this](const QPoint& pos) {
        ShowMenu(view_->columnAt(pos.x()), view_->viewport()->mapToGlobal(pos));
    });
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!refreshing_)
            ScrollTo(value);
    });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // A row picked in the view becomes the dataset's current record.
                if (refreshing_ || !current.isValid() || !link_->Active())
                    return;
                column_ = current.column();
                const Integer distance = current.row() - link_->ActiveRecord();
                if (distance != 0)
                    link_->MoveBy(distance);
            });
}

TVDBGrid::~TVDBGrid()
{
    link_->SetDataSource(nullptr);
}

TDataSource* TVDBGrid::DataSource() const
{
    return link_->DataSource();
}

void TVDBGrid::SetDataSource(TDataSource* value)
{
    if (value != link_->DataSource())
        userWidths_.clear();
    link_->SetDataSource(value);
    FitRows();
    Refresh();
}

TDataSet* TVDBGrid::DataSet() const
{
    return link_->DataSet();
}

TField* TVDBGrid::ColumnField(int column) const
{
    return model_->FieldAt(column);
}

QString TVDBGrid::StatusText() const
{
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    if (!ds)
        return {};
    const Integer count = ds->RecordCount();
    return "record " + QString::number(ds->IsEmpty() ? 0 : ds->RecNo()) + " of " + QString::number(count);
}

void TVDBGrid::Refresh()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    // A reset builds new header sections of the default size.
    if (model_->Reload() || fitColumns_) {
        fitColumns_ = false;
        FitColumns();
    }
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    if (ds && link_->RecordCount() > 0) {
        const int current = static_cast<int>(link_->ActiveRecord());
        view_->setCurrentIndex(model_->index(current, std::min(column_, model_->columnCount({}) - 1)));
        const Integer count = ds->RecordCount();
        scroll_->setRange(0, std::max<Integer>(0, count - 1));
        scroll_->setPageStep(std::max<Integer>(1, link_->BufferCount()));
        scroll_->setValue(std::max<Integer>(0, ds->RecNo() - 1));
        scroll_->setEnabled(count > 1);
    } else {
        scroll_->setRange(0, 0);
        scroll_->setEnabled(false);
    }
    status_->setText(StatusText());
    refreshing_ = false;
}

void TVDBGrid::FitRows()
{
    const int rowHeight = std::max(1, view_->verticalHeader()->defaultSectionSize());
    const int visible = std::max(1, view_->viewport()->height() / rowHeight);
    if (link_->BufferCount() != visible)
        link_->SetBufferCount(visible);
}

void TVDBGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitRows();
    Refresh();
}

void TVDBGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Automatic widths and the rows that fit are measured in the font.
    if (event->type() == QEvent::FontChange) {
        fitColumns_ = true;
        FitRows();
        Refresh();
    }
}

void TVDBGrid::ScrollTo(int value)
{
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    if (!ds)
        return;
    try {
        ds->MoveBy(value - (ds->RecNo() - 1));
    } catch (const Exception&) {
        Application()->HandleException(Application());
    }
}

void TVDBGrid::wheelEvent(QWheelEvent* event)
{
    if (TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0)
            ds->MoveBy(-3 * steps);
    }
    event->accept();
}

bool TVDBGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_->viewport() && event->type() == QEvent::Resize) {
        FitRows();
        Refresh();
        return false;
    }
    // Keys typed into a cell editor go to the editor, not through here.
    if (watched != view_ || event->type() != QEvent::KeyPress || !link_->Active())
        return QWidget::eventFilter(watched, event);
    // The keys that leave the visible window move the dataset, which scrolls the window.
    auto* key = static_cast<QKeyEvent*>(event);
    TDataSet* ds = link_->DataSet();
    const int rows = static_cast<int>(link_->RecordCount());
    const int current = view_->currentIndex().row();
    switch (key->key()) {
    case Qt::Key_Down:
        if (current < rows - 1)
            return false;
        ds->MoveBy(1);
        return true;
    case Qt::Key_Up:
        if (current > 0)
            return false;
        ds->MoveBy(-1);
        return true;
    case Qt::Key_PageDown:
        ds->MoveBy(link_->BufferCount());
        return true;
    case Qt::Key_PageUp:
        ds->MoveBy(-link_->BufferCount());
        return true;
    case Qt::Key_Home:
        if (key->modifiers() & Qt::ControlModifier) {
            ds->First();
            return true;
        }
        return false;
    case Qt::Key_End:
        if (key->modifiers() & Qt::ControlModifier) {
            ds->Last();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TVDBGrid::SortByColumn(int column, bool add)
{
    auto* ado = dynamic_cast<TVADODataSet*>(link_->DataSet());
    TField* field = ColumnField(column);
    if (!ado || !field)
        return;
    // Each click moves the column on: unsorted, ascending, descending, unsorted.
    try {
        switch (ado->SortMode(field)) {
        case smNONE:
            ado->SortAdd(field->FieldName(), smASC, add);
            break;
        case smASC:
            ado->SortAdd(field->FieldName(), smDESC, true);
            break;
        case smDESC:
            ado->SortDelete(field);
            break;
        }
    } catch (const Exception&) {
        Application()->HandleException(Application());
    }
    Refresh();
}

QMenu* TVDBGrid::BuildMenu(int column, QWidget* parent)
{
    auto* ado = dynamic_cast<TVADODataSet*>(link_->DataSet());
    if (!ado || !link_->Active())
        return nullptr;
    TField* field = ColumnField(column);
    auto* menu = new QMenu(parent);
    menu->setObjectName("gridMenu");
    // Each editor runs through the dataset's shortcut, so a grid over any of the library's
    // datasets offers what that dataset offers; an error is shown, never thrown into Qt.
    auto add = [&](const char* text, bool enabled, std::function<void()> run) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
            try {
                run();
            } catch (const Exception&) {
                Application()->HandleException(Application());
            }
            Refresh();
        });
    };
    add("Filter...", field != nullptr, [ado, field] { ado->FilterEditor(field); });
    add("Colors...", true, [ado] { ado->ColorEditor(); });
    add("Export...", true, [ado] { ado->ExportEditor(); });
    add("Fill up...", field != nullptr && field->FieldKind() == fkData,
        [ado, field] { ado->FillUpEditor(field); });
    return menu;
}

void TVDBGrid::ShowMenu(int column, const QPoint& globalPos)
{
    std::unique_ptr<QMenu> menu(BuildMenu(column, this));
    if (menu)
        menu->exec(globalPos);
}

void TVDBGrid::CellEdited(int row, int column, const QString& text)
{
    TDataSet* ds = link_->DataSet();
    TField* field = ColumnField(column);
    if (!ds || !field)
        return;
    try {
        const Integer distance = row - link_->ActiveRecord();
        if (distance != 0)
            ds->MoveBy(distance);
        ds->Edit();
        field->SetAsString(FromQString(text));
        ds->Post();
    } catch (const Exception&) {
        if (ds->State() == dsEdit || ds->State() == dsInsert)
            ds->Cancel();
        Application()->HandleException(Application());
        // The editor comes back with what the user typed, to be corrected rather than retyped.
        const QModelIndex index = model_->index(static_cast<int>(link_->ActiveRecord()), column);
        model_->KeepRejected(index, text);
        QTimer::singleShot(0, view_, [this, index] { view_->edit(index); });
    }
}

} // namespace vmado
