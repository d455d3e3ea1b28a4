#pragma once
// A top-level window with named child controls: the base of the main window
// and of every dialog.

#include "ui/Dpi.h"
#include "ui/Font.h"
#include "win/Handle.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace ui {

class Control;
class Timer;

enum ModalResultCode { mrNone = 0, mrOk = 1, mrCancel = 2 };

struct FormStyle {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    int clientWidth = 320;
    int clientHeight = 200;
    COLORREF color = GetSysColor(COLOR_BTNFACE);
};

class Form {
  public:
    Form() = default;
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return hwnd_; }
    static Form* FromHandle(HWND hwnd);

    // The DPI the form is laid out for, and a length of its design at it.
    int Dpi() const { return dpi_; }
    int Scale(int designLength) const { return ScaleToDpi(designLength, dpi_); }

    std::wstring Caption() const;
    void SetCaption(const std::wstring& text);

    // Outer bounds in screen coordinates.
    RECT Bounds() const;
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return Bounds().left; }
    int Top() const { return Bounds().top; }
    int Width() const;
    int Height() const;
    int ClientWidth() const;
    int ClientHeight() const;
    // Sets the outer size for a client area of this many pixels.
    void SetClientSize(int width, int height);
    // Moves a form that shows too little of itself on any monitor onto the
    // nearest one, and gives a form too small to use its designed size.
    // Bounds that are usable stay exactly as they are.
    void BringOnScreen();
    // Places the form over `other` (outer bounds, division toward zero).
    void CenterOver(const Form& other);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    HBRUSH Brush() const { return brush_.get(); }

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    int ShowModal();
    void Show();
    // Asks the window to close, as its close box does.
    void Close();

    // Called by the modal loop.
    void ShowForModal();
    void EndModal();
    // Sees every message for this form and its children before dialog
    // navigation (key preview); true consumes it.
    virtual bool PreviewMessage(MSG&) { return false; }

    void AddTimer(Timer* timer);
    void RemoveTimer(Timer* timer);

  protected:
    void CreateFrame(const FormStyle& style, const std::wstring& caption, HWND owner = nullptr);
    // Event hooks in the manner of the classic form designer.
    virtual void FormShow() {}
    // Called when the user or the program closes the form.
    virtual void FormClose() {}
    virtual void FormResize() {}
    // After the form and its controls were scaled to a new DPI.
    virtual void FormDpiChanged() {}
    virtual bool FormMouseWheel(int /*delta*/) { return false; }
    // The control that takes the keyboard focus when the form is activated
    // and no control of it had the focus before (nullptr: the form itself).
    virtual HWND DefaultFocus() const { return nullptr; }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    bool DestroyOnClose = false; // the main window: closing ends the program

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Where the focus goes back to when the form is activated again.
    HWND FocusTarget() const;
    void ChangeDpi(int dpi, const RECT& suggested);
    HWND hwnd_ = nullptr;
    int dpi_ = DesignDpi;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    SIZE designClient_{};
    HWND savedFocus_ = nullptr;
    COLORREF color_ = RGB(240, 240, 240);
    win::UniqueBrush brush_;
    FontSpec font_;
    int modalResult_ = 0;
    bool shown_ = false;
    std::map<UINT_PTR, Timer*> timers_;
};

// Routes the notifications that a parent window receives (WM_COMMAND,
// WM_DRAWITEM, WM_CTLCOLOR...) to the Control object of the child they are
// about. Returns true when a control handled it.
bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

} // namespace ui
