// The application object and the two hooks the UI module fills: the exception display and the
// event-loop pump. Without them exceptions go to standard error and ProcessMessages only
// serves synchronised calls.
#include "framework/classes/Application.h"

#include "framework/classes/Thread.h"
#include "framework/rtl/CodePage.h"

#include <exception>
#include <iostream>
#include <mutex>

namespace vmado {

namespace {

struct Hooks {
    std::mutex Mutex;
    std::function<void(const Exception&)> Shower;
    std::function<void()> Pump;
};

Hooks& TheHooks()
{
    static Hooks hooks;
    return hooks;
}

} // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

void TApplication::HandleException(TObject* sender)
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return;
    const auto route = [&](const Exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    };
    try {
        std::rethrow_exception(current);
    } catch (const Exception& e) {
        route(e);
    } catch (const std::exception& e) {
        route(Exception(e.what()));
    } catch (...) {
        route(Exception("Unknown exception"));
    }
}

void TApplication::ShowException(const Exception& e)
{
    std::function<void(const Exception&)> shower;
    {
        Hooks& hooks = TheHooks();
        std::lock_guard lock(hooks.Mutex);
        shower = hooks.Shower;
    }
    if (shower) {
        shower(e);
        return;
    }
    std::cerr << AnsiToConsole(e.Message()) << std::endl;
}

void TApplication::ProcessMessages()
{
    std::function<void()> pump;
    {
        Hooks& hooks = TheHooks();
        std::lock_guard lock(hooks.Mutex);
        pump = hooks.Pump;
    }
    if (pump)
        pump();
    CheckSynchronize(0);
}

TApplication* Application()
{
    static TApplication application(nullptr);
    return &application;
}

void SetExceptionShower(std::function<void(const Exception& e)> shower)
{
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.Mutex);
    hooks.Shower = std::move(shower);
}

void SetMessagePump(std::function<void()> pump)
{
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.Mutex);
    hooks.Pump = std::move(pump);
}

} // namespace vmado
