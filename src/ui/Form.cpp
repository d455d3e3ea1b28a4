#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Controls.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {

const wchar_t* const FormClass = L"PelmoForm";

// Smaller than this (design units) a window is of no use and gets its
// designed size; a title bar shows at least this much of itself.
constexpr int MinimumUsableWidth = 240;
constexpr int MinimumUsableHeight = 120;
constexpr int MinimumVisibleTitle = 100;

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

Form* Form::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    wchar_t cls[32];
    if (!GetClassNameW(hwnd, cls, 32) || lstrcmpW(cls, FormClass) != 0)
        return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Form::CreateFrame(const FormStyle& style, const std::wstring& caption, HWND owner) {
    RegisterFormClass();
    style_ = style.style | WS_CLIPCHILDREN;
    exStyle_ = style.exStyle;
    designClient_ = {style.clientWidth, style.clientHeight};
    hwnd_ = CreateWindowExW(exStyle_, FormClass, caption.c_str(), style_, CW_USEDEFAULT,
                            CW_USEDEFAULT, style.clientWidth, style.clientHeight, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    // A dialog is laid out for the screen of the window it is shown over.
    dpi_ = WindowDpi(owner ? owner : hwnd_);
    SetClientSize(Scale(style.clientWidth), Scale(style.clientHeight));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::WindowProc));
    SetColor(style.color);
}

void Form::SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectExForDpi(&r, style_, FALSE, exStyle_, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::BringOnScreen() {
    RECT r = Bounds();
    RECT designed{0, 0, Scale(designClient_.cx), Scale(designClient_.cy)};
    AdjustWindowRectExForDpi(&designed, style_, FALSE, exStyle_, dpi_);
    if (r.right - r.left < Scale(MinimumUsableWidth))
        r.right = r.left + (designed.right - designed.left);
    if (r.bottom - r.top < Scale(MinimumUsableHeight))
        r.bottom = r.top + (designed.bottom - designed.top);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    // The title bar is what a person grabs: enough of it must be on the screen.
    RECT titleBar{r.left, r.top, r.right, r.top + GetSystemMetricsForDpi(SM_CYCAPTION, dpi_)};
    RECT seen{};
    IntersectRect(&seen, &titleBar, &work);
    bool reachable = seen.right - seen.left >= Scale(MinimumVisibleTitle) &&
                     seen.bottom - seen.top >= (titleBar.bottom - titleBar.top) / 2;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (!reachable) {
        r.left = std::max<LONG>(work.left, std::min<LONG>(r.left, work.right - width));
        r.top = std::max<LONG>(work.top, std::min<LONG>(r.top, work.bottom - height));
    }
    RECT now = Bounds();
    if (!EqualRect(&now, &r))
        SetWindowPos(hwnd_, nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Scales every control of the form from the old DPI to the new one (place,
// size and font) and takes the bounds Windows suggests for the new screen.
void Form::ChangeDpi(int dpi, const RECT& suggested) {
    int old = dpi_;
    dpi_ = dpi;
    std::vector<HWND> children;
    EnumChildWindows(
        hwnd_,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    for (HWND child : children)
        if (Control* control = Control::FromHandle(child))
            control->Rescale(old, dpi);
    // Bounds set before the form is shown (the stored ones) are kept as
    // they are, whatever screen they lie on.
    if (IsWindowVisible(hwnd_))
        SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    FormDpiChanged();
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
    case WM_DPICHANGED:
        if (int dpi = HIWORD(wp); dpi != dpi_)
            ChangeDpi(dpi, *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_ACTIVATE:
        // Left alone, activation gives the focus to the form itself, and
        // keys then reach none of its controls.
        if (LOWORD(wp) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus && IsChild(hwnd_, focus))
                savedFocus_ = focus;
            return 0;
        }
        if (HWND target = FocusTarget()) {
            if (!HIWORD(wp)) // not minimised
                ::SetFocus(target);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        if (HWND target = FocusTarget()) {
            ::SetFocus(target);
            return 0;
        }
        break;
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

HWND Form::FocusTarget() const {
    if (savedFocus_ && IsChild(hwnd_, savedFocus_) && IsWindowVisible(savedFocus_) &&
        IsWindowEnabled(savedFocus_))
        return savedFocus_;
    return DefaultFocus();
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
