// The window's widgets and the inspector following the focus. The datasets outlive every control
// bound to them: the controls are unbound before the datasets go.
#include "MainWindow.h"

#include "BackgroundOpen.h"

#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/QtBridge.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSource.h"
#include "registration/PropertyInspector.h"
#include "registration/RegVMADO.h"
#include "tables/VTables.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vmado::browser {

namespace {

// The design registry is process-wide; the inspector needs it filled once.
void RegisterDesignOnce()
{
    static const bool registered = [] {
        RegisterAll();
        return true;
    }();
    (void)registered;
}

QWidget* Pane(QLabel*& caption, TVDBGrid*& grid, TVDBNavigator*& navigator, const char* name)
{
    auto* pane = new QWidget;
    pane->setObjectName(name);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(4, 4, 4, 4);
    caption = new QLabel;
    caption->setObjectName(QString(name) + "Caption");
    navigator = new TVDBNavigator;
    navigator->setObjectName(QString(name) + "Navigator");
    grid = new TVDBGrid;
    grid->setObjectName(QString(name) + "Grid");
    layout->addWidget(caption);
    layout->addWidget(navigator);
    layout->addWidget(grid, 1);
    return pane;
}

} // namespace

MainWindow::MainWindow(const AnsiString& settingsDir, QWidget* parent)
    : QMainWindow(parent), settingsDir_(settingsDir), master_(std::make_unique<TVTable>(nullptr)),
      detail_(std::make_unique<TVTable>(nullptr)), masterSource_(std::make_unique<TDataSource>(nullptr)),
      detailSource_(std::make_unique<TDataSource>(nullptr))
{
    RegisterDesignOnce();
    master_->SetName("Master");
    detail_->SetName("Detail");
    masterSource_->SetName("MasterSource");
    detailSource_->SetName("DetailSource");
    // Users browse; the grid's in-place edits and the navigator still post through the dataset.
    masterSource_->SetDataSet(master_.get());
    detailSource_->SetDataSet(detail_.get());
    opener_ = new BackgroundOpen(this);
    BuildLayout();
    BuildMenus();
    Inspect(master_.get());
    UpdateTitle();
    resize(1100, 720);
}

MainWindow::~MainWindow()
{
    disconnect(qApp, nullptr, this, nullptr);
    CloseData();
    inspector_->SetComponent(nullptr);
    masterGrid_->SetDataSource(nullptr);
    detailGrid_->SetDataSource(nullptr);
    masterNavigator_->SetDataSource(nullptr);
    detailNavigator_->SetDataSource(nullptr);
    delete opener_;
    opener_ = nullptr;
    detail_->SetDataSource(nullptr);
    detail_.reset();
    master_.reset();
}

void MainWindow::BuildLayout()
{
    auto* grids = new QSplitter(Qt::Vertical);
    grids->addWidget(Pane(masterCaption_, masterGrid_, masterNavigator_, "master"));
    grids->addWidget(Pane(detailCaption_, detailGrid_, detailNavigator_, "detail"));
    masterGrid_->SetDataSource(masterSource_.get());
    masterNavigator_->SetDataSource(masterSource_.get());
    detailGrid_->SetDataSource(detailSource_.get());
    detailNavigator_->SetDataSource(detailSource_.get());

    auto* side = new QWidget;
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(4, 4, 4, 4);
    inspectorCaption_ = new QLabel;
    inspectorCaption_->setObjectName("inspectorCaption");
    inspector_ = new TPropertyInspector;
    inspector_->setObjectName("inspector");
    sideLayout->addWidget(inspectorCaption_);
    sideLayout->addWidget(inspector_, 1);

    auto* main = new QSplitter(Qt::Horizontal);
    main->addWidget(grids);
    main->addWidget(side);
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 1);
    setCentralWidget(main);

    progressLabel_ = new QLabel;
    progressLabel_->setObjectName("progressLabel");
    progress_ = new QProgressBar;
    progress_->setObjectName("progress");
    progress_->setMaximumWidth(220);
    cancelButton_ = new QToolButton;
    cancelButton_->setObjectName("cancelOpen");
    cancelButton_->setText("Cancel");
    statusBar()->addPermanentWidget(progressLabel_);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancelButton_);
    progress_->hide();
    cancelButton_->hide();
    progressLabel_->hide();
    connect(cancelButton_, &QToolButton::clicked, this, [this] { opener_->Cancel(); });

    // The number of rows is known only at the end, so the bar runs as a busy indicator and the
    // label counts the rows fetched so far.
    connect(opener_, &BackgroundOpen::Opening, this, [this](const QString& name) {
        progress_->setRange(0, 0);
        progressLabel_->setText("Opening " + name + "...");
        progress_->show();
        cancelButton_->show();
        progressLabel_->show();
    });
    connect(opener_, &BackgroundOpen::Progress, this, [this](const QString& name, int fetched) {
        progressLabel_->setText(QString("Opening %1: %2 rows").arg(name).arg(fetched));
    });
    connect(opener_, &BackgroundOpen::Finished, this, [this](bool opened) {
        progress_->hide();
        cancelButton_->hide();
        progressLabel_->hide();
        statusBar()->showMessage(opened ? "Opened" : "The open was cancelled or failed", 4000);
        inspector_->Reload();
        UpdateTitle();
        emit DataOpened(opened);
    });

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusMoved(now); });
}

void MainWindow::FocusMoved(QWidget* now)
{
    if (now == nullptr)
        return;
    if (masterGrid_->isAncestorOf(now) || masterNavigator_->isAncestorOf(now)) {
        lastGrid_ = masterGrid_;
        Inspect(master_.get());
    } else if (detailGrid_->isAncestorOf(now) || detailNavigator_->isAncestorOf(now)) {
        lastGrid_ = detailGrid_;
        Inspect(detail_.get());
    }
}

void MainWindow::Inspect(TVADODataSet* dataSet)
{
    if (dataSet == inspected_)
        return;
    inspected_ = dataSet;
    inspector_->SetComponent(dataSet);
    inspectorCaption_->setText("Properties of " + ToQString(dataSet->Name()));
}

TVDBGrid* MainWindow::FocusedGrid() const
{
    return lastGrid_ == detailGrid_ ? detailGrid_ : masterGrid_;
}

TVADODataSet* MainWindow::FocusedDataSet() const
{
    return FocusedGrid() == detailGrid_ ? static_cast<TVADODataSet*>(detail_.get()) : master_.get();
}

void MainWindow::UpdateTitle()
{
    auto caption = [](const TVTable& table, const char* role) {
        if (table.TableName().empty())
            return QString(role) + ": (none)";
        QString text = QString(role) + ": " + ToQString(table.TableName());
        if (!table.Relation().empty())
            text += "  (following " + ToQString(table.Relation()) + ")";
        return text;
    };
    masterCaption_->setText(caption(*master_, "Master"));
    detailCaption_->setText(caption(*detail_, "Detail"));
    // A password in the string must not show in the title bar (nor in screenshots of it).
    QString source = ToQString(connection_);
    source.replace(QRegularExpression("\\b(PWD|Password)=(\\{[^}]*\\}|[^;]*)",
                                      QRegularExpression::CaseInsensitiveOption),
                   "\\1=***");
    setWindowTitle(connection_.empty() ? QString("vmado browser") : "vmado browser - " + source);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    CloseData();
    QMainWindow::closeEvent(event);
}

bool MainWindow::SaveScreenshot(const QString& fileName)
{
    return grab().toImage().save(fileName, "PNG");
}

} // namespace vmado::browser
