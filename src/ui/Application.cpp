#include "ui/Application.h"

#include "ui/Form.h"
#include "win/Error.h"

#include <algorithm>

namespace ui {

Application& Application::Instance() {
    static Application app;
    return app;
}

void Application::WaitForWork(DWORD timeoutMs) {
    // Alertable, so that I/O completion routines (the directory watcher's) run
    // here on the user-interface thread, between messages.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT,
                                MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
}

void Application::ReleasePending() {
    while (!pendingRelease_.empty()) {
        Form* form = pendingRelease_.back();
        pendingRelease_.pop_back();
        auto it = std::find_if(owned_.begin(), owned_.end(),
                               [form](const auto& p) { return p.get() == form; });
        if (it != owned_.end()) {
            std::unique_ptr<Form> doomed = std::move(*it);
            owned_.erase(it);
            doomed.reset();
        }
    }
}

void Application::Dispatch(MSG& msg) {
    bool handled = false;
    if (hook_) {
        MessageHook hook = hook_; // the hook may replace itself while it runs
        try {
            hook(msg, handled);
        } catch (...) {
            handled = true;
            ShowException(std::current_exception());
        }
    }
    if (handled)
        return;
    if (Form* modal = ActiveModal();
        modal && modal->Handle() &&
        (msg.hwnd == modal->Handle() || IsChild(modal->Handle(), msg.hwnd))) {
        bool consumed = false;
        Guarded([&] { consumed = modal->PreviewMessage(msg); });
        if (consumed || IsDialogMessageW(modal->Handle(), &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool Application::ProcessOneMessage() {
    ReleasePending();
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        quit_ = true;
        return false;
    }
    Dispatch(msg);
    return true;
}

void Application::Run() {
    while (!quit_) {
        while (ProcessOneMessage()) {
        }
        if (quit_)
            break;
        WaitForWork(INFINITE);
    }
    ReleasePending();
}

void Application::ProcessMessages() {
    while (ProcessOneMessage()) {
    }
    SleepEx(0, TRUE);
}

void Application::PumpUntilIdle(DWORD quietMs, DWORD maxMs) {
    DWORD start = GetTickCount();
    DWORD lastWork = start;
    while (GetTickCount() - start < maxMs) {
        bool worked = false;
        while (ProcessOneMessage())
            worked = true;
        if (SleepEx(0, TRUE) == WAIT_IO_COMPLETION)
            worked = true;
        DWORD now = GetTickCount();
        if (worked)
            lastWork = now;
        else if (now - lastWork >= quietMs)
            break;
        WaitForWork(5);
    }
    ReleasePending();
}

void Application::RunModal(Form& form) {
    HWND mainWnd = main_ && main_->Handle() != form.Handle() ? main_->Handle() : nullptr;
    bool mainWasEnabled = mainWnd && IsWindowEnabled(mainWnd);
    form.SetModalResult(0);
    modalStack_.push_back(&form);
    struct Restore {
        Application& app;
        HWND mainWnd;
        bool enable;
        ~Restore() {
            app.modalStack_.pop_back();
            if (enable)
                EnableWindow(mainWnd, TRUE);
            if (mainWnd)
                SetActiveWindow(mainWnd);
        }
    } restore{*this, mainWnd, mainWasEnabled};
    form.ShowForModal();
    if (mainWasEnabled)
        EnableWindow(mainWnd, FALSE);
    if (OnModalStart)
        OnModalStart(form);
    while (form.ModalResult() == 0 && !quit_) {
        if (!ProcessOneMessage() && form.ModalResult() == 0 && !quit_)
            WaitForWork(INFINITE);
    }
    if (quit_)
        PostQuitMessage(0); // let the outer loop see the quit as well
    form.EndModal();
}

Form* Application::Adopt(std::unique_ptr<Form> form) {
    owned_.push_back(std::move(form));
    return owned_.back().get();
}

void Application::ReleaseLater(Form* form) {
    if (std::find(pendingRelease_.begin(), pendingRelease_.end(), form) == pendingRelease_.end())
        pendingRelease_.push_back(form);
}

std::wstring ErrorReportText(const std::wstring& text) {
    if (!text.empty() && text.back() > L'.')
        return text + L".";
    return text;
}

void Application::ShowException(const std::exception& error) {
    std::wstring text;
    if (auto* app = dynamic_cast<const win::AppError*>(&error))
        text = app->Text();
    else if (dynamic_cast<const std::bad_alloc*>(&error))
        text = L"メモリが不足しています";
    else {
        const char* what = error.what();
        int n = MultiByteToWideChar(CP_UTF8, 0, what, -1, nullptr, 0);
        text.resize(n > 0 ? n - 1 : 0);
        if (n > 1)
            MultiByteToWideChar(CP_UTF8, 0, what, -1, text.data(), n);
    }
    text = ErrorReportText(text);
    if (ErrorReporter) {
        ErrorReporter(text);
        return;
    }
    MessageBoxW(main_ ? main_->Handle() : nullptr, text.c_str(), Title().c_str(),
                MB_ICONERROR | MB_OK);
}

void Application::ShowException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(win::AppError(L"予期しないエラーが発生しました"));
    }
}

std::wstring Application::ExePath() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring Application::Title() const {
    std::wstring path = ExePath();
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    name = name.substr(0, name.find(L'.'));
    if (name.size() > 1)
        CharLowerBuffW(name.data() + 1, static_cast<DWORD>(name.size() - 1));
    return name;
}

} // namespace ui
