// Copy and move: the destination prompt, the walk over the marked entries,
// the overwrite-conflict rules and the completion report.

#include "dialogs/CopyProp.h"
#include "dialogs/MessageDlg.h"
#include "dialogs/MsgBox.h"
#include "fileops/CopyMovePrompts.h"
#include "fileops/FileCopy.h"
#include "main/Form1.h"
#include "settings/History.h"
#include "subroutines/FileIdentity.h"
#include "subroutines/FileSystem.h"
#include "subroutines/Subroutines.h"
#include "ui/Application.h"
#include "win/Handle.h"

#include <windows.h>

namespace {

// Entries of a directory move that stayed at the source because they were
// not copied (counted over one command).
int EntriesLeftAtSource = 0;

// The last path component of what was typed into the new-name prompt.
std::wstring NameFromTyped(std::wstring text) {
    size_t start = 0;
    while (start < text.size() && text[start] <= L' ')
        ++start;
    text.erase(0, start);
    if (!text.empty() && text.back() == L'\\')
        text.pop_back();
    size_t p = text.find_last_of(L"\\:");
    return p == std::wstring::npos ? text : text.substr(p + 1);
}

struct ConflictInfo {
    int64_t SrcSize = 0, DstSize = 0;
    double SrcDate = 0, DstDate = 0;
};

// "yyyy.mm.dd hh.nn.ss"
std::wstring ConflictDateText(double date) {
    DateTimeParts t = DecodeDateTime(date);
    wchar_t text[32];
    swprintf(text, 32, L"%04d.%02d.%02d %02d.%02d.%02d", t.year, t.month, t.day, t.hour, t.minute,
             t.second);
    return text;
}

std::wstring ConflictSizeText(int64_t size) {
    std::wstring text = FormatNumber(size, 16);
    return text.substr(std::min(text.find_first_not_of(L' '), text.size()));
}

void LookUpEntry(const std::wstring& path, int64_t& size, double& date) {
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW(path.c_str(), &fd));
    if (!find)
        return;
    date = FileTimeToLocalDate(fd.ftLastWriteTime);
    size = (static_cast<int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

ConflictInfo GetConflictInfo(const std::wstring& src, const std::wstring& dst) {
    ConflictInfo info;
    LookUpEntry(src, info.SrcSize, info.SrcDate);
    LookUpEntry(dst, info.DstSize, info.DstDate);
    SrcDateText = ConflictDateText(info.SrcDate);
    SrcSizeText = ConflictSizeText(info.SrcSize);
    DstDateText = ConflictDateText(info.DstDate);
    DstSizeText = ConflictSizeText(info.DstSize);
    return info;
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// CollapseDelimiters, except that a network path keeps the two backslashes
// it begins with: without one of them it would name a folder on the current
// drive.
std::wstring CollapseKeepingShare(const std::wstring& path) {
    if (path.starts_with(L"\\\\") && path.size() > 2 && path[2] != L'\\')
        return L"\\" + CollapseDelimiters(path.substr(1));
    return CollapseDelimiters(path);
}

// An entry whose destination is the entry itself under another spelling (a
// hard link, a directory reached through a link): left alone.
void RefuseSameEntry(const std::wstring& src) {
    ShowMessageDlg(FileNamePart(src) + L" はコピー先と同じファイルなので実行できません");
}

void ReportEntriesLeft() {
    if (EntriesLeftAtSource > 0)
        ShowMessageDlg(L"コピーできなかった " + std::to_wstring(EntriesLeftAtSource) +
                       L" 個のファイルを移動元に残しました");
    EntriesLeftAtSource = 0;
}

} // namespace

void TForm1::CopyCommand() {
    if (FileList.empty())
        return;
    MoveMode = false;
    CopyOrMove();
}

void TForm1::MoveCommand() {
    if (FileList.empty())
        return;
    MoveMode = true;
    CopyOrMove();
}

void TForm1::CopyOrMove() {
    ApplyToAll = false;
    ConflictAccepted = false;
    SameDirCopy = false;
    ResultList.clear();
    EntriesLeftAtSource = 0;

    TStringList history = DirHistory;
    int answer = Prompts().AskDestination(MoveMode ? L"ムーブ先のディレクトリ名を入れてください"
                                                   : L"コピー先のディレクトリ名を入れてください",
                                          CurDir, history);
    if (answer != ui::mrOk || history.empty())
        return;
    // A relative answer means a place seen from the directory on screen; the
    // history keeps the absolute path it resolved to.
    DestDir = IncludeTrailingBackslash(ResolveTypedPath(
        CollapseKeepingShare(IncludeTrailingBackslash(history[0])), CurDir, DriveDirs));
    history.erase(history.begin());
    AddHistory(DestDir, history);
    SameDirCopy = DestDir == CurDir || SameFileOrDirectory(DestDir, CurDir);
    DirHistory = history;
    AddHistory(CurDir, DirHistory);
    if (MoveMode && SameDirCopy)
        return;

    BusyScope busy(Busy);
    auto process = [this](int i) {
        std::wstring name = EntryName(FileList, i);
        SetCaption(std::wstring(NormalCaption) + L"  コピー／ムーブ中  " + name);
        ui::App().ProcessMessages();
        bool skipped = false;
        CopyEntry(i, CurDir + name, DestDir + name, skipped);
    };
    try {
        if (AnyMarked(FileList)) {
            for (int i = 0; i < Count(FileList);) {
                if (!EntryMarked(FileList, i)) {
                    ++i;
                    continue;
                }
                int before = Count(FileList);
                process(i);
                // A moved entry left the list; the next one took its index.
                if (Count(FileList) == before)
                    ++i;
            }
        } else if (CurIndex >= 0 && CurIndex < Count(FileList)) {
            const std::wstring& name = EntryName(FileList, CurIndex);
            if (!name.empty() && name != L"." && name != L"..")
                process(CurIndex);
        }
    } catch (...) {
        ReportEntriesLeft();
        throw;
    }

    if (!ResultList.empty())
        Prompts().ShowReport(MoveMode ? L"ファイルの移動を完了しました"
                                      : L"ファイルのコピーを完了しました",
                             ResultList);
    ReportEntriesLeft();
    RefreshKeepMarks();
}

void TForm1::CopyEntry(int i, const std::wstring& src, const std::wstring& dst, bool& skipped) {
    skipped = false;
    if (!PathExists(dst)) {
        TransferEntry(i, src, dst);
        return;
    }
    if (!SameDirCopy && SameFileOrDirectory(src, dst)) {
        RefuseSameEntry(src);
        return;
    }
    ConflictInfo info = GetConflictInfo(src, dst);
    if (ApplyToAll) {
        ConflictAccepted = true;
    } else {
        ConflictText = (MoveMode ? L"ムーブ先に " : L"コピー先に ") + FileNamePart(src) +
                       L" ファイルがあります";
        ConflictAccepted = ShowCopyProp() == ui::mrOk;
        CopyProp = nullptr;
    }
    if (!ConflictAccepted)
        return;

    std::wstring directory = DirPart(dst) + L"\\";
    std::wstring target = dst;
    if (SameDirCopy) {
        if (AskNewName(FileNamePart(src), directory, target))
            TransferEntry(i, src, target);
        return;
    }
    switch (CopyMode) {
    case 5:
        if (info.SrcDate > info.DstDate)
            TransferEntry(i, src, dst);
        break;
    case 0:
        if (info.SrcSize > info.DstSize)
            TransferEntry(i, src, dst);
        break;
    case 4:
        if (info.SrcSize < info.DstSize)
            TransferEntry(i, src, dst);
        break;
    case 2:
        TransferEntry(i, src, dst);
        break;
    case 3:
        if (AskNewName(FileNamePart(src), directory, target))
            TransferEntry(i, src, target);
        break;
    case 1:
        skipped = true;
        break;
    default:
        break;
    }
}

bool TForm1::AskNewName(const std::wstring& name, const std::wstring& directory,
                        std::wstring& dst) {
    for (;;) {
        std::wstring typed = name;
        if (Prompts().AskName(L"新しい名前を入力してください", typed) != ui::mrOk)
            return false;
        std::wstring newName = NameFromTyped(typed);
        // Nothing left of the name (or only a reference to a directory
        // itself): it would name the destination directory; ask again.
        if (newName.empty() || newName == L"." || newName == L"..")
            continue;
        dst = directory + newName;
        if (!FileExists(dst))
            return true;
    }
}

void TForm1::TransferEntry(int i, const std::wstring& src, const std::wstring& dst) {
    bool isDir = EntryIsDir(FileList, i);
    // A directory onto itself (another spelling of its own name), into
    // itself or anywhere further down its own tree.
    if (isDir && SameFileOrDirectory(src, dst)) {
        RefuseSameEntry(src);
        return;
    }
    if (isDir && (DirPart(dst) == src || IsSameOrInside(dst, src))) {
        MsgBoxText = L"サブディレクトリなので実行できません";
        ShowMsgBox();
        MsgBox = nullptr;
        return;
    }
    DirCopyResult copied;
    if (isDir)
        copied = CopyDirectory(src, dst);
    else
        CopyOneFile(src, dst, true);

    std::wstring line = std::to_wstring(ResultList.size() + 1) + L": " + FileNamePart(src);
    if (FileNamePart(dst) != FileNamePart(src))
        line += L" → " + FileNamePart(dst);
    ResultList.push_back(line);

    if (!MoveMode)
        return;
    bool gone = false;
    if (!isDir) {
        // The source goes only when another file holds its bytes: with
        // both names on one file, equal sizes prove nothing.
        if (FileSizeOf(dst) != FileSizeOf(src) || SameFileOrDirectory(src, dst)) {
            ++EntriesLeftAtSource;
            return;
        }
        gone = DeleteFileW(src.c_str()) != FALSE;
        if (!gone)
            ShowMessageDlg(L"削除に失敗しました");
    } else if (EntryAttr(FileList, i) & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link to a directory elsewhere: its content was copied, but neither
        // the link nor its target is deleted through it.
        ++EntriesLeftAtSource;
    } else {
        EntriesLeftAtSource += copied.FailedFiles + copied.SkippedLinks;
        gone = RemoveCopiedTree(src, copied.CopiedFiles);
    }
    if (gone) {
        FileList.erase(FileList.begin() + i);
        NormalisePage();
        DrawPage();
    }
}
