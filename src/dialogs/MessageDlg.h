#pragma once
// The standard message dialog: an information notice with one OK button,
// placed over the file list window.

#include <string>

// Shows `text` with the information icon, caption "情報" and OK; returns the
// modal result. MessageShown is true while it is open.
int ShowMessageDlg(const std::wstring& text);
