// The sub-list: datasets that open with their owner and close before it, some on worker threads.
// A worker does only engine work (connect, execute, fetch); whatever controls or dataset events
// can observe happens on the main thread when it hands back, and its data source stays detached
// until then.
#pragma once

#include "framework/classes/Collection.h"
#include "framework/classes/Component.h"
#include "framework/classes/Thread.h"
#include "framework/db/DataSource.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>

namespace vmado {

class TVADODataSet;
class TVADOThread;
namespace dataset {
struct PreparedOpen;
}

// How the last background open of a sub-list item went.
enum TVOpenResult { orNone, orRunning, orOpened, orFailed, orCancelled };

class TVSubItem : public TCollectionItem {
public:
    explicit TVSubItem(TCollection* collection);
    // Stops a background open still running for this item first.
    ~TVSubItem() override;
    AnsiString ClassName() const override { return "TVSubItem"; }
    void Assign(const TPersistent* source) override;

    // The data source's name; the item's default caption without one.
    AnsiString DisplayName() const override;
    AnsiString GetItemName() const { return DisplayName(); }
    TDataSource* GetDataSource() const;
    void SetDataSource(TDataSource* value);
    // The data source's dataset: none without a data source, and none while a background open
    // keeps the data source detached.
    TDataSet* GetDataSet() const;
    bool Background() const { return background_; }
    void SetBackground(bool value) { background_ = value; }

    TVOpenResult OpenResult() const;
    // The worker of the last background open, kept until the next one or until the item goes.
    TVADOThread* Thread() const { return thread_.get(); }
    // Cancels a running background open and waits for it; the dataset stays closed and the data
    // source is attached again. Nothing when no open runs.
    void CancelOpen();

private:
    friend class TVSubList;
    void StartOpen(TVADODataSet* dataSet);

    std::unique_ptr<TDataLink> dataLink_;
    bool background_ = true;
    std::unique_ptr<TVADOThread> thread_;
};

class TVSubList : public TOwnedCollection {
public:
    explicit TVSubList(TVADODataSet* dataSet);
    // The items stop their running opens as they go.
    ~TVSubList() override;
    AnsiString ClassName() const override { return "TVSubList"; }

    TVADODataSet* DataSet() const { return dataSet_; }
    TVSubItem* Add();
    TVSubItem* Add(TDataSource* dataSource, bool background);
    TVSubItem* Items(Integer index) const;
    TVSubItem* GetItem(Integer index) const { return Items(index); }
    void SetItem(Integer index, const TVSubItem* value) { TCollection::SetItem(index, value); }
    // The first item whose name equals name exactly; null when none does.
    TVSubItem* FindItem(const AnsiString& name) const;

    // Opens the items' datasets: foreground ones before returning, background ones on workers.
    // A dataset that is open, being opened, or is one of those whose sub-lists are opening now
    // (a cycle) is skipped.
    void Open();
    // Ends every running background open, then closes the open datasets, last item first.
    void Close();
    // Cancels every running background open and waits for it.
    void CancelOpens();

private:
    TVADODataSet* dataSet_;
};

// Opens one dataset with its data source detached: the engine work on this thread, the rest on
// the main thread at the hand-back. Owned by the sub-list item that started it; freeing it
// cancels an open still running and waits for it.
class TVADOThread : public TThread {
public:
    // On the main thread: prepares the open (a shared master connection is opened here), detaches
    // the data source and starts. Raises EDatabaseError when the data source has no TVADODataSet.
    explicit TVADOThread(TDataSource* dataSource);
    ~TVADOThread() override;
    AnsiString ClassName() const override { return "TVADOThread"; }

    TVADODataSet* DataSet() const { return dataSet_; }
    TDataSource* DataSource() const { return dataSource_; }
    TVOpenResult Result() const { return result_; }
    // The exception of a failed open (already shown), or null.
    std::exception_ptr Error() const { return error_; }
    // Rows fetched so far.
    Integer Fetched() const { return fetched_.load(); }
    // Main thread: stops the open and waits; see TVSubItem::CancelOpen.
    void Cancel();

protected:
    void Execute() override;
    // Main thread: the dataset takes what the worker fetched and opens; the data source is
    // attached again whatever the outcome.
    void ConnectDataSource();
    // Main thread: the application's exception display shows the failed open's error.
    void ShowQryError();

private:
    class Watcher;
    bool Observe(Integer fetched); // worker: progress and the cancel request
    void ReportProgress();         // main thread
    void HandBack();               // main thread, through Synchronize
    void Finish(TVOpenResult result);
    void Forget(TComponent* component); // main thread: a data source or dataset is going

    TVADODataSet* dataSet_;
    TDataSource* dataSource_;
    std::exception_ptr error_;
    std::unique_ptr<dataset::PreparedOpen> prepared_;
    std::unique_ptr<Watcher> watcher_;
    TVOpenResult result_ = orRunning;
    bool finished_ = false; // the hand-back or a cancel has ended the open (main thread)
    bool handingBack_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<Integer> fetched_{0};
    std::atomic<bool> reportQueued_{false};
    std::chrono::steady_clock::time_point lastReport_{}; // worker only
};

} // namespace vmado
