// Searching a word in the names.

#include "main/Form1.h"

#include "dialogs/MakeDir.h"
#include "subroutines/Subroutines.h"

#include <optional>

namespace {

// Asks for the word to look for; empty when the user cancels.
std::optional<std::wstring> AskSearchWord() {
    MakeDirPrompt = L"検索する単語を入力してください";
    MakeDirText.clear();
    int result = ShowMakeDir();
    MakeDir = nullptr;
    if (result != ui::mrOk)
        return std::nullopt;
    return MakeDirResult;
}

} // namespace

bool TForm1::SearchFrom(int start, int step) {
    if (SearchWord.empty())
        return false;
    for (int i = start; i >= 0 && i < Count(FileList); i += step) {
        if (EntryName(FileList, i).find(SearchWord) != std::wstring::npos) {
            PlaceCursor(i);
            return true;
        }
    }
    return false;
}

void TForm1::FindWord() {
    std::optional<std::wstring> word = AskSearchWord();
    if (!word)
        return;
    SearchWord = *word;
    SearchFrom(CurIndex, 1);
}

void TForm1::FindNextWord() {
    SearchFrom(CurIndex + 1, 1);
}

void TForm1::FindPrevWord() {
    SearchFrom(CurIndex - 1, -1);
}
