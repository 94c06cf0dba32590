#include "editors/UiModule.h"

#include "common/QtDrive.h"
#include "dataset/EditorHooks.h"
#include "framework/classes/Application.h"
#include "framework/classes/Thread.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vmado {
namespace {

class HandBack : public TThread {
public:
    HandBack() : TThread(true) {}
    ~HandBack() override { WaitFor(); }
    std::atomic<bool> ranOnMain{false};

protected:
    void Execute() override
    {
        Synchronize([this] { ranOnMain = std::this_thread::get_id() == MainThreadID(); });
    }
};

class UiModuleTest : public testing::Test {
protected:
    void SetUp() override { InitializeUi(); }
    void TearDown() override { FinalizeUi(); }
};

TEST_F(UiModuleTest, AWorkersHandBackRunsInTheQtEventLoop)
{
    HandBack worker;
    worker.Start();
    // Only Qt's loop runs here: the hand-back must reach it through the wake-up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return worker.ranOnMain.load(); }, 5000));
}

TEST_F(UiModuleTest, ExceptionsAreShownInAMessageBoxAndHooksAreInstalled)
{
    const TEditorHooks& hooks = EditorHooks();
    EXPECT_TRUE(hooks.Filter && hooks.Color && hooks.Export && hooks.FillUp && ConnectionEditorHook());
    QString shown;
    test::WhenModal([&](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            shown = box->text();
    });
    Application()->ShowException(Exception("Update Failed!"));
    EXPECT_EQ(shown, "Update Failed!");
    FinalizeUi();
    EXPECT_FALSE(hooks.Filter || hooks.Color || hooks.Export || hooks.FillUp || ConnectionEditorHook());
}

} // namespace
} // namespace vmado
