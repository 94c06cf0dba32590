// The worker's end shows only in its result, set by its hand-back on the main thread; a short
// timer notices it there, so nothing here runs on the worker.
#include "BackgroundOpen.h"

#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSource.h"
#include "tables/VTables.h"

namespace vmado::browser {

namespace {

constexpr int kPollMs = 20;

} // namespace

BackgroundOpen::BackgroundOpen(QObject* parent) : QObject(parent)
{
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
}

BackgroundOpen::~BackgroundOpen()
{
    queue_.clear();
    if (Running())
        thread_->Cancel();
    if (thread_ != nullptr && thread_->DataSet() != nullptr)
        thread_->DataSet()->OnFetchProgress = nullptr;
}

void BackgroundOpen::Start(std::deque<TDataSource*> sources)
{
    Cancel();
    queue_ = std::move(sources);
    StartNext();
}

void BackgroundOpen::Cancel()
{
    queue_.clear();
    if (!Running())
        return;
    thread_->Cancel();
    End(orCancelled);
}

void BackgroundOpen::StartNext()
{
    if (queue_.empty()) {
        done_ = true;
        emit Finished(true);
        return;
    }
    TDataSource* source = queue_.front();
    queue_.pop_front();
    auto* dataSet = dynamic_cast<TVADODataSet*>(source->DataSet());
    name_ = dataSet == nullptr ? QString() : ToQString(dataSet->Name());
    if (auto* table = dynamic_cast<TVTable*>(dataSet); table != nullptr && !table->TableName().empty())
        name_ = ToQString(table->TableName());
    if (dataSet != nullptr) {
        const QString name = name_;
        dataSet->OnFetchProgress = [this, name](TDataSet*, Integer fetched) { emit Progress(name, fetched); };
    }
    thread_.reset(); // the previous worker has ended
    done_ = false;
    emit Opening(name_);
    try {
        thread_ = std::make_unique<TVADOThread>(source);
    } catch (const Exception& e) {
        if (dataSet != nullptr)
            dataSet->OnFetchProgress = nullptr;
        lastResult_ = orFailed;
        done_ = true;
        queue_.clear();
        Application()->ShowException(e);
        emit Finished(false);
        return;
    }
    poll_.start();
}

void BackgroundOpen::Poll()
{
    if (thread_ == nullptr || thread_->Result() == orRunning)
        return;
    const TVOpenResult result = thread_->Result();
    if (result == orOpened && !queue_.empty()) {
        if (thread_->DataSet() != nullptr)
            thread_->DataSet()->OnFetchProgress = nullptr;
        lastResult_ = result;
        StartNext();
        return;
    }
    End(result);
}

void BackgroundOpen::End(TVOpenResult result)
{
    poll_.stop();
    if (thread_ != nullptr && thread_->DataSet() != nullptr)
        thread_->DataSet()->OnFetchProgress = nullptr;
    lastResult_ = result;
    done_ = true;
    queue_.clear();
    emit Finished(result == orOpened);
}

} // namespace vmado::browser
