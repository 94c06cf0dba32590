// TThread: Synchronize from several self-freeing workers served by CheckSynchronize, WaitFor
// serving synchronised calls, exceptions in Execute and in synchronised calls, suspended starts.
#include "framework/classes/Thread.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

using namespace vmado;

namespace {

// Serves synchronised calls until done() holds; fails the test after a generous deadline.
template <class F> void PumpUntil(F done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "workers did not finish";
        CheckSynchronize(100);
    }
}

// Adds to a counter that only the main thread may touch, `rounds` times through Synchronize.
class TCountingThread : public TThread {
public:
    TCountingThread(int* counter, int rounds, bool* offMain)
        : TThread(true), counter_(counter), rounds_(rounds), offMain_(offMain)
    {
        ++Alive;
    }
    ~TCountingThread() override { --Alive; }
    static inline std::atomic<int> Alive{0};

protected:
    void Execute() override
    {
        for (int i = 0; i < rounds_ && !Terminated(); ++i)
            Synchronize([this] {
                if (std::this_thread::get_id() != MainThreadID())
                    *offMain_ = true;
                ++*counter_;
            });
    }

private:
    int* counter_;
    int rounds_;
    bool* offMain_;
};

TEST(Thread, SynchronizeFromSeveralSelfFreeingWorkers)
{
    constexpr int kWorkers = 4;
    constexpr int kRounds = 50;
    int counter = 0; // main thread only
    int terminated = 0;
    bool offMain = false;
    for (int i = 0; i < kWorkers; ++i) {
        auto* worker = new TCountingThread(&counter, kRounds, &offMain);
        worker->SetFreeOnTerminate(true);
        worker->OnTerminate = [&](TObject* sender) {
            EXPECT_EQ(std::this_thread::get_id(), MainThreadID());
            EXPECT_NE(dynamic_cast<TCountingThread*>(sender), nullptr);
            ++terminated;
        };
        worker->Start();
    }
    PumpUntil([&] { return terminated == kWorkers; });
    PumpUntil([] { return TCountingThread::Alive.load() == 0; });
    EXPECT_EQ(counter, kWorkers * kRounds);
    EXPECT_FALSE(offMain);
}

class TLambdaThread : public TThread {
public:
    explicit TLambdaThread(std::function<void(TLambdaThread&)> body, bool suspended = true)
        : TThread(suspended), body_(std::move(body))
    {
    }
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TLambdaThread&)> body_;
};

TEST(Thread, WaitForOnTheMainThreadServesSynchronize)
{
    int seen = 0;
    TLambdaThread worker([&](TLambdaThread& self) {
        for (int i = 0; i < 10; ++i)
            self.Synchronize([&] { ++seen; });
        self.SetReturnValue(42);
    });
    bool terminatedOnMain = false;
    worker.OnTerminate = [&](TObject*) { terminatedOnMain = std::this_thread::get_id() == MainThreadID(); };
    EXPECT_TRUE(worker.Suspended());
    worker.Start();
    EXPECT_EQ(worker.WaitFor(), 42);
    EXPECT_EQ(seen, 10);
    EXPECT_TRUE(worker.Finished());
    EXPECT_TRUE(terminatedOnMain);
    EXPECT_FALSE(worker.FatalException());
}

TEST(Thread, ExceptionEscapingExecuteIsKept)
{
    TLambdaThread worker([](TLambdaThread&) { throw EListError("List index out of bounds (3)"); });
    worker.Start();
    worker.WaitFor();
    ASSERT_TRUE(worker.FatalException());
    try {
        std::rethrow_exception(worker.FatalException());
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
}

TEST(Thread, ExceptionInASynchronisedCallReachesTheWorker)
{
    std::string caught;
    TLambdaThread worker([&](TLambdaThread& self) {
        try {
            self.Synchronize([] { throw EConvertError("'x' is not a valid integer value"); });
        } catch (const EConvertError& e) {
            caught = e.what();
        }
    });
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(caught, "'x' is not a valid integer value");
    EXPECT_FALSE(worker.FatalException());
}

TEST(Thread, CheckSynchronizeRefusesOtherThreads)
{
    std::string message;
    TLambdaThread worker([&](TLambdaThread&) {
        try {
            CheckSynchronize();
        } catch (const EThread& e) {
            message = e.what();
        }
    });
    worker.Start();
    worker.WaitFor();
    EXPECT_NE(message.find("which is NOT the main thread"), std::string::npos) << message;
}

TEST(Thread, SynchronizeOnTheMainThreadRunsAtOnce)
{
    int runs = 0;
    TThread::Synchronize(nullptr, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(CheckSynchronize());
}

TEST(Thread, TerminateStopsAPollingExecute)
{
    std::atomic<bool> running{false};
    TLambdaThread worker([&](TLambdaThread& self) {
        running = true;
        while (!self.Terminated())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    worker.Start();
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.Terminated());
}

TEST(Thread, CreateStartsAThreadNotCreatedSuspended)
{
    std::atomic<int> runs{0};
    auto* worker = TThread::Create<TLambdaThread>([&](TLambdaThread&) { ++runs; }, false);
    EXPECT_FALSE(worker->Suspended());
    worker->WaitFor();
    EXPECT_EQ(runs, 1);
    EXPECT_NE(worker->ThreadID(), std::thread::id());
    delete worker;
}

TEST(Thread, MisuseRaises)
{
    TLambdaThread never([](TLambdaThread&) {});
    EXPECT_THROW(never.WaitFor(), EThread);
    TLambdaThread twice([](TLambdaThread&) {});
    twice.Start();
    EXPECT_THROW(twice.Start(), EThread);
    twice.WaitFor();
    std::string message;
    auto* self = new TLambdaThread([&](TLambdaThread& t) {
        try {
            t.WaitFor();
        } catch (const EThread& e) {
            message = e.what();
        }
    });
    self->Start();
    self->WaitFor();
    delete self;
    EXPECT_EQ(message, "A thread cannot wait for itself");
}

TEST(Thread, WakeHookAnnouncesQueuedCalls)
{
    std::promise<void> queued;
    std::atomic<bool> once{false};
    SetWakeMainThread([&] {
        if (!once.exchange(true))
            queued.set_value();
    });
    int ran = 0;
    TLambdaThread worker([&](TLambdaThread& self) { self.Synchronize([&] { ++ran; }); });
    worker.Start();
    queued.get_future().wait(); // no polling: the hook tells us
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ran, 1);
    worker.WaitFor();
    SetWakeMainThread(nullptr);
}

} // namespace

TEST(Thread, QueuedCallsRunOnTheMainThreadInOrderWithSynchronisedOnes)
{
    std::vector<std::string> seen; // main thread only
    std::atomic<bool> queuedAll{false};
    bool offMain = false;
    TLambdaThread worker([&](TLambdaThread& self) {
        self.Queue([&] { seen.push_back("q1"); });
        self.Queue([&] { seen.push_back("q2"); });
        // Queue returned without the main thread serving anything yet.
        queuedAll.store(true);
        self.Synchronize([&] {
            offMain = std::this_thread::get_id() != MainThreadID();
            seen.push_back("s");
        });
    });
    worker.Start();
    PumpUntil([&] { return queuedAll.load(); });
    worker.WaitFor();
    EXPECT_EQ(seen, (std::vector<std::string>{"q1", "q2", "s"}));
    EXPECT_FALSE(offMain);
}

TEST(Thread, RemoveQueuedEventsDropsOnlyThatThreadsCalls)
{
    std::vector<std::string> seen;
    TLambdaThread first([&](TLambdaThread& self) { self.Queue([&] { seen.push_back("first"); }); });
    TLambdaThread second([&](TLambdaThread& self) { self.Queue([&] { seen.push_back("second"); }); });
    // Waiting for the end without serving calls leaves both queued.
    first.Start();
    second.Start();
    while (!first.Finished() || !second.Finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    TThread::RemoveQueuedEvents(&first);
    first.WaitFor();
    second.WaitFor();
    CheckSynchronize(0);
    EXPECT_EQ(seen, (std::vector<std::string>{"second"}));
}

TEST(Thread, QueueOnTheMainThreadRunsAtOnce)
{
    TLambdaThread idle([](TLambdaThread&) {});
    int ran = 0;
    idle.Queue([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}
