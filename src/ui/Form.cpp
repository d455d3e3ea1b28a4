#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Controls.h"

namespace ui {

namespace {

const wchar_t* const FormClass = L"PelmoForm";

void RegisterFormClass() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = FormClass;
    RegisterClassExW(&wc);
    registered = true;
}

} // namespace

Form::~Form() {
    for (auto& [id, timer] : timers_)
        timer->Detach();
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Form::CreateFrame(const FormStyle& style, const std::wstring& caption, HWND owner) {
    RegisterFormClass();
    RECT r{0, 0, style.clientWidth, style.clientHeight};
    AdjustWindowRectEx(&r, style.style, FALSE, style.exStyle);
    hwnd_ =
        CreateWindowExW(style.exStyle, FormClass, caption.c_str(), style.style | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner,
                        nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::WindowProc));
    SetColor(style.color);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    bool done = false;
    Guarded([&] {
        if (ReflectToControl(msg, wp, lp, result)) {
            done = true;
            return;
        }
        result = form->HandleMessage(msg, wp, lp);
        done = true;
    });
    return done ? result : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, brush_.get());
        return 1;
    }
    case WM_SIZE:
        FormResize();
        return 0;
    case WM_TIMER:
        if (auto it = timers_.find(wp); it != timers_.end()) {
            it->second->Fire();
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        if (FormMouseWheel(GET_WHEEL_DELTA_WPARAM(wp)))
            return 0;
        break;
    case WM_COMMAND:
        if (lp == 0 && LOWORD(wp) == IDCANCEL) { // Esc without a cancel button
            modalResult_ = mrCancel;
            return 0;
        }
        break;
    case WM_CLOSE:
        if (App().ActiveModal() == this) {
            modalResult_ = mrCancel;
            return 0;
        }
        FormClose();
        if (DestroyOnClose) {
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        } else
            ShowWindow(hwnd_, SW_HIDE);
        return 0;
    case WM_DESTROY:
        if (DestroyOnClose)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

std::wstring Form::Caption() const {
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(n + 1, L'\0');
    GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(n);
    return text;
}

void Form::SetCaption(const std::wstring& text) {
    if (Caption() != text)
        SetWindowTextW(hwnd_, text.c_str());
}

RECT Form::Bounds() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
}

void Form::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::Width() const {
    RECT r = Bounds();
    return r.right - r.left;
}

int Form::Height() const {
    RECT r = Bounds();
    return r.bottom - r.top;
}

int Form::ClientWidth() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.right;
}

int Form::ClientHeight() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.bottom;
}

void Form::CenterOver(const Form& other) {
    int top = other.Top() + (other.Height() - Height()) / 2;
    int left = other.Left() + (other.Width() - Width()) / 2;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetColor(COLORREF color) {
    color_ = color;
    brush_.reset(CreateSolidBrush(color));
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::SetFont(const FontSpec& font) {
    font_ = font;
}

void Form::Show() {
    bool first = !shown_;
    shown_ = true;
    ShowWindow(hwnd_, SW_SHOW);
    if (first)
        FormShow();
}

int Form::ShowModal() {
    App().RunModal(*this);
    return modalResult_;
}

void Form::ShowForModal() {
    if (Form* main = App().MainForm(); main && main != this)
        CenterOver(*main);
    shown_ = false;
    Show();
    SetForegroundWindow(hwnd_);
}

void Form::EndModal() {
    FormClose();
    if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
}

void Form::Close() {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Form::AddTimer(Timer* timer) {
    timers_[timer->Id()] = timer;
}
void Form::RemoveTimer(Timer* timer) {
    timers_.erase(timer->Id());
}

bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lp);
        break;
    case WM_DRAWITEM:
        child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        child = reinterpret_cast<HWND>(lp);
        break;
    default:
        return false;
    }
    Control* control = Control::FromHandle(child);
    return control && control->Reflect(msg, wp, lp, result);
}

} // namespace ui
