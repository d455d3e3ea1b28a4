// The header panel: drive space, path, counts, sizes and the clock.

#include "dialogs/MessageDlg.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"

void TForm1::RecordDriveDir() {
    if (CurDir.size() >= 2 && CurDir[1] == L':' && iswalpha(CurDir[0])) {
        wchar_t letter = static_cast<wchar_t>(towupper(CurDir[0]));
        if (letter >= L'A' && letter <= L'Z')
            DriveDirs[letter - L'A'] = CurDir;
    }
}

void TForm1::ShowDriveSpace() {
    RecordDriveDir();
    std::wstring root;
    if (CurDir.size() >= 2 && CurDir[1] == L':' && iswalpha(CurDir[0]))
        root = std::wstring(1, static_cast<wchar_t>(towupper(CurDir[0]))) + L":\\";
    else
        // A network path has no drive letter: ask for the space of the
        // directory itself.
        root = IncludeTrailingBackslash(CurDir);
    ULARGE_INTEGER freeToUser{}, totalBytes{};
    int64_t freeBytes = -1, total = -1;
    if (GetDiskFreeSpaceExW(root.c_str(), &freeToUser, &totalBytes, nullptr)) {
        freeBytes = static_cast<int64_t>(freeToUser.QuadPart);
        total = static_cast<int64_t>(totalBytes.QuadPart);
    }
    if (freeBytes == -1 || total == -1) {
        // Told once per directory: resizes and refreshes of a drive that is
        // not there do not ask again. Raised before the message runs the
        // message loop.
        if (!DriveSpaceReported) {
            DriveSpaceReported = true;
            ShowMessageDlg(freeBytes == -1 ? L"指定ドライブの空き容量を得られませんでした"
                                           : L"指定ドライブの全容量を得られませんでした");
        }
        return;
    }
    DriveSpaceReported = false;
    SText_Total->SetText(L"Total: " + FormatNumber(total, 16));
    SText_Used->SetText(L"Used: " + FormatNumber(total - freeBytes, 16));
    SText_Free->SetText(L"Free: " + FormatNumber(freeBytes, 16));
}

void TForm1::FollowScannedDir() {
    if (PathText == CurDir)
        return;
    RecordDriveDir();
    ShowPath();
}

void TForm1::ShowPath() {
    PathText = CurDir;
    Label_Path->SetText(FitText(PathText, Label_Path->FontHandle(),
                                SText_Marked->Left() - Label_Path->Left() - Scale(10)));
}

void TForm1::ShowClock() {
    SText_Date->SetFontColor(clYellow);
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t text[64];
    swprintf(text, 64, L"%04d年%02d月%02d日 %02d時%02d分", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute);
    SText_Date->SetText(text);
}

void TForm1::ShowFileCount() {
    int n = 0;
    for (const auto& e : FileList)
        if (e->FileName != L".." && e->FileName != L".")
            ++n;
    SText_Files->SetText(PadLeft(std::to_wstring(n), 8));
}

void TForm1::ShowMarkedCount() {
    SText_Marked->SetText(PadLeft(std::to_wstring(MarkedCount(FileList)), 8));
    ShowSizes();
}

void TForm1::ShowSizes() {
    int64_t total = 0, marked = 0;
    for (const auto& e : FileList) {
        if (e->FileName == L".." || e->FileName == L"." || (e->FileAttr & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        total += e->FileSize;
        if (e->Marked)
            marked += e->FileSize;
    }
    ShowTotalSize(total);
    ShowMarkedSize(marked);
}

void TForm1::ShowTotalSize(int64_t size) {
    SText_SizeA->SetFontColor(clYellow);
    SText_SizeA->SetText(FormatNumber(size, 18));
}

void TForm1::ShowMarkedSize(int64_t size) {
    SText_SizeM->SetFontColor(clYellow);
    SText_SizeM->SetText(FormatNumber(size, 18));
}
