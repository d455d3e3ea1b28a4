#pragma once
// The one exception type that file-system and other unexpected failures raise.
// It carries the text shown to the user by the standard error report.

#include <windows.h>

#include <exception>
#include <string>

namespace win {

class AppError : public std::exception {
  public:
    explicit AppError(std::wstring text, DWORD code = 0) : text_(std::move(text)), code_(code) {}
    const std::wstring& Text() const { return text_; }
    DWORD Code() const { return code_; }
    const char* what() const noexcept override { return "Pelmo error"; }

  private:
    std::wstring text_;
    DWORD code_;
};

// The system's message for an error code, without trailing line breaks or dot.
std::wstring ErrorText(DWORD code);

// Throws AppError with `prefix` followed by the text of GetLastError().
[[noreturn]] void RaiseLastError(const std::wstring& prefix);

// Keeps GetLastError() across cleanup code.
class LastErrorGuard {
  public:
    LastErrorGuard() : code_(::GetLastError()) {}
    ~LastErrorGuard() { ::SetLastError(code_); }
    LastErrorGuard(const LastErrorGuard&) = delete;
    LastErrorGuard& operator=(const LastErrorGuard&) = delete;

  private:
    DWORD code_;
};

} // namespace win
