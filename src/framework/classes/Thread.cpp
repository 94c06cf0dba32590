// TThread and the main-thread hand-over. One process-wide queue carries Synchronize calls to
// CheckSynchronize; the same mutex and condition variable also announce a thread's end, so a
// main thread waiting for a worker keeps serving its synchronised calls without polling.
#include "framework/classes/Thread.h"

#include "framework/rtl/Exceptions.h"

#include <deque>
#include <functional>
#include <memory>
#include <sstream>

namespace vmado {

namespace {

struct SyncRequest {
    const TThreadMethod* Method = nullptr;
    bool Done = false;
    std::exception_ptr Error;
    // A queued call: the queue owns the request and a copy of the method, nobody waits for it.
    const TThread* QueuedBy = nullptr;
    TThreadMethod QueuedMethod;
};

struct SyncState {
    std::mutex Mutex;
    std::condition_variable MainCv; // a request was queued or a thread ended
    std::condition_variable DoneCv; // a request has run
    std::deque<SyncRequest*> Queue;
    std::function<void()> Wake;
};

// Never destroyed: detached (FreeOnTerminate) threads may still use it while the process exits.
SyncState& State()
{
    static SyncState* state = new SyncState;
    return *state;
}

// Static initialisation runs on the thread that starts the program.
const std::thread::id gMainThreadID = std::this_thread::get_id();

bool OnMainThread()
{
    return std::this_thread::get_id() == gMainThreadID;
}

AnsiString ThreadIdText(std::thread::id id)
{
    std::ostringstream out;
    out << std::hex << std::hash<std::thread::id>{}(id);
    return out.str();
}

void RunOnMainThread(const TThreadMethod& method)
{
    if (OnMainThread()) {
        method();
        return;
    }
    SyncState& state = State();
    SyncRequest request;
    request.Method = &method;
    std::function<void()> wake;
    {
        std::lock_guard lock(state.Mutex);
        state.Queue.push_back(&request);
        wake = state.Wake;
    }
    state.MainCv.notify_all();
    if (wake)
        wake();
    {
        std::unique_lock lock(state.Mutex);
        state.DoneCv.wait(lock, [&] { return request.Done; });
    }
    if (request.Error)
        std::rethrow_exception(request.Error);
}

} // namespace

std::thread::id MainThreadID()
{
    return gMainThreadID;
}

bool CheckSynchronize(int timeoutMs)
{
    if (!OnMainThread())
        throw EThread("CheckSynchronize called from thread $" + ThreadIdText(std::this_thread::get_id()) +
                      ", which is NOT the main thread");
    SyncState& state = State();
    std::size_t pending = 0;
    {
        std::unique_lock lock(state.Mutex);
        if (state.Queue.empty() && timeoutMs > 0)
            state.MainCv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return !state.Queue.empty(); });
        pending = state.Queue.size();
    }
    // Taken one at a time rather than as a batch: a call may remove the queued calls of a
    // thread it frees, and those must not run afterwards. Calls queued meanwhile wait for the
    // next round, so a thread that keeps queueing cannot hold the main thread here.
    bool ran = false;
    for (; pending > 0; --pending) {
        SyncRequest* request = nullptr;
        {
            std::lock_guard lock(state.Mutex);
            if (state.Queue.empty())
                break;
            request = state.Queue.front();
            state.Queue.pop_front();
        }
        ran = true;
        if (request->QueuedBy != nullptr) {
            const std::unique_ptr<SyncRequest> owned(request);
            request->QueuedMethod(); // like a synchronised call, an exception ends up with the caller
            continue;
        }
        try {
            (*request->Method)();
        } catch (...) {
            request->Error = std::current_exception();
        }
        {
            // The worker owns the request and may return as soon as it sees Done.
            std::lock_guard lock(state.Mutex);
            request->Done = true;
        }
        state.DoneCv.notify_all();
    }
    return ran;
}

void SetWakeMainThread(std::function<void()> wake)
{
    SyncState& state = State();
    std::lock_guard lock(state.Mutex);
    state.Wake = std::move(wake);
}

// ---- TThread -----------------------------------------------------------------------------------

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended) {}

TThread::~TThread()
{
    RemoveQueuedEvents(this);
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        thread = std::move(thread_);
    }
    if (!thread.joinable())
        return;
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach(); // FreeOnTerminate: the thread is deleting its own object as it ends
        return;
    }
    Terminate();
    WaitForEnd();
    thread.join();
}

void TThread::AfterConstruction()
{
    if (!createSuspended_)
        Start();
}

void TThread::Start()
{
    std::lock_guard lock(mutex_);
    if (started_)
        throw EThread("Cannot call Start on a running or finished thread");
    started_ = true;
    thread_ = std::thread([this] { Run(); });
    id_ = thread_.get_id();
}

bool TThread::Suspended() const
{
    std::lock_guard lock(mutex_);
    return !started_;
}

std::thread::id TThread::ThreadID() const
{
    std::lock_guard lock(mutex_);
    return id_;
}

std::exception_ptr TThread::FatalException() const
{
    std::lock_guard lock(mutex_);
    return fatal_;
}

void TThread::Run()
{
    try {
        if (!Terminated())
            Execute();
    } catch (...) {
        std::lock_guard lock(mutex_);
        fatal_ = std::current_exception();
    }
    finished_.store(true);
    try {
        DoTerminate();
    } catch (...) {
        std::lock_guard lock(mutex_);
        if (!fatal_)
            fatal_ = std::current_exception();
    }
    const bool freeSelf = FreeOnTerminate();
    SyncState& state = State();
    {
        std::lock_guard lock(state.Mutex);
        ended_ = true;
    }
    state.MainCv.notify_all();
    // Past this point the object belongs to whoever waited for it, unless it frees itself.
    if (freeSelf)
        delete this;
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize([this] { OnTerminate(this); });
}

void TThread::WaitForEnd()
{
    SyncState& state = State();
    std::unique_lock lock(state.Mutex);
    if (!OnMainThread()) {
        state.MainCv.wait(lock, [&] { return ended_; });
        return;
    }
    while (!ended_) {
        if (!state.Queue.empty()) {
            lock.unlock();
            CheckSynchronize(0);
            lock.lock();
            continue;
        }
        state.MainCv.wait(lock);
    }
}

Integer TThread::WaitFor()
{
    {
        std::lock_guard lock(mutex_);
        if (!started_)
            throw EThread("Cannot wait for a thread that has not been started");
        if (id_ == std::this_thread::get_id())
            throw EThread("A thread cannot wait for itself");
    }
    WaitForEnd();
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        thread = std::move(thread_);
    }
    if (thread.joinable())
        thread.join();
    return ReturnValue();
}

void TThread::Synchronize(const TThreadMethod& method)
{
    RunOnMainThread(method);
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method)
{
    RunOnMainThread(method);
}

void TThread::Queue(const TThreadMethod& method)
{
    if (OnMainThread()) {
        method();
        return;
    }
    auto request = std::make_unique<SyncRequest>();
    request->QueuedBy = this;
    request->QueuedMethod = method;
    SyncState& state = State();
    std::function<void()> wake;
    {
        std::lock_guard lock(state.Mutex);
        state.Queue.push_back(request.release());
        wake = state.Wake;
    }
    state.MainCv.notify_all();
    if (wake)
        wake();
}

void TThread::RemoveQueuedEvents(TThread* thread)
{
    SyncState& state = State();
    std::deque<SyncRequest*> dropped;
    {
        std::lock_guard lock(state.Mutex);
        std::deque<SyncRequest*> kept;
        for (SyncRequest* request : state.Queue)
            (request->QueuedBy == thread ? dropped : kept).push_back(request);
        state.Queue.swap(kept);
    }
    for (SyncRequest* request : dropped)
        delete request;
}

} // namespace vmado
