// Opens datasets one after another on worker threads while the window stays responsive. The
// workers only fetch; each dataset takes its rows, and its controls see it, on the main thread
// when its worker hands back (the dataset's own background-open rules). Progress and the end are
// reported as signals on the main thread.
#pragma once

#include "dataset/SubList.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

namespace vmado {

class TDataSource;

namespace browser {

class BackgroundOpen : public QObject {
    Q_OBJECT

public:
    explicit BackgroundOpen(QObject* parent = nullptr);
    // Cancels an open still running and waits for its worker.
    ~BackgroundOpen() override;

    // Opens the datasets of sources in order, each once the one before it has opened; a failed
    // or cancelled one ends the run. A run still going is cancelled first.
    void Start(std::deque<TDataSource*> sources);
    // Stops the running open (its dataset stays closed) and drops the ones waiting.
    void Cancel();
    bool Running() const { return thread_ != nullptr && !done_; }
    // How the last open ended.
    TVOpenResult LastResult() const { return lastResult_; }

signals:
    // name: the table's name, or the dataset's.
    void Opening(const QString& name);
    void Progress(const QString& name, int fetched);
    // opened: every dataset of the run opened.
    void Finished(bool opened);

private:
    void StartNext();
    void Poll();
    void End(TVOpenResult result);

    std::deque<TDataSource*> queue_;
    std::unique_ptr<TVADOThread> thread_;
    QString name_;
    QTimer poll_;
    bool done_ = true;
    TVOpenResult lastResult_ = orNone;
};

} // namespace browser
} // namespace vmado
