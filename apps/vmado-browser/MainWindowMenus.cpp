// The menu bar: the data source, the tables of the two grids, and the dataset editors for the
// grid with the focus (the same ones its context menu offers).
#include "MainWindow.h"

#include "BackgroundOpen.h"
#include "SettingsPaths.h"

#include "controls/DBGrid.h"
#include "controls/QtBridge.h"
#include "framework/classes/Application.h"
#include "framework/db/Fields.h"
#include "framework/rtl/Exceptions.h"
#include "tables/VTables.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QMenuBar>
#include <QTableView>

namespace vmado::browser {

void MainWindow::BuildMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    QAction* sample = file->addAction("Open &sample", this, [this] { OpenSample(DefaultSamplePath()); });
    sample->setObjectName("actionOpenSample");
    QAction* connect = file->addAction("&Connect...", this, [this] { Connect(); });
    connect->setObjectName("actionConnect");
    QAction* close = file->addAction("C&lose data", this, [this] { CloseData(); });
    close->setObjectName("actionCloseData");
    file->addSeparator();
    QAction* shot = file->addAction("Save screens&hot...", this, [this] {
        const QString name =
            QFileDialog::getSaveFileName(this, "Save screenshot", "vmado-browser.png", "PNG images (*.png)");
        if (!name.isEmpty() && !SaveScreenshot(name))
            Application()->ShowException(
                EFCreateError("Cannot write the screenshot to \"" + FromQString(name) + "\""));
    });
    shot->setObjectName("actionScreenshot");
    file->addSeparator();
    file->addAction("&Quit", this, &QWidget::close)->setObjectName("actionQuit");

    QMenu* data = menuBar()->addMenu("&Data");
    masterMenu_ = data->addMenu("&Master table");
    masterMenu_->setObjectName("menuMaster");
    detailMenu_ = data->addMenu("&Detail table");
    detailMenu_->setObjectName("menuDetail");
    data->addSeparator();
    data->addAction("&Reopen", this,
                    [this] {
                        CloseData();
                        StartOpen(true);
                    })
        ->setObjectName("actionReopen");
    data->addAction("&Cancel opening", this, [this] { opener_->Cancel(); })
        ->setObjectName("actionCancelOpen");

    QMenu* editors = menuBar()->addMenu("D&ataset");
    editors->addAction("&Filter...", this, [this] { RunEditor(Editor::Filter); })
        ->setObjectName("actionFilter");
    editors->addAction("&Colours...", this, [this] { RunEditor(Editor::Colors); })
        ->setObjectName("actionColor");
    editors->addAction("&Export...", this, [this] { RunEditor(Editor::Export); })
        ->setObjectName("actionExport");
    editors->addAction("Fill &up...", this, [this] { RunEditor(Editor::FillUp); })
        ->setObjectName("actionFillUp");
    FillTableMenus();
}

void MainWindow::FillTableMenus()
{
    masterMenu_->clear();
    detailMenu_->clear();
    auto* masterGroup = new QActionGroup(masterMenu_);
    auto* detailGroup = new QActionGroup(detailMenu_);
    QAction* none = detailMenu_->addAction("(none)", this, [this] { SetDetailTable({}); });
    none->setCheckable(true);
    none->setChecked(detail_->TableName().empty());
    detailGroup->addAction(none);
    detailMenu_->addSeparator();
    for (const AnsiString& table : tables_) {
        QAction* m = masterMenu_->addAction(ToQString(table), this, [this, table] { SetMasterTable(table); });
        m->setCheckable(true);
        m->setChecked(table == master_->TableName());
        masterGroup->addAction(m);
        QAction* d = detailMenu_->addAction(ToQString(table), this, [this, table] { SetDetailTable(table); });
        d->setCheckable(true);
        d->setChecked(table == detail_->TableName());
        detailGroup->addAction(d);
    }
    masterMenu_->setEnabled(!tables_.empty());
    detailMenu_->setEnabled(!tables_.empty());
}

void MainWindow::RunEditor(Editor editor)
{
    TVADODataSet* dataSet = FocusedDataSet();
    TVDBGrid* grid = FocusedGrid();
    if (!dataSet->Active())
        return;
    TField* field = grid->ColumnField(std::max(0, grid->View()->currentIndex().column()));
    try {
        switch (editor) {
        case Editor::Filter:
            dataSet->FilterEditor(field);
            break;
        case Editor::Colors:
            dataSet->ColorEditor();
            break;
        case Editor::Export:
            dataSet->ExportEditor();
            break;
        case Editor::FillUp:
            if (field != nullptr)
                dataSet->FillUpEditor(field);
            break;
        }
    } catch (const Exception& e) {
        Application()->ShowException(e);
    }
}

} // namespace vmado::browser
