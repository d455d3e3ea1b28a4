#pragma once
// The dialogs that copy and move ask through, each behind one function so
// that the command does not depend on how a dialog is built. Tests may replace
// them; by default they open the program's dialogs.

#include "main/DataRec.h"

#include <functional>
#include <string>

struct CopyMovePrompts {
    // The destination prompt with the directory history: on OK (1) `history`
    // holds the answer at index 0; any other result leaves it to be dropped.
    std::function<int(const std::wstring& prompt, const std::wstring& info, TStringList& history)>
        AskDestination;
    // The new-name prompt, prefilled with `text`; on OK (1) `text` is what the
    // user typed.
    std::function<int(const std::wstring& prompt, std::wstring& text)> AskName;
    // The completion report: `lines` listed under `prompt`, OK only.
    std::function<void(const std::wstring& prompt, const TStringList& lines)> ShowReport;
};

// The functions in use; starts with the program's dialogs.
CopyMovePrompts& Prompts();
// The program's dialogs (what Prompts() starts with).
CopyMovePrompts DialogPrompts();
