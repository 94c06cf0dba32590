// The application object: routes exceptions to OnException or the exception display, and pumps
// the main thread's pending work (synchronised calls) in ProcessMessages.
#pragma once

#include "framework/classes/Component.h"
#include "framework/rtl/Exceptions.h"

#include <functional>

namespace vmado {

using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    AnsiString ClassName() const override { return "TApplication"; }

    // Handles the exception being caught (call it inside a catch block): OnException when set,
    // otherwise ShowException. Exceptions not derived from Exception are shown by their what()
    // text. Outside a catch block it does nothing.
    void HandleException(TObject* sender);
    // Shows e through the exception display: the installed shower, or by default the message
    // on standard error (converted to the terminal's UTF-8).
    void ShowException(const Exception& e);
    // Runs pending main-thread work: synchronised calls and the UI's event pump when installed.
    void ProcessMessages();

    bool Terminated() const { return terminated_; }
    void Terminate() { terminated_ = true; }

    const AnsiString& Title() const { return title_; }
    void SetTitle(const AnsiString& value) { title_ = value; }

    TExceptionEvent OnException;

private:
    bool terminated_ = false;
    AnsiString title_;
};

// The process's application object (created on first use, freed at exit).
TApplication* Application();

// Hooks for the UI module: the exception display (a message box) and the event-loop pump that
// ProcessMessages runs besides CheckSynchronize. Passing null restores the console default.
void SetExceptionShower(std::function<void(const Exception& e)> shower);
void SetMessagePump(std::function<void()> pump);

} // namespace vmado
