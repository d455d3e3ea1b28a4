#include "ui/Controls.h"

#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/Form.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

namespace ui {

namespace {

const wchar_t* const ControlProp = L"PelmoControl";
const wchar_t* const PanelClass = L"PelmoPanel";

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    bool reflected = false;
    Guarded([&] { reflected = ReflectToControl(msg, wp, lp, result); });
    if (reflected)
        return result;
    if (msg == WM_ERASEBKGND) {
        if (Control* self = Control::FromHandle(hwnd)) {
            RECT r;
            GetClientRect(hwnd, &r);
            win::UniqueBrush brush(CreateSolidBrush(self->BackColor()));
            FillRect(reinterpret_cast<HDC>(wp), &r, brush.get());
            return 1;
        }
    }
    if (msg == WM_MOUSEWHEEL) // let the form see it
        return SendMessageW(GetParent(hwnd), msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterPanelClass() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = PanelClass;
    RegisterClassExW(&wc);
    registered = true;
}

} // namespace

static RECT RectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

unsigned CurrentShiftState() {
    unsigned s = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}

Control::~Control() {
    if (hwnd_) {
        RemoveWindowSubclass(hwnd_, &Control::SubclassProc, 1);
        RemovePropW(hwnd_, ControlProp);
        DestroyWindow(hwnd_);
    }
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, ControlProp)) : nullptr;
}

// The DPI of the form a window belongs to.
static int FormDpi(HWND hwnd) {
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (Form* form = Form::FromHandle(root ? root : hwnd))
        return form->Dpi();
    return WindowDpi(hwnd);
}

int Control::Dpi() const {
    return FormDpi(hwnd_);
}

void Control::Rescale(int oldDpi, int newDpi) {
    RECT r = RectInParent(hwnd_);
    auto scale = [&](LONG v) { return MulDiv(v, newDpi, oldDpi); };
    MoveWindow(hwnd_, scale(r.left), scale(r.top), scale(r.right - r.left), scale(r.bottom - r.top),
               TRUE);
    if (hfont_)
        SetFont(font_);
}

void Control::Create(HWND parent, const wchar_t* cls, DWORD style, DWORD exStyle, int left, int top,
                     int width, int height, const std::wstring& text, int id) {
    id_ = id;
    int dpi = FormDpi(parent);
    auto scale = [dpi](int v) { return ScaleToDpi(v, dpi); };
    hwnd_ = CreateWindowExW(exStyle, cls, text.c_str(), style | WS_CHILD | WS_VISIBLE, scale(left),
                            scale(top), scale(width), scale(height), parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    SetPropW(hwnd_, ControlProp, this);
    backBrush_.reset(CreateSolidBrush(back_));
}

void Control::EnableSubclass() {
    SetWindowSubclass(hwnd_, &Control::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR ref) {
    auto* self = reinterpret_cast<Control*>(ref);
    LRESULT result = 0;
    bool consumed = false;
    Guarded([&] { consumed = self->OwnMessage(msg, wp, lp, result); });
    return consumed ? result : DefSubclassProc(hwnd, msg, wp, lp);
}

bool Control::OwnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}
bool Control::Reflect(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

int Control::Left() const {
    return RectInParent(hwnd_).left;
}
int Control::Top() const {
    return RectInParent(hwnd_).top;
}
int Control::Width() const {
    RECT r = RectInParent(hwnd_);
    return r.right - r.left;
}
int Control::Height() const {
    RECT r = RectInParent(hwnd_);
    return r.bottom - r.top;
}
int Control::ClientHeight() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.bottom;
}
int Control::ClientWidth() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.right;
}

void Control::SetBounds(int left, int top, int width, int height) {
    MoveWindow(hwnd_, left, top, width, height, TRUE);
}

std::wstring Control::Text() const {
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(n + 1, L'\0');
    GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(n);
    return text;
}

void Control::SetText(const std::wstring& text) {
    if (Text() != text)
        SetWindowTextW(hwnd_, text.c_str());
}

void Control::SetFont(const FontSpec& font) {
    font_ = font;
    hfont_ = CreateFontFrom(font, Dpi());
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(hfont_.get()), TRUE);
}

void Control::SetFontColor(COLORREF color) {
    if (font_.Color == color)
        return;
    font_.Color = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetBackColor(COLORREF color) {
    back_ = color;
    backBrush_.reset(CreateSolidBrush(color));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// Panel

Panel::Panel(HWND parent, int left, int top, int width, int height, COLORREF color) {
    RegisterPanelClass();
    back_ = color;
    Create(parent, PanelClass, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, left, top, width, height, L"");
    backBrush_.reset(CreateSolidBrush(color));
}

// StaticText

StaticText::StaticText(HWND parent, int left, int top, int width, int height,
                       const std::wstring& text, bool autoSize)
    : AutoSize(autoSize) {
    Create(parent, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, left, top, width, height, text);
}

void StaticText::AdjustSize() {
    if (!AutoSize || !hfont_)
        return;
    std::wstring text = Text();
    SIZE size = MeasureText(hfont_.get(), text.empty() ? std::wstring(L" ") : text);
    if (text.empty())
        size.cx = 0;
    if (KeepInside) {
        RECT parent{};
        GetClientRect(GetParent(hwnd_), &parent);
        size.cx = std::max(0L, std::min<LONG>(size.cx, parent.right - Left()));
    }
    if (size.cx != Width() || size.cy != Height())
        SetBounds(Left(), Top(), size.cx, size.cy);
}

void StaticText::SetText(const std::wstring& text) {
    Control::SetText(text);
    AdjustSize();
}

void StaticText::SetFont(const FontSpec& font) {
    Control::SetFont(font);
    AdjustSize();
}

bool StaticText::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC)
        return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, font_.Color);
    SetBkColor(dc, back_);
    SetBkMode(dc, OPAQUE);
    result = reinterpret_cast<LRESULT>(backBrush_.get());
    return true;
}

// GroupBox

GroupBox::GroupBox(HWND parent, int left, int top, int width, int height,
                   const std::wstring& caption, COLORREF back, bool endsGroup) {
    Create(parent, L"BUTTON", BS_GROUPBOX | (endsGroup ? WS_GROUP : 0), 0, left, top, width, height,
           caption);
    SetBackColor(back);
    EnableSubclass();
}

// The caption's background.
bool GroupBox::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC)
        return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, font_.Color);
    SetBkColor(dc, back_);
    result = reinterpret_cast<LRESULT>(backBrush_.get());
    return true;
}

bool GroupBox::OwnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_ERASEBKGND)
        return false;
    FillInside(reinterpret_cast<HDC>(wp));
    result = 1;
    return true;
}

// Fills the client area except where sibling controls lie over it, which
// paint themselves.
void GroupBox::FillInside(HDC dc) {
    int saved = SaveDC(dc);
    HWND parent = GetParent(hwnd_);
    for (HWND sibling = GetWindow(parent, GW_CHILD); sibling;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == hwnd_ || !IsWindowVisible(sibling))
            continue;
        RECT r;
        GetWindowRect(sibling, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, backBrush_.get());
    RestoreDC(dc, saved);
}

// Button

Button::Button(Form& form, HWND parent, int left, int top, int width, int height,
               const std::wstring& caption, int id, bool isDefault)
    : form_(form) {
    Create(parent, L"BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, left,
           top, width, height, caption, id);
}

void Button::Click() {
    if (ModalResult != 0)
        form_.SetModalResult(ModalResult);
    if (OnClick)
        OnClick();
}

bool Button::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED)
        return false;
    Click();
    result = 0;
    return true;
}

// RadioButton

RadioButton::RadioButton(HWND parent, int left, int top, int width, int height,
                         const std::wstring& caption, int id, bool firstOfGroup) {
    Create(parent, L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | (firstOfGroup ? WS_GROUP : 0), 0,
           left, top, width, height, caption, id);
}

void RadioButton::SetFont(const FontSpec& font) {
    Control::SetFont(font);
    int captionHeight = MeasureText(FontHandle(), Text()).cy;
    if (Height() < captionHeight)
        SetBounds(Left(), Top(), Width(), captionHeight);
}

bool RadioButton::Checked() const {
    return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::SetChecked(bool checked) {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool RadioButton::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_CTLCOLORSTATIC) { // the caption in the font's colour
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, font_.Color);
        SetBkColor(dc, back_);
        result = reinterpret_cast<LRESULT>(backBrush_.get());
        return true;
    }
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED)
        return false;
    if (OnClick)
        OnClick();
    result = 0;
    return true;
}

// Edit

Edit::Edit(HWND parent, int left, int top, int width, int height, int id) {
    Create(parent, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, left, top, width, height,
           L"", id);
    EnableSubclass();
}

bool Edit::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLOREDIT)
        return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, font_.Color);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
}

void Edit::SelectAll() {
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

bool Edit::OwnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_KEYDOWN && OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        OnKeyDown(key, CurrentShiftState());
        if (key == 0) {
            result = 0;
            return true;
        }
    }
    return false;
}

// ListBox

ListBox::ListBox(HWND parent, int left, int top, int width, int height, int id, bool ownerDraw,
                 bool border) {
    DWORD style = LBS_NOTIFY | WS_TABSTOP | WS_VSCROLL;
    if (ownerDraw)
        style = LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_TABSTOP;
    Create(parent, L"LISTBOX", style, border ? WS_EX_CLIENTEDGE : 0, left, top, width, height, L"",
           id);
    EnableSubclass();
}

void ListBox::Clear() {
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
}
void ListBox::Add(const std::wstring& text) {
    SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
int ListBox::Count() const {
    return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0));
}
std::wstring ListBox::Item(int index) const {
    LRESULT n = SendMessageW(hwnd_, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR)
        return L"";
    std::wstring text(n + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(n);
    return text;
}
int ListBox::ItemIndex() const {
    return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
}
void ListBox::SetItemIndex(int index) {
    SendMessageW(hwnd_, LB_SETCURSEL, index, 0);
}
void ListBox::SetItemHeight(int height) {
    SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, height);
}
void ListBox::BeginUpdate() {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
}
void ListBox::EndUpdate() {
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool ListBox::Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (OnDrawItem && dis->itemID != static_cast<UINT>(-1))
            OnDrawItem(dis->hDC, static_cast<int>(dis->itemID), dis->rcItem, dis->itemState);
        result = TRUE;
        return true;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == LBN_DBLCLK && OnDblClick) {
        OnDblClick();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORLISTBOX) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, font_.Color);
        SetBkColor(dc, back_);
        result = reinterpret_cast<LRESULT>(backBrush_.get());
        return true;
    }
    return false;
}

bool ListBox::OwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SYSKEYUP:
        // F10 alone arrives as a system key; once handled as a key it must
        // not open the window menu on release.
        if (wp == VK_F10 && consumedF10_) {
            consumedF10_ = false;
            result = 0;
            return true;
        }
        return false;
    case WM_SYSKEYDOWN:
        if (wp != VK_F10 || GetKeyState(VK_MENU) < 0 || !OnKeyDown)
            return false; // Alt combinations stay with the system (Alt+F4 closes)
        {
            WORD key = static_cast<WORD>(wp);
            OnKeyDown(key, CurrentShiftState());
            consumedF10_ = key == 0;
            if (consumedF10_) {
                result = 0;
                return true;
            }
        }
        return false;
    case WM_KEYDOWN:
        if (OnKeyDown) {
            WORD key = static_cast<WORD>(wp);
            OnKeyDown(key, CurrentShiftState());
            if (key == 0) {
                result = 0;
                return true;
            }
        }
        if (IgnoreNavigationKeys && ((wp >= VK_PRIOR && wp <= VK_DOWN))) {
            result = 0;
            return true;
        }
        return false;
    case WM_CHAR:
        if (IgnoreChars) {
            result = 0;
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        if (OnMouseDown)
            OnMouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return false;
    case WM_MOUSEWHEEL:
        if (OnMouseWheel) {
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
            result = 0;
            return true;
        }
        return false;
    case WM_GETDLGCODE:
        result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    }
    return false;
}

// Timer

namespace {
UINT_PTR NextTimerId() {
    static UINT_PTR next = 100;
    return next++;
}
} // namespace

Timer::Timer(Form& form, UINT intervalMs, std::function<void()> onTimer)
    : form_(&form), id_(NextTimerId()), interval_(intervalMs), onTimer_(std::move(onTimer)) {
    form.AddTimer(this);
    SetEnabled(true);
}

Timer::~Timer() {
    if (form_) {
        SetEnabled(false);
        form_->RemoveTimer(this);
    }
}

void Timer::SetEnabled(bool enabled) {
    if (!form_ || enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled)
        SetTimer(form_->Handle(), id_, interval_, nullptr);
    else
        KillTimer(form_->Handle(), id_);
}

void Timer::Fire() {
    if (enabled_ && onTimer_)
        onTimer_();
}

} // namespace ui
