// A property inspector over the design registry: one row per published property of a component,
// edited through the property editor the registry picks: a list for value lists (sorted when the
// editor says so), a "..." button for dialog editors, and the component editor's verbs on the
// context menu. A value longer than its box shows its start and an ellipsis, and whole on hover.
#pragma once

#include "framework/design/Design.h"

#include <QTableWidget>

#include <memory>
#include <vector>

class QMenu;

namespace vmado {

class TComponent;

class TPropertyInspector : public QTableWidget {
    Q_OBJECT

public:
    explicit TPropertyInspector(QWidget* parent = nullptr);
    ~TPropertyInspector() override;

    void SetComponent(TComponent* component);
    TComponent* Component() const { return component_; }
    TFormDesigner& Designer() { return designer_; }

    // The row of the property name, or -1.
    int RowOf(const QString& propertyName) const;
    // Re-reads every value (after a dialog or a verb changed them).
    void Reload();
    // The component editor's verbs; null when it has none. Owned by the caller.
    QMenu* BuildVerbMenu(QWidget* parent = nullptr);

private:
    void Build();
    void Store(int row, const QString& text);

    TComponent* component_ = nullptr;
    TFormDesigner designer_;
    std::vector<const TPropInfo*> props_;
    bool loading_ = false;
};

} // namespace vmado
