#pragma once
// Owning wrappers for Windows handles: one small template, one closer per kind.

#include <windows.h>
#include <ole2.h>

#include <memory>

namespace win {

inline bool IsValid(HANDLE h) {
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

// Both null and INVALID_HANDLE_VALUE count as "no handle".
template <auto Close> struct HandleCloser {
    struct pointer {
        HANDLE value = nullptr;
        pointer() = default;
        pointer(std::nullptr_t) {}
        pointer(HANDLE h) : value(IsValid(h) ? h : nullptr) {}
        explicit operator bool() const { return value != nullptr; }
        friend bool operator==(pointer a, pointer b) { return a.value == b.value; }
        friend bool operator==(pointer a, std::nullptr_t) { return a.value == nullptr; }
        operator HANDLE() const { return value; }
    };
    void operator()(pointer p) const {
        if (p)
            Close(p.value);
    }
};

// A kernel object (file, event, process); INVALID_HANDLE_VALUE counts as empty.
using UniqueHandle = std::unique_ptr<void, HandleCloser<&::CloseHandle>>;
// A FindFirstFileW enumeration.
using UniqueFind = std::unique_ptr<void, HandleCloser<&::FindClose>>;
// A FindFirstChangeNotificationW handle.
using UniqueChangeNotification =
    std::unique_ptr<void, HandleCloser<&::FindCloseChangeNotification>>;

// GDI objects: fonts, brushes, bitmaps, pens.
template <class T> struct GdiDeleter {
    void operator()(T h) const { ::DeleteObject(h); }
};
template <class T> using UniqueGdi = std::unique_ptr<std::remove_pointer_t<T>, GdiDeleter<T>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;

struct DcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
// A memory device context from CreateCompatibleDC.
using UniqueMemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Selects a GDI object into a DC for the lifetime of the guard.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~SelectGuard() { ::SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window DC from GetDC, released with ReleaseDC.
class WindowDC {
  public:
    explicit WindowDC(HWND wnd) : wnd_(wnd), dc_(::GetDC(wnd)) {}
    ~WindowDC() { ::ReleaseDC(wnd_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    operator HDC() const { return dc_; }

  private:
    HWND wnd_;
    HDC dc_;
};

// COM initialisation for OLE drag and drop, undone at scope end.
class OleInit {
  public:
    OleInit() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleInit() {
        if (ok_)
            ::OleUninitialize();
    }
    OleInit(const OleInit&) = delete;
    OleInit& operator=(const OleInit&) = delete;

  private:
    bool ok_;
};

} // namespace win
