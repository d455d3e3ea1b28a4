#pragma once
// Dots per inch of the screen a window is on. Every position and size in the
// program's window designs is given for 96 DPI and scaled to the window's DPI
// when it is used; font sizes are points and scale by themselves.

#include <windows.h>

namespace ui {

inline constexpr int DesignDpi = 96;

// The DPI of the screen a window is on; the system DPI for no window.
int WindowDpi(HWND hwnd);

// A length of the designs at `dpi` (rounded to the nearest pixel).
inline int ScaleToDpi(int designLength, int dpi) {
    return MulDiv(designLength, dpi, DesignDpi);
}

} // namespace ui
