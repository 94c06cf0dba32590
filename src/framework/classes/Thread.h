// TThread: Execute on its own std::thread, with Synchronize handing calls to the main thread,
// which runs them inside CheckSynchronize (pumped by the application's message loop).
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/classes/Persistent.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vmado {

using TThreadMethod = std::function<void()>;

// The thread that initialised the library (the program's main thread).
std::thread::id MainThreadID();

// Runs the calls other threads have queued with Synchronize, in their order; waits up to
// timeoutMs for the first one when none is queued. Returns true when it ran at least one.
// Raises EThread when called from any thread but the main one.
bool CheckSynchronize(int timeoutMs = 0);

// Called (on the synchronising thread) whenever a call is queued, so that an event loop can
// wake up and call CheckSynchronize; the Qt module sets it. Null by default.
void SetWakeMainThread(std::function<void()> wake);

class TThread : public TObject {
public:
    // C++ runs a base constructor before the derived one, so a thread cannot start from here
    // without racing the derived constructor: it starts at Start(). createSuspended=false only
    // marks it for AfterConstruction(), which TThread::Create<T> calls for you.
    explicit TThread(bool createSuspended = true);
    // Destroying a thread that still runs: Terminate, then wait for it. A derived class must
    // make sure Execute has ended before its own members go (WaitFor, or FreeOnTerminate).
    ~TThread() override;

    AnsiString ClassName() const override { return "TThread"; }

    // Constructs T(args...) and starts it unless it was created suspended.
    template <typename T, typename... Args> static T* Create(Args&&... args)
    {
        T* thread = new T(std::forward<Args>(args)...);
        thread->AfterConstruction();
        return thread;
    }
    void AfterConstruction();

    // Starts a suspended thread; raises EThread when it has already been started.
    void Start();
    void Resume() { Start(); }
    bool Suspended() const;

    // Asks Execute to stop: sets Terminated, which Execute polls.
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }

    // Blocks until the thread has ended (Execute and OnTerminate) and returns ReturnValue. On
    // the main thread it keeps running synchronised calls meanwhile, so it cannot deadlock with
    // the worker. Not for FreeOnTerminate threads (the object may be gone). Raises EThread when
    // the thread waits for itself or was never started.
    Integer WaitFor();

    // When set, the object deletes itself after Execute and OnTerminate.
    bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }

    // True once Execute has returned.
    bool Finished() const { return finished_.load(); }
    std::thread::id ThreadID() const;
    Integer ReturnValue() const { return returnValue_.load(); }
    // The exception that escaped Execute, or null.
    std::exception_ptr FatalException() const;

    // Runs method on the main thread and blocks until it has run there; an exception raised by
    // method is raised again here. On the main thread the call is immediate.
    void Synchronize(const TThreadMethod& method);
    static void Synchronize(TThread* thread, const TThreadMethod& method);
    // Hands method to the main thread and returns at once; the main thread runs it at its next
    // CheckSynchronize, in order with the synchronised calls. On the main thread it runs at once.
    void Queue(const TThreadMethod& method);
    // Drops the calls thread queued that have not run yet; call it on the main thread before
    // whatever those calls use goes away.
    static void RemoveQueuedEvents(TThread* thread);

    // Called on the main thread (through Synchronize) after Execute.
    TNotifyEvent OnTerminate;

protected:
    virtual void Execute() = 0;
    // Calls OnTerminate through Synchronize when it is set.
    virtual void DoTerminate();
    void SetReturnValue(Integer value) { returnValue_.store(value); }

private:
    void Run();
    void WaitForEnd(); // until Run has finished; serves synchronised calls on the main thread

    std::thread thread_;
    mutable std::mutex mutex_; // guards thread_, started_, id_, fatal_
    bool createSuspended_;
    bool started_ = false;
    std::thread::id id_; // kept after the std::thread has been joined
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false}; // Execute returned
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<Integer> returnValue_{0};
    std::exception_ptr fatal_;
    bool ended_ = false; // Execute and OnTerminate done; guarded by the sync mutex
};

} // namespace vmado
