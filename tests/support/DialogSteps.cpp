#include "support/DialogSteps.h"

#include "support/WindowDriver.h"
#include "ui/Application.h"

#include <algorithm>

void TypeKey(HWND hwnd, WORD vk) {
    PostKey(hwnd, vk);
    ui::App().ProcessMessages();
}

std::vector<std::wstring> ChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lp) -> BOOL {
            int n = GetWindowTextLengthW(child);
            std::wstring text(n + 1, L'\0');
            GetWindowTextW(child, text.data(), n + 1);
            text.resize(n);
            reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool ShowsText(HWND parent, const std::wstring& text) {
    auto texts = ChildTexts(parent);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}
