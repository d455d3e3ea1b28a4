#include "fileops/CopyMovePrompts.h"

#include "dialogs/LogHist.h"
#include "dialogs/MakeDir.h"
#include "dialogs/Qaccess.h"
#include "main/Form1.h"

CopyMovePrompts DialogPrompts() {
    CopyMovePrompts p;
    p.AskDestination = [](const std::wstring& prompt, const std::wstring& info,
                          TStringList& history) {
        HistPrompt = prompt;
        HistInfo = info;
        HistList = history;
        int result = ShowHistDlg();
        history = HistList;
        return result;
    };
    p.AskName = [](const std::wstring& prompt, std::wstring& text) {
        MakeDirPrompt = prompt;
        MakeDirText = text;
        int result = ShowMakeDir();
        MakeDir = nullptr;
        if (result == 1)
            text = MakeDirResult;
        return result;
    };
    // The result list is the window's ResultList, which the dialog shows.
    p.ShowReport = [](const std::wstring& prompt, const TStringList&) {
        QaccessPrompt = prompt;
        ShowQaccess();
    };
    return p;
}

CopyMovePrompts& Prompts() {
    static CopyMovePrompts prompts = DialogPrompts();
    return prompts;
}
