// Sub-lists and background opening. A worker thread touches only the objects of its PreparedOpen
// (and a shared connection, which the engine serialises); the dataset, its data source and every
// event stay on the main thread, so nothing here needs a lock of its own.
#include "dataset/SubList.h"
#include "dataset/SubListPrivate.h"
#include "dataset/VDB.h"

#include "framework/classes/Application.h"

#include <algorithm>
#include <vector>

namespace vmado {

namespace {

// Datasets whose sub-lists are opening or closing now, outermost first; main thread only. A
// dataset met again while its own sub-list is at work is a cycle and is left alone.
std::vector<const TDataSet*>& Busy()
{
    static std::vector<const TDataSet*> busy;
    return busy;
}

bool IsBusy(const TDataSet* dataSet)
{
    const auto& busy = Busy();
    return std::find(busy.begin(), busy.end(), dataSet) != busy.end();
}

class BusyScope {
public:
    explicit BusyScope(const TDataSet* dataSet) { Busy().push_back(dataSet); }
    ~BusyScope() { Busy().pop_back(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

AnsiString NameOf(const TComponent* component)
{
    return component->Name().empty() ? component->ClassName() : component->Name();
}

// Rows between two progress reports of one open are at least this far apart in time.
constexpr auto kReportInterval = std::chrono::milliseconds(50);

} // namespace

// ---- the worker's part ------------------------------------------------------------------------

void dataset::PreparedOpen::Run(const std::function<bool(Integer fetched)>& observer)
{
    if (Error || !Runnable)
        return;
    try {
        TVConnection* connection = Shared;
        if (connection == nullptr) {
            OwnConnection = std::make_unique<TVConnection>(true);
            OwnConnection->CursorLocation = CursorLocation;
            OwnConnection->SetConnect(Connection);
            OwnConnection->Open();
            connection = OwnConnection.get();
        }
        Records = std::make_unique<TVRecords>(connection);
        Records->SetSort(Sort);
        Records->CursorType = CursorType;
        Records->LockType = LockType;
        Records->CommandType = CommandType;
        Records->Source = Command;
        Records->Recordset->SetCacheSize(CacheSize);
        Records->SetMaxRec(MaxRecords);
        Records->SetFilter(Filter);
        Records->Recordset->SetFetchObserver(observer);
        try {
            Records->Open();
        } catch (...) {
            Records->Recordset->SetFetchObserver(nullptr);
            throw;
        }
        // The recordset outlives this worker; a later requery must not call back into it.
        Records->Recordset->SetFetchObserver(nullptr);
    } catch (...) {
        Error = std::current_exception();
    }
}

// ---- TVSubItem ------------------------------------------------------------------------------------

TVSubItem::TVSubItem(TCollection* collection)
    : TCollectionItem(collection), dataLink_(std::make_unique<TDataLink>())
{
}

TVSubItem::~TVSubItem()
{
    thread_.reset();
}

void TVSubItem::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TVSubItem*>(source)) {
        SetDataSource(item->GetDataSource());
        SetBackground(item->Background());
        return;
    }
    TCollectionItem::Assign(source);
}

AnsiString TVSubItem::DisplayName() const
{
    const TDataSource* dataSource = GetDataSource();
    if (dataSource == nullptr || dataSource->Name().empty())
        return TCollectionItem::DisplayName();
    return dataSource->Name();
}

TDataSource* TVSubItem::GetDataSource() const
{
    return dataLink_->DataSource();
}

void TVSubItem::SetDataSource(TDataSource* value)
{
    dataLink_->SetDataSource(value);
}

TDataSet* TVSubItem::GetDataSet() const
{
    return dataLink_->DataSet();
}

TVOpenResult TVSubItem::OpenResult() const
{
    return thread_ ? thread_->Result() : orNone;
}

void TVSubItem::CancelOpen()
{
    if (thread_)
        thread_->Cancel();
}

void TVSubItem::StartOpen(TVADODataSet* dataSet)
{
    thread_.reset(); // the last one has ended, or the dataset would still be opening
    thread_ = std::make_unique<TVADOThread>(GetDataSource());
}

// ---- TVSubList -------------------------------------------------------------------------------------

TVSubList::TVSubList(TVADODataSet* dataSet)
    : TOwnedCollection(dataSet, ItemClassOf<TVSubItem>()), dataSet_(dataSet)
{
}

TVSubList::~TVSubList()
{
    CancelOpens();
}

TVSubItem* TVSubList::Add()
{
    return static_cast<TVSubItem*>(TCollection::Add());
}

TVSubItem* TVSubList::Add(TDataSource* dataSource, bool background)
{
    TVSubItem* item = Add();
    item->SetDataSource(dataSource);
    item->SetBackground(background);
    return item;
}

TVSubItem* TVSubList::Items(Integer index) const
{
    return static_cast<TVSubItem*>(TCollection::Items(index));
}

TVSubItem* TVSubList::FindItem(const AnsiString& name) const
{
    for (Integer i = 0; i < Count(); ++i) {
        if (Items(i)->GetItemName() == name)
            return Items(i);
    }
    return nullptr;
}

void TVSubList::Open()
{
    const BusyScope scope(dataSet_);
    for (Integer i = 0; i < Count(); ++i) {
        TVSubItem* item = Items(i);
        TDataSet* dataSet = item->GetDataSet();
        if (dataSet == nullptr || dataSet->Active() || dataSet == dataSet_ || IsBusy(dataSet))
            continue;
        auto* adoDataSet = dynamic_cast<TVADODataSet*>(dataSet);
        if (adoDataSet != nullptr && adoDataSet->OpeningInBackground())
            continue;
        // Only this library's datasets can split their open between a worker and the main
        // thread; any other dataset opens here.
        if (item->Background() && adoDataSet != nullptr)
            item->StartOpen(adoDataSet);
        else
            dataSet->Open();
    }
}

void TVSubList::Close()
{
    const BusyScope scope(dataSet_);
    CancelOpens();
    for (Integer i = Count() - 1; i >= 0; --i) {
        TDataSet* dataSet = Items(i)->GetDataSet();
        if (dataSet != nullptr && dataSet->Active() && dataSet != dataSet_ && !IsBusy(dataSet))
            dataSet->Close();
    }
}

void TVSubList::CancelOpens()
{
    for (Integer i = Count() - 1; i >= 0; --i)
        Items(i)->CancelOpen();
}

// ---- TVADOThread ------------------------------------------------------------------------------------

// Hears when the data source or the dataset goes while the thread still refers to them.
class TVADOThread::Watcher : public TComponent {
public:
    explicit Watcher(TVADOThread* thread) : TComponent(nullptr), thread_(thread) {}
    AnsiString ClassName() const override { return "TVADOThread.Watcher"; }
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove)
            thread_->Forget(component);
    }

private:
    TVADOThread* thread_;
};

TVADOThread::TVADOThread(TDataSource* dataSource)
    : TThread(true), dataSet_(nullptr), dataSource_(dataSource),
      prepared_(std::make_unique<dataset::PreparedOpen>())
{
    if (dataSource == nullptr)
        throw EDatabaseError("Cannot open in the background: no data source was given");
    dataSet_ = dynamic_cast<TVADODataSet*>(dataSource->DataSet());
    if (dataSet_ == nullptr)
        throw EDatabaseError("Cannot open the dataset of " + NameOf(dataSource) +
                             " in the background: it is not a TVADODataSet");
    if (dataSet_->OpeningInBackground())
        throw EDatabaseError("Cannot open " + NameOf(dataSet_) +
                             " in the background: it is already being opened");
    try {
        dataSet_->BeginBackgroundOpen(*prepared_);
    } catch (...) {
        // Reported like any failure of the open, at the hand-back.
        prepared_->Error = std::current_exception();
    }
    watcher_ = std::make_unique<Watcher>(this);
    dataSource_->FreeNotification(watcher_.get());
    dataSet_->FreeNotification(watcher_.get());
    dataSet_->backgroundOpen_ = this;
    dataSource_->SetDataSet(nullptr);
    Start();
}

TVADOThread::~TVADOThread()
{
    try {
        Cancel();
    } catch (...) {
    }
    RemoveQueuedEvents(this);
}

void TVADOThread::Execute()
{
    prepared_->Run([this](Integer fetched) { return Observe(fetched); });
    if (!Terminated())
        Synchronize([this] { HandBack(); });
}

bool TVADOThread::Observe(Integer fetched)
{
    fetched_.store(fetched);
    if (cancel_.load())
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (fetched > 0 && now - lastReport_ >= kReportInterval && !reportQueued_.exchange(true)) {
        lastReport_ = now;
        Queue([this] { ReportProgress(); });
    }
    return true;
}

void TVADOThread::ReportProgress()
{
    reportQueued_.store(false);
    if (!finished_ && dataSet_ != nullptr && dataSet_->OnFetchProgress)
        dataSet_->OnFetchProgress(dataSet_, fetched_.load());
}

void TVADOThread::HandBack()
{
    if (finished_)
        return;
    handingBack_ = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{handingBack_};
    if (cancel_.load() || dataSet_ == nullptr) {
        Finish(orCancelled);
        return;
    }
    ConnectDataSource();
}

void TVADOThread::ConnectDataSource()
{
    TVADODataSet* dataSet = dataSet_;
    dataSet->backgroundOpen_ = nullptr;
    if (!prepared_->Error && prepared_->Records && dataSet->OnFetchProgress)
        dataSet->OnFetchProgress(dataSet, fetched_.load());
    TVOpenResult result = orOpened;
    dataSet->prepared_ = std::move(prepared_);
    try {
        dataSet->Open();
    } catch (...) {
        error_ = std::current_exception();
        result = orFailed;
    }
    // Still there when something before InternalOpen (BeforeOpen) refused the open.
    dataSet->prepared_.reset();
    Finish(result);
    if (result == orFailed)
        ShowQryError();
}

void TVADOThread::ShowQryError()
{
    try {
        std::rethrow_exception(error_);
    } catch (...) {
        Application()->HandleException(dataSet_);
    }
}

void TVADOThread::Finish(TVOpenResult result)
{
    if (finished_)
        return;
    finished_ = true;
    result_ = result;
    if (dataSet_ != nullptr && dataSet_->backgroundOpen_ == this)
        dataSet_->backgroundOpen_ = nullptr;
    // A dataset on its way out gets no data source back.
    if (dataSource_ == nullptr || dataSet_ == nullptr || dataSet_->ComponentState().Contains(csDestroying) ||
        dataSource_->DataSet() != nullptr)
        return;
    try {
        dataSource_->SetDataSet(dataSet_);
    } catch (...) {
        Application()->HandleException(dataSource_);
    }
}

void TVADOThread::Cancel()
{
    if (!finished_) {
        cancel_.store(true);
        Terminate();
    }
    // Asked from an event of this thread's own hand-back: the worker waits for that to return,
    // so waiting for the worker here could never end. It ends as soon as the hand-back does.
    if (handingBack_)
        return;
    WaitFor(); // runs the hand-back meanwhile when it is already queued; it sees the cancel
    Finish(orCancelled);
}

void TVADOThread::Forget(TComponent* component)
{
    if (component == dataSource_)
        dataSource_ = nullptr;
    if (component == dataSet_) {
        cancel_.store(true);
        dataSet_ = nullptr;
    }
}

// ---- the dataset's side ---------------------------------------------------------------------------

void TVADODataSet::SubListOpen()
{
    subList_->Open();
}

void TVADODataSet::SubListClose()
{
    subList_->Close();
}

void TVADODataSet::CloseInactive()
{
    if (backgroundOpen_ != nullptr)
        backgroundOpen_->Cancel();
}

void TVADODataSet::CancelOpen()
{
    if (backgroundOpen_ != nullptr)
        backgroundOpen_->Cancel();
    else
        cancelOpen_ = true;
}

void TVADODataSet::BeginBackgroundOpen(dataset::PreparedOpen& prepared)
{
    prepared.Runnable = !connection_.empty() && !commandText_.empty();
    if (!prepared.Runnable)
        return;
    // The settings file may bring a sort and filters, which the worker's recordset must have.
    InternalLoad(fileName_);
    prepared.Connection = connection_;
    prepared.Command = commandText_;
    prepared.Sort = sort_;
    prepared.Filter = FilterText();
    prepared.CommandType = commandType_;
    prepared.CursorType = cursorType_;
    prepared.LockType = lockType_;
    prepared.CursorLocation = cursorLocation_;
    prepared.CacheSize = cacheSize_;
    prepared.MaxRecords = maxRecords_;
    if (options_.Contains(opConnection) && master_ != nullptr) {
        // Opening the shared connection is no job for a worker: the master and the other datasets
        // on it live on the main thread.
        if (!ConnectionOpen())
            throw EDatabaseError("Cannot open " + NameOf(this) + ": its master's connection did not open");
        prepared.Shared = connectionObject_;
    }
}

bool TVADODataSet::PreparedFits(const dataset::PreparedOpen& prepared) const
{
    if (!prepared.Runnable)
        return false;
    const bool onMaster = options_.Contains(opConnection) && master_ != nullptr;
    if (onMaster ? connectionObject_ != prepared.Shared : prepared.Shared != nullptr)
        return false;
    return prepared.Connection == connection_ && prepared.Command == commandText_ && prepared.Sort == sort_ &&
           prepared.Filter == FilterText() && prepared.CommandType == commandType_ &&
           prepared.CursorType == cursorType_ && prepared.LockType == lockType_ &&
           prepared.CacheSize == cacheSize_ && prepared.MaxRecords == maxRecords_ &&
           (onMaster || prepared.CursorLocation == cursorLocation_);
}

void TVADODataSet::AdoptPrepared(dataset::PreparedOpen& prepared)
{
    if (prepared.Error)
        std::rethrow_exception(prepared.Error);
    if (prepared.Shared == nullptr) {
        ConnectionClose();
        ownConnection_ = std::move(prepared.OwnConnection);
        connectionObject_ = ownConnection_.get();
    }
    if (OnVerbose) {
        OnVerbose(prepared.Filter, vmFilter);
        OnVerbose(commandText_, vmCommand);
    }
    records_ = std::move(prepared.Records);
}

void TVADODataSet::WatchFetch(TVRecords& records)
{
    cancelOpen_ = false;
    std::chrono::steady_clock::time_point last{}; // the first rows are reported at once
    Integer reported = 0;
    records.Recordset->SetFetchObserver([this, last, reported](Integer fetched) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (OnFetchProgress && fetched > reported && now - last >= kReportInterval) {
            last = now;
            reported = fetched;
            OnFetchProgress(this, fetched);
        }
        return !cancelOpen_;
    });
}

} // namespace vmado
