// The browser's window: a master grid over one table and a detail grid over another that follows
// the master's current record, each with its navigator; a property inspector on the dataset whose
// grid has the focus; menus to pick the data source and the tables; and a status bar that shows
// the progress of an open running in the background, with a button to cancel it.
#pragma once

#include "framework/rtl/Types.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QToolButton;

namespace vmado {

class TDataSource;
class TPropertyInspector;
class TVADODataSet;
class TVDBGrid;
class TVDBNavigator;
class TVTable;

namespace browser {

class BackgroundOpen;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // settingsDir: where the datasets' settings files go (made when first written).
    explicit MainWindow(const AnsiString& settingsDir, QWidget* parent = nullptr);
    // Closes the datasets, which saves their settings.
    ~MainWindow() override;

    // Makes the sample database at path unless it is there, then opens it, by default with the
    // customers and their orders.
    bool OpenSample(const AnsiString& path, const AnsiString& master = {}, const AnsiString& detail = {});
    // Opens a data source: master in the master grid (empty: its first table) and detail following
    // it (empty: the first other table that shares a column with the master). Errors are shown
    // through the application's exception display and leave the window empty. True when the open
    // has started (it goes on in the background).
    bool OpenConnection(const AnsiString& connection, const AnsiString& master = {},
                        const AnsiString& detail = {});
    void SetMasterTable(const AnsiString& table);
    // An empty name leaves the detail grid empty.
    void SetDetailTable(const AnsiString& table);
    // Runs the connection editor on the present connection; opens what the user accepted.
    bool Connect();
    // Stops an open under way and closes both datasets, saving their settings.
    void CloseData();
    // Lets the event loop run until no open is under way; false when timeoutMs passed first.
    bool WaitForOpen(int timeoutMs);
    // Renders the window into a PNG file; false when the file cannot be written.
    bool SaveScreenshot(const QString& fileName);

    const AnsiString& Connection() const { return connection_; }
    const std::vector<AnsiString>& Tables() const { return tables_; }
    TVTable* Master() const { return master_.get(); }
    TVTable* Detail() const { return detail_.get(); }
    TVDBGrid* MasterGrid() const { return masterGrid_; }
    TVDBGrid* DetailGrid() const { return detailGrid_; }
    TVDBNavigator* MasterNavigator() const { return masterNavigator_; }
    TPropertyInspector* Inspector() const { return inspector_; }
    // The dataset the inspector shows.
    TVADODataSet* InspectedDataSet() const { return inspected_; }
    QProgressBar* ProgressBar() const { return progress_; }
    QLabel* ProgressLabel() const { return progressLabel_; }
    QToolButton* CancelButton() const { return cancelButton_; }
    BackgroundOpen* Opener() const { return opener_; }

signals:
    // An open started by the window has ended; opened: every dataset it opened is open.
    void DataOpened(bool opened);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    void FillTableMenus();
    // The detail's relation to the master, from the columns the two tables share.
    void Relate();
    void StartOpen(bool masterToo);
    void Inspect(TVADODataSet* dataSet);
    void FocusMoved(QWidget* now);
    // The dataset and the field of the grid with the focus (the master's when none has it).
    TVADODataSet* FocusedDataSet() const;
    TVDBGrid* FocusedGrid() const;
    enum class Editor { Filter, Colors, Export, FillUp };
    void RunEditor(Editor editor);
    void UpdateTitle();
    AnsiString SettingsFile(const AnsiString& table, const char* role) const;

    AnsiString settingsDir_;
    AnsiString connection_;
    std::vector<AnsiString> tables_;
    std::unique_ptr<TVTable> master_;
    std::unique_ptr<TVTable> detail_;
    std::unique_ptr<TDataSource> masterSource_;
    std::unique_ptr<TDataSource> detailSource_;
    TVADODataSet* inspected_ = nullptr;

    TVDBGrid* masterGrid_ = nullptr;
    TVDBGrid* detailGrid_ = nullptr;
    TVDBNavigator* masterNavigator_ = nullptr;
    TVDBNavigator* detailNavigator_ = nullptr;
    QLabel* masterCaption_ = nullptr;
    QLabel* detailCaption_ = nullptr;
    QLabel* inspectorCaption_ = nullptr;
    TPropertyInspector* inspector_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    QMenu* masterMenu_ = nullptr;
    QMenu* detailMenu_ = nullptr;
    BackgroundOpen* opener_ = nullptr;
    QWidget* lastGrid_ = nullptr; // the grid that last had the focus
};

} // namespace browser
} // namespace vmado
