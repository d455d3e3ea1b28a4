#pragma once
// Helpers for the steps that answer modal dialogs.

#include <windows.h>

#include <string>
#include <vector>

// A key typed into a dialog's control, handled through the application's
// message loop (the dialog's key preview and dialog navigation) before this
// returns.
void TypeKey(HWND hwnd, WORD vk);
// The texts of a window's child windows (a notice's message among them).
std::vector<std::wstring> ChildTexts(HWND parent);
// True when one of the child windows shows `text`.
bool ShowsText(HWND parent, const std::wstring& text);
