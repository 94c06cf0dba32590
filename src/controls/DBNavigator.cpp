#include "controls/DBNavigator.h"

#include "framework/classes/Application.h"
#include "framework/db/DataSet.h"
#include "framework/db/DataSource.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QToolButton>

namespace vmado {

namespace controls {

// The navigator needs to hear of every move and state change, not of field values.
class NavigatorLink : public TDataLink {
public:
    explicit NavigatorLink(TVDBNavigator* navigator) : navigator_(navigator) {}
    void Detach() { navigator_ = nullptr; }

protected:
    void ActiveChanged() override { Update(); }
    void DataSetChanged() override { Update(); }
    void EditingChanged() override { Update(); }

private:
    void Update()
    {
        if (navigator_ != nullptr)
            navigator_->UpdateButtons();
    }
    TVDBNavigator* navigator_;
};

} // namespace controls

namespace {

struct ButtonLook {
    const char* name;
    const char* glyph;
    const char* hint;
};

constexpr std::array<ButtonLook, nbRefresh + 1> kButtons = {{
    {"nbFirst", "|<", "First record"},
    {"nbPrior", "<", "Prior record"},
    {"nbNext", ">", "Next record"},
    {"nbLast", ">|", "Last record"},
    {"nbInsert", "+", "Insert record"},
    {"nbDelete", "\u2212", "Delete record"},
    {"nbEdit", "^", "Edit record"},
    {"nbPost", "\u221A", "Post edit"},
    {"nbCancel", "\u00D7", "Cancel edit"},
    {"nbRefresh", "\u21BB", "Refresh data"},
}};

} // namespace

TVDBNavigator::TVDBNavigator(QWidget* parent)
    : QWidget(parent), link_(std::make_unique<controls::NavigatorLink>(this))
{
    setObjectName("DBNavigator");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        const auto which = static_cast<TNavigateBtn>(i);
        auto* button = new QToolButton(this);
        button->setObjectName(kButtons[i].name);
        button->setText(QString::fromUtf8(kButtons[i].glyph));
        button->setToolTip(kButtons[i].hint);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        button->setFocusPolicy(Qt::NoFocus); // the data control being edited keeps the focus
        connect(button, &QToolButton::clicked, this, [this, which] {
            try {
                BtnClick(which);
            } catch (...) {
                Application()->HandleException(DataSet());
            }
        });
        layout->addWidget(button);
        buttons_[i] = button;
    }
    UpdateButtons();
}

TVDBNavigator::~TVDBNavigator()
{
    link_->Detach();
}

TDataSource* TVDBNavigator::DataSource() const
{
    return link_->DataSource();
}

void TVDBNavigator::SetDataSource(TDataSource* value)
{
    link_->SetDataSource(value);
    UpdateButtons();
}

TDataSet* TVDBNavigator::DataSet() const
{
    return link_->DataSet();
}

void TVDBNavigator::SetVisibleButtons(TButtonSet value)
{
    visibleButtons_ = value;
    for (int i = nbFirst; i <= nbRefresh; ++i)
        buttons_[i]->setVisible(value.Contains(static_cast<TNavigateBtn>(i)));
}

void TVDBNavigator::UpdateButtons()
{
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    const bool active = ds != nullptr;
    const bool up = active && !ds->Bof();
    const bool down = active && !ds->Eof();
    const bool canModify = active && ds->CanModify();
    const bool editing = active && link_->Editing();
    const bool empty = active && ds->Bof() && ds->Eof();
    buttons_[nbFirst]->setEnabled(up);
    buttons_[nbPrior]->setEnabled(up);
    buttons_[nbNext]->setEnabled(down);
    buttons_[nbLast]->setEnabled(down);
    buttons_[nbInsert]->setEnabled(canModify);
    buttons_[nbDelete]->setEnabled(canModify && !empty);
    buttons_[nbEdit]->setEnabled(canModify && !editing);
    buttons_[nbPost]->setEnabled(canModify && editing);
    buttons_[nbCancel]->setEnabled(canModify && editing);
    // A refresh in an edit state would post or drop the change unasked.
    buttons_[nbRefresh]->setEnabled(active && !editing);
}

void TVDBNavigator::BtnClick(TNavigateBtn button)
{
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    if (ds == nullptr)
        return;
    if (BeforeAction)
        BeforeAction(this, button);
    switch (button) {
    case nbFirst:
        ds->First();
        break;
    case nbPrior:
        ds->Prior();
        break;
    case nbNext:
        ds->Next();
        break;
    case nbLast:
        ds->Last();
        break;
    case nbInsert:
        ds->Insert();
        break;
    case nbDelete:
        if (confirmDelete_ &&
            QMessageBox::question(this, "Confirm", "Delete record?", QMessageBox::Ok | QMessageBox::Cancel,
                                  QMessageBox::Cancel) != QMessageBox::Ok)
            return;
        ds->Delete();
        break;
    case nbEdit:
        ds->Edit();
        break;
    case nbPost:
        ds->Post();
        break;
    case nbCancel:
        ds->Cancel();
        break;
    case nbRefresh:
        ds->Refresh();
        break;
    }
    if (OnClick)
        OnClick(this, button);
}

} // namespace vmado
