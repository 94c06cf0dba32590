// A row of buttons that move through a data source's dataset and edit it: First, Prior, Next,
// Last, Insert, Delete, Edit, Post, Cancel, Refresh. Each button is enabled only when its action
// makes sense in the dataset's present state and position; a failed action is shown through the
// application's exception display and leaves the navigator usable.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/rtl/Types.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QToolButton;

namespace vmado {

class TDataSet;
class TDataSource;

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};
using TButtonSet = TSet<TNavigateBtn>;
using TNavClickEvent = std::function<void(QObject* sender, TNavigateBtn button)>;

namespace controls {
class NavigatorLink;
} // namespace controls

class TVDBNavigator : public QWidget {
    Q_OBJECT

public:
    explicit TVDBNavigator(QWidget* parent = nullptr);
    ~TVDBNavigator() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    TDataSet* DataSet() const;

    TButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TButtonSet value);
    // Asks before Delete (default on).
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool value) { confirmDelete_ = value; }

    // The button's widget; its object name is the button's name ("nbFirst", ...).
    QToolButton* Button(TNavigateBtn button) const { return buttons_[button]; }
    // Runs the button's action as a click does, enabled or not: BeforeAction, the action, then
    // OnClick. A failure propagates to the caller (a click shows it instead).
    void BtnClick(TNavigateBtn button);

    // Before the action; an exception here (EAbort included) stops it.
    TNavClickEvent BeforeAction;
    // After the action succeeded.
    TNavClickEvent OnClick;

private:
    friend class controls::NavigatorLink;
    void UpdateButtons();

    std::unique_ptr<controls::NavigatorLink> link_;
    std::array<QToolButton*, nbRefresh + 1> buttons_{};
    TButtonSet visibleButtons_{nbFirst,  nbPrior, nbNext, nbLast,   nbInsert,
                               nbDelete, nbEdit,  nbPost, nbCancel, nbRefresh};
    bool confirmDelete_ = true;
};

} // namespace vmado
