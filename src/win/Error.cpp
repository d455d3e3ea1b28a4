#include "win/Error.h"

namespace win {

std::wstring ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n != 0 && buffer != nullptr)
        text.assign(buffer, n);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.' || text.back() == L'。'))
        text.pop_back();
    if (text.empty())
        text = L"エラー " + std::to_wstring(code);
    return text;
}

void RaiseLastError(const std::wstring& prefix) {
    DWORD code = ::GetLastError();
    throw AppError(prefix + ErrorText(code), code);
}

} // namespace win
