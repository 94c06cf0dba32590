#include "registration/PropertyInspector.h"

#include "controls/QtBridge.h"
#include "framework/classes/Application.h"
#include "framework/classes/Component.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>

namespace vmado {

namespace {

// A value box that, while the user is not in it, shows a value too long for it from its start
// with an ellipsis at the end, where a plain line edit would show a window that ends at its
// cursor. The text itself stays whole, so editing and storing see the full value.
class ValueEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QStyleOptionFrame option;
        initStyleOption(&option);
        // The line edit's own text rectangle: its contents less the text margins and the two
        // pixels it keeps on either side, the text centred vertically the way it centres it.
        const QRect contents =
            style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
        const QFontMetrics metrics = fontMetrics();
        const QRect line(contents.x() + 2, contents.y() + (contents.height() - metrics.height() + 1) / 2,
                         contents.width() - 4, metrics.height());
        if (hasFocus() || text().isEmpty() || metrics.horizontalAdvance(text()) <= line.width()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
        painter.setClipRect(contents);
        painter.setPen(option.palette.color(QPalette::Text));
        const Qt::Alignment side = QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft);
        painter.drawText(line, side | Qt::AlignTop, metrics.elidedText(text(), Qt::ElideRight, line.width()));
    }
};

} // namespace

TPropertyInspector::TPropertyInspector(QWidget* parent) : QTableWidget(parent)
{
    setObjectName("PropertyInspector");
    setColumnCount(2);
    setHorizontalHeaderLabels({"Property", "Value"});
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(BuildVerbMenu(this));
        if (menu)
            menu->exec(viewport()->mapToGlobal(pos));
    });
}

TPropertyInspector::~TPropertyInspector()
{
    // A value being typed is stored while the inspector is whole: otherwise closing the window
    // from the base class's destructor takes the focus and stores into what is left of it.
    if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        focused->clearFocus();
    for (QWidget* child : findChildren<QWidget*>())
        child->disconnect(this);
}

void TPropertyInspector::SetComponent(TComponent* component)
{
    component_ = component;
    Build();
}

int TPropertyInspector::RowOf(const QString& propertyName) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (item(row, 0) && item(row, 0)->text() == propertyName)
            return row;
    return -1;
}

void TPropertyInspector::Build()
{
    clearContents();
    props_.clear();
    setRowCount(0);
    if (!component_)
        return;
    const TClassInfo& info = FindClass(component_->ClassName());
    props_ = info.Properties();
    std::sort(props_.begin(), props_.end(),
              [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
    setRowCount(static_cast<int>(props_.size()));
    for (int row = 0; row < static_cast<int>(props_.size()); ++row) {
        const TPropInfo* prop = props_[static_cast<std::size_t>(row)];
        auto* name = new QTableWidgetItem(ToQString(prop->Name));
        name->setFlags(Qt::ItemIsEnabled);
        setItem(row, 0, name);
        auto editor = GetPropertyEditor(&designer_, component_, prop);
        const TPropertyAttributes attributes = editor->GetAttributes();
        auto* cell = new QWidget(this);
        auto* layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        const QString objectName = "value" + ToQString(prop->Name);
        if (attributes.Contains(paValueList)) {
            auto* box = new QComboBox(cell);
            box->setObjectName(objectName);
            box->setEditable(prop->Kind == TPropKind::String);
            layout->addWidget(box, 1);
            connect(box, &QComboBox::textActivated, this,
                    [this, row](const QString& text) { Store(row, text); });
            if (box->lineEdit())
                connect(box->lineEdit(), &QLineEdit::editingFinished, this,
                        [this, row, box] { Store(row, box->currentText()); });
        } else {
            auto* edit = new ValueEdit(cell);
            edit->setObjectName(objectName);
            edit->setReadOnly(attributes.Contains(paReadOnly));
            layout->addWidget(edit, 1);
            connect(edit, &QLineEdit::editingFinished, this, [this, row, edit] { Store(row, edit->text()); });
            // The whole value on hover, also while it is being typed.
            connect(edit, &QLineEdit::textChanged, edit, &QWidget::setToolTip);
        }
        if (attributes.Contains(paDialog)) {
            auto* more = new QToolButton(cell);
            more->setObjectName("edit" + ToQString(prop->Name));
            more->setText("...");
            layout->addWidget(more);
            connect(more, &QToolButton::clicked, this, [this, prop] {
                try {
                    GetPropertyEditor(&designer_, component_, prop)->Edit();
                } catch (const Exception&) {
                    Application()->HandleException(Application());
                }
                Reload();
            });
        }
        setCellWidget(row, 1, cell);
    }
    Reload();
    // Whole property names; the value column takes the rest of the width.
    resizeColumnToContents(0);
}

void TPropertyInspector::Reload()
{
    if (!component_)
        return;
    loading_ = true;
    for (int row = 0; row < static_cast<int>(props_.size()); ++row) {
        const TPropInfo* prop = props_[static_cast<std::size_t>(row)];
        auto editor = GetPropertyEditor(&designer_, component_, prop);
        const QString value = ToQString(editor->GetValue());
        QWidget* cell = cellWidget(row, 1);
        if (auto* box = cell->findChild<QComboBox*>()) {
            // A value list is asked for its values each time it is shown, as they may have
            // changed with the other properties (a key list follows the command text).
            box->clear();
            QStringList values;
            try {
                editor->GetValues([&](const AnsiString& v) { values << ToQString(v); });
            } catch (const Exception&) {
                values.clear(); // an unreachable database offers no list, the typed value stays
            }
            if (editor->GetAttributes().Contains(paSortList))
                values.sort(Qt::CaseInsensitive);
            box->addItems(values);
            box->setCurrentIndex(box->findText(value));
            if (box->isEditable())
                box->setEditText(value);
            box->setToolTip(value);
        } else if (auto* edit = cell->findChild<QLineEdit*>()) {
            edit->setText(value);
        }
    }
    loading_ = false;
}

void TPropertyInspector::Store(int row, const QString& text)
{
    if (loading_ || !component_ || row < 0 || row >= static_cast<int>(props_.size()))
        return;
    const TPropInfo* prop = props_[static_cast<std::size_t>(row)];
    auto editor = GetPropertyEditor(&designer_, component_, prop);
    if (ToQString(editor->GetValue()) == text)
        return;
    try {
        editor->SetValue(FromQString(text));
    } catch (const Exception&) {
        Application()->HandleException(Application());
    }
    Reload(); // a refused value shows the property's own value again
}

QMenu* TPropertyInspector::BuildVerbMenu(QWidget* parent)
{
    if (!component_)
        return nullptr;
    auto editor = std::shared_ptr<TComponentEditor>(GetComponentEditor(component_, &designer_));
    if (editor->GetVerbCount() == 0)
        return nullptr;
    auto* menu = new QMenu(parent);
    for (Integer i = 0; i < editor->GetVerbCount(); ++i) {
        QAction* action = menu->addAction(ToQString(editor->GetVerb(i)));
        connect(action, &QAction::triggered, this, [this, editor, i] {
            try {
                editor->ExecuteVerb(i);
            } catch (const Exception&) {
                Application()->HandleException(Application());
            }
            Reload();
        });
    }
    return menu;
}

} // namespace vmado
