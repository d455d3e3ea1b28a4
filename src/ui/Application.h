#pragma once
// The application object: message loop with an application-wide message hook,
// modal loops, deferred release of closed forms, and the standard error report.

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Form;

// Sees every queued message before dispatch; setting `handled` consumes it
// (no translation into characters, no dispatch).
using MessageHook = std::function<void(MSG& msg, bool& handled)>;

class Application {
  public:
    static Application& Instance();

    void SetMessageHook(MessageHook hook) { hook_ = std::move(hook); }
    const MessageHook& GetMessageHook() const { return hook_; }

    // The main form: its destruction ends Run, and dialogs centre over it.
    void SetMainForm(Form* form) { main_ = form; }
    Form* MainForm() const { return main_; }

    // Runs the message loop until WM_QUIT.
    void Run();
    // Handles every message that is waiting now, then returns.
    void ProcessMessages();
    // Handles pending messages until none has arrived for `quietMs` milliseconds
    // or `maxMs` have passed (tests use this to let the window settle).
    void PumpUntilIdle(DWORD quietMs = 30, DWORD maxMs = 5000);
    // Runs a modal loop for `form` until its ModalResult is set.
    void RunModal(Form& form);
    // After the main window has gone (tests create one window after another).
    void ClearQuit() { quit_ = false; }
    bool InModalLoop() const { return !modalStack_.empty(); }
    Form* ActiveModal() const { return modalStack_.empty() ? nullptr : modalStack_.back(); }

    // Test seam: runs against each modal form right after it is shown, before
    // its loop takes the first message.
    std::function<void(Form&)> OnModalStart;

    // Keeps a form alive until ReleaseLater; then it is destroyed before the
    // next message is taken, after the current one has been handled.
    Form* Adopt(std::unique_ptr<Form> form);
    void ReleaseLater(Form* form);

    // The standard error report: a message box with the error icon and OK,
    // captioned with Title(). Replaceable so that tests can read the text.
    void ShowException(const std::exception& error);
    void ShowException(std::exception_ptr error);
    std::function<void(const std::wstring& text)> ErrorReporter;

    // The executable's file name up to its first ".", letters after the first
    // lower-cased.
    std::wstring Title() const;
    std::wstring ExePath() const;

  private:
    Application() = default;
    bool ProcessOneMessage();
    void Dispatch(MSG& msg);
    void WaitForWork(DWORD timeoutMs);
    void ReleasePending();

    MessageHook hook_;
    Form* main_ = nullptr;
    std::vector<Form*> modalStack_;
    std::vector<std::unique_ptr<Form>> owned_;
    std::vector<Form*> pendingRelease_;
    bool quit_ = false;
};

inline Application& App() {
    return Application::Instance();
}

// The text the standard error report shows: "." is appended when the last
// character's code is above that of ".".
std::wstring ErrorReportText(const std::wstring& text);

// Runs `body` and hands any exception to the standard error report. Every
// window procedure and callback uses it at its boundary.
template <class F> void Guarded(F&& body) noexcept {
    try {
        body();
    } catch (...) {
        App().ShowException(std::current_exception());
    }
}

} // namespace ui
