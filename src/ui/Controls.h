#pragma once
// The child controls the program's windows are built from.

#include "ui/Font.h"
#include "win/Handle.h"

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class Form;

enum ShiftState : unsigned { ssShift = 1, ssCtrl = 2, ssAlt = 4 };
unsigned CurrentShiftState();

class Control {
  public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    static Control* FromHandle(HWND hwnd);
    HWND Handle() const { return hwnd_; }
    int Id() const { return id_; }

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
    int ClientHeight() const;
    int ClientWidth() const;

    std::wstring Text() const;
    virtual void SetText(const std::wstring& text);

    const FontSpec& Font() const { return font_; }
    HFONT FontHandle() const { return hfont_.get(); }
    virtual void SetFont(const FontSpec& font);
    void SetFontColor(COLORREF color);
    COLORREF FontColor() const { return font_.Color; }
    void SetBackColor(COLORREF color);
    COLORREF BackColor() const { return back_; }

    bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
    void SetFocus() { ::SetFocus(hwnd_); }
    bool Focused() const { return GetFocus() == hwnd_; }

    // A notification the parent received about this control.
    virtual bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // The DPI of the form the control is on.
    int Dpi() const;
    // Place, size and font from one DPI to another.
    void Rescale(int oldDpi, int newDpi);

  protected:
    Control() = default;
    // Positions and sizes are design lengths, scaled to the form's DPI.
    void Create(HWND parent, const wchar_t* cls, DWORD style, DWORD exStyle, int left, int top,
                int width, int height, const std::wstring& text, int id = 0);
    // Hooks the control's own messages (a subclass); return true to consume.
    virtual bool OwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void EnableSubclass();
    HWND hwnd_ = nullptr;
    int id_ = 0;
    FontSpec font_;
    win::UniqueFont hfont_;
    COLORREF back_ = GetSysColor(COLOR_BTNFACE);
    win::UniqueBrush backBrush_;

  private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};

// A container with a solid background; passes its children's notifications on.
class Panel : public Control {
  public:
    Panel(HWND parent, int left, int top, int width, int height, COLORREF color);
};

// Static text; with AutoSize it takes the size of its text in its font.
class StaticText : public Control {
  public:
    StaticText(HWND parent, int left, int top, int width, int height, const std::wstring& text,
               bool autoSize = true);
    void SetText(const std::wstring& text) override;
    void SetFont(const FontSpec& font) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool AutoSize = true;
    // With AutoSize: never wider than the room left of the parent's right edge.
    bool KeepInside = false;

  private:
    void AdjustSize();
};

class Button : public Control {
  public:
    Button(Form& form, HWND parent, int left, int top, int width, int height,
           const std::wstring& caption, int id, bool isDefault = false);
    std::function<void()> OnClick;
    // Set on the form when clicked (0: none).
    int ModalResult = 0;
    void Click();
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    Form& form_;
};

// A frame with a caption around a group of radio buttons. It paints its own
// inside in its back colour: the form clips its children, so nothing else
// would, and Windows and Wine both leave it unpainted otherwise. With
// `endsGroup` it also ends the radio group of the buttons created before it.
class GroupBox : public Control {
  public:
    GroupBox(HWND parent, int left, int top, int width, int height, const std::wstring& caption,
             COLORREF back, bool endsGroup = false);
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  protected:
    bool OwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    void FillInside(HDC dc);
};

class RadioButton : public Control {
  public:
    RadioButton(HWND parent, int left, int top, int width, int height, const std::wstring& caption,
                int id, bool firstOfGroup = false);
    bool Checked() const;
    void SetChecked(bool checked);
    // Grows the button to the height of its caption where a font is taller
    // than the designed height.
    void SetFont(const FontSpec& font) override;
    std::function<void()> OnClick;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

class Edit : public Control {
  public:
    Edit(HWND parent, int left, int top, int width, int height, int id);
    void SelectAll();
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Key-down before the edit handles it; set key to 0 to consume.
    std::function<void(WORD& key, unsigned shift)> OnKeyDown;

  protected:
    bool OwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A list box: plain, or owner-drawn with a fixed item height.
class ListBox : public Control {
  public:
    ListBox(HWND parent, int left, int top, int width, int height, int id, bool ownerDraw,
            bool border = true);
    void Clear();
    void Add(const std::wstring& text);
    int Count() const;
    std::wstring Item(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    void SetItemHeight(int height);
    void BeginUpdate();
    void EndUpdate();

    std::function<void(WORD& key, unsigned shift)> OnKeyDown;
    std::function<void()> OnDblClick;
    std::function<void(int x, int y)> OnMouseDown;
    std::function<void(int delta)> OnMouseWheel;
    std::function<void(HDC dc, int index, const RECT& rect, UINT state)> OnDrawItem;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Characters typed into the list select nothing (no incremental search).
    bool IgnoreChars = false;
    // Keys the list would use to move its selection on its own.
    bool IgnoreNavigationKeys = false;

  protected:
    bool OwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    bool consumedF10_ = false;
};

// A periodic timer on a form's window.
class Timer {
  public:
    Timer(Form& form, UINT intervalMs, std::function<void()> onTimer);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    UINT_PTR Id() const { return id_; }
    void Fire();
    void Detach() { form_ = nullptr; }
    void SetEnabled(bool enabled);

  private:
    Form* form_;
    UINT_PTR id_;
    UINT interval_;
    std::function<void()> onTimer_;
    bool enabled_ = false;
};

} // namespace ui
