#pragma once
// Answers for the dialogs of the file commands, and small fixtures.

#include "dialogs/MakeDir.h"
#include "dialogs/MsgBox.h"
#include "dialogs/RenProp.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using Step = std::function<void(ui::Form&)>;

// The texts of a dialog's static controls, joined by "|".
inline std::wstring StaticTexts(ui::Form& dialog) {
    std::wstring texts;
    EnumChildWindows(
        dialog.Handle(),
        [](HWND child, LPARAM lp) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (lstrcmpiW(cls, L"Static") == 0) {
                wchar_t text[1024] = {};
                GetWindowTextW(child, text, 1024);
                if (*text) {
                    auto& out = *reinterpret_cast<std::wstring*>(lp);
                    out += (out.empty() ? L"" : L"|") + std::wstring(text);
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// OK in the confirmation dialog, as a click on its button.
inline Step ConfirmOk() {
    return [](ui::Form& f) { dynamic_cast<TMsgBox&>(f).Button_Ok->Click(); };
}
inline Step ConfirmCancel() {
    return [](ui::Form& f) { dynamic_cast<TMsgBox&>(f).Button_Cancel->Click(); };
}
// Types `text` into the input dialog and clicks OK; the prompt and the
// initial text it showed go to `seen` when given.
inline Step Answer(std::wstring text, std::vector<std::wstring>* seen = nullptr) {
    return [text, seen](ui::Form& f) {
        auto& d = dynamic_cast<TMakeDir&>(f);
        if (seen)
            seen->push_back(d.Label1->Text() + L"|" + d.Edit1->Text());
        d.Edit1->SetText(text);
        d.Button_Ok->Click();
    };
}
inline Step CancelInput() {
    return [](ui::Form& f) { dynamic_cast<TMakeDir&>(f).Button_Cancel->Click(); };
}
inline Step RenPropOk() {
    return [](ui::Form& f) { dynamic_cast<TRenProp&>(f).Button_Ok->Click(); };
}
// A notice of ShowMessageDlg: its text goes to `log`, then OK.
inline Step Notice(std::vector<std::wstring>& log) {
    return [&log](ui::Form& f) {
        log.push_back(StaticTexts(f));
        f.SetModalResult(ui::mrOk);
    };
}

inline std::vector<std::wstring> EntryNames(const TFileList& list) {
    std::vector<std::wstring> names;
    for (const auto& e : list)
        names.push_back(e->FileName);
    return names;
}

inline void Mark(TForm1& f, std::initializer_list<const wchar_t*> names) {
    for (auto n : names) {
        int i = IndexOfName(f.FileList, n);
        ASSERT_GE(i, 0) << Narrow(n);
        f.FileList[i]->Marked = true;
    }
}

inline void PutCursor(TForm1& f, const std::wstring& name) {
    int i = IndexOfName(f.FileList, name);
    ASSERT_GE(i, 0) << Narrow(name);
    f.PlaceCursor(i);
}
