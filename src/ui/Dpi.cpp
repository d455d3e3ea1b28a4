#include "ui/Dpi.h"

namespace ui {

int WindowDpi(HWND hwnd) {
    UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
    return dpi ? static_cast<int>(dpi) : DesignDpi;
}

} // namespace ui
