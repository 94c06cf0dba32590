// The application object: exceptions routed to OnException or the exception display (hook or
// standard error), and ProcessMessages serving synchronised calls.
#include "framework/classes/Application.h"
#include "framework/classes/Thread.h"
#include "framework/rtl/CodePage.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <string>

using namespace vmado;

namespace {

// Restores the global application's handlers whatever a test did.
class ApplicationTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Application()->OnException = nullptr;
        SetExceptionShower(nullptr);
        SetMessagePump(nullptr);
        SetWakeMainThread(nullptr);
    }
};

TEST_F(ApplicationTest, HandleExceptionGoesToOnException)
{
    TComponent sender(nullptr);
    TObject* seenSender = nullptr;
    std::string seenMessage;
    bool wasDatabaseError = false;
    Application()->OnException = [&](TObject* s, const Exception& e) {
        seenSender = s;
        seenMessage = e.Message();
        wasDatabaseError = dynamic_cast<const EDatabaseError*>(&e) != nullptr;
    };
    SetExceptionShower([](const Exception&) { ADD_FAILURE() << "shown although OnException is set"; });
    try {
        throw EDatabaseError("Open error!", "no such table");
    } catch (...) {
        Application()->HandleException(&sender);
    }
    EXPECT_EQ(seenSender, &sender);
    EXPECT_EQ(seenMessage, "Open error!");
    EXPECT_TRUE(wasDatabaseError);
}

TEST_F(ApplicationTest, WithoutOnExceptionTheDisplayShowsIt)
{
    std::string shown;
    SetExceptionShower([&](const Exception& e) { shown = e.Message(); });
    try {
        throw EConvertError("'abc' is not a valid integer value");
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    EXPECT_EQ(shown, "'abc' is not a valid integer value");
}

TEST_F(ApplicationTest, ForeignExceptionsAreShownByTheirText)
{
    std::string shown;
    SetExceptionShower([&](const Exception& e) { shown = e.Message(); });
    try {
        throw std::runtime_error("disk on fire");
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    EXPECT_EQ(shown, "disk on fire");
    try {
        throw 17;
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    EXPECT_EQ(shown, "Unknown exception");
}

TEST_F(ApplicationTest, ConsoleDefaultPrintsToStandardError)
{
    testing::internal::CaptureStderr();
    Application()->ShowException(Exception(Utf8ToAnsi("Update Failed! árvíz"))); // in the code page
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Update Failed! \xC3\xA1rv\xC3\xADz\n"); // as UTF-8
}

TEST_F(ApplicationTest, OutsideACatchBlockNothingHappens)
{
    bool called = false;
    Application()->OnException = [&](TObject*, const Exception&) { called = true; };
    Application()->HandleException(nullptr);
    EXPECT_FALSE(called);
}

TEST_F(ApplicationTest, ProcessMessagesServesSynchronisedCallsAndThePump)
{
    std::promise<void> queued;
    SetWakeMainThread([&] { queued.set_value(); });
    int pumped = 0;
    SetMessagePump([&] { ++pumped; });
    int ran = 0;
    class TWorker : public TThread {
    public:
        explicit TWorker(int* ran) : ran_(ran) {}

    protected:
        void Execute() override
        {
            Synchronize([this] { ++*ran_; });
        }

    private:
        int* ran_;
    } worker(&ran);
    worker.Start();
    queued.get_future().wait();
    EXPECT_EQ(ran, 0);
    Application()->ProcessMessages();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(pumped, 1);
    worker.WaitFor();
}

TEST_F(ApplicationTest, TerminatedFlagAndIdentity)
{
    EXPECT_EQ(Application(), Application());
    EXPECT_EQ(Application()->ClassName(), "TApplication");
    EXPECT_FALSE(Application()->Terminated());
}

} // namespace
