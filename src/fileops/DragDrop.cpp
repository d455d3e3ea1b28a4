// Drag and drop: files dropped onto the list are copied into the current
// directory; a press on the list drags the marked entries out.

#include "fileops/DragDrop.h"

#include "dialogs/MsgBox.h"
#include "fileops/FileCopy.h"
#include "main/Form1.h"
#include "subroutines/FileIdentity.h"
#include "subroutines/FileSystem.h"
#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

// ---- paths ---------------------------------------------------------------

std::wstring DirectoryPart(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

void CheckPathName(const std::wstring& path, size_t limit) {
    if (!IsValidPathName(path))
        throw win::AppError(L"パス名が正しくありません: " + path);
    if (path.size() >= limit)
        throw win::AppError(L"パス名が長すぎます: " + path);
}

// ---- copying ---------------------------------------------------------------

// Copies one dropped file. Checks the paths first; the destination
// directory must exist (a drop never creates it).
void CopyDroppedFile(const std::wstring& source, const std::wstring& dest, bool overwrite) {
    CheckPathName(source, MaxFilePath);
    CheckPathName(dest, MaxFilePath);
    if (!FileExists(source))
        throw win::AppError(L"ファイルが見つかりません: " + source);
    if (!DirectoryExists(DirectoryPart(dest)))
        throw win::AppError(L"コピー先のディレクトリがありません: " + DirectoryPart(dest));
    // A file copied onto itself fails on Windows; say so before CopyFileW
    // is asked, so that no system can truncate the only copy. Any spelling
    // of the same file counts (letter case, a link, a hard link).
    if (SameFileOrDirectory(source, dest))
        throw win::AppError(L"同じファイルにはコピーできません: " + dest);
    CopyOneFile(source, dest, overwrite);
}

// Copies a dropped directory into dest, merging with what is there; the copy
// routine checks the paths and refuses a copy into the directory itself. A
// file of the tree that could not be copied fails the drop like a dropped
// file would, so the source is never told that everything arrived.
void CopyDroppedDirectory(const std::wstring& source, const std::wstring& dest) {
    DirCopyResult result = CopyDirectory(source, dest);
    if (result.FailedFiles > 0)
        throw win::AppError(std::to_wstring(result.FailedFiles) +
                            L" 個のファイルをコピーできませんでした: " + source);
}

// ---- COM objects -------------------------------------------------------------

// The CF_HDROP format as an HGLOBAL.
FORMATETC HdropFormat() {
    return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// Releases a storage medium returned by GetData.
struct Medium {
    STGMEDIUM value{};
    ~Medium() { ReleaseStgMedium(&value); }
};

// A DROPFILES block with the paths as wide strings, each ending in a zero,
// the list ending in one more.
HGLOBAL MakeHdrop(const TStringList& paths) {
    size_t chars = 1;
    for (const auto& p : paths)
        chars += p.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!mem)
        return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& p : paths) {
        std::memcpy(text, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
        text += p.size() + 1;
    }
    *text = L'\0';
    GlobalUnlock(mem);
    return mem;
}

bool IsHdrop(const FORMATETC* f) {
    return f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) &&
           f->dwAspect == DVASPECT_CONTENT;
}

// A data object that carries one file list.
class TFileDataObject : public IDataObject {
  public:
    explicit TFileDataObject(TStringList paths) : paths_(std::move(paths)) {}
    virtual ~TFileDataObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0)
            delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium)
            return E_INVALIDARG;
        if (!IsHdrop(format))
            return DV_E_FORMATETC;
        HGLOBAL mem = MakeHdrop(paths_);
        if (!mem)
            return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = mem;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return IsHdrop(format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        FORMATETC format = HdropFormat();
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    TStringList paths_;
    LONG refs_ = 1;
};

// The drag source: the drag ends when no mouse button is held any more and
// is cancelled by Esc.
class TDropSource : public IDropSource {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *object = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of the drag: the count is not used to free it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
            return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

template <class T> struct ComRelease {
    void operator()(T* p) const {
        if (p)
            p->Release();
    }
};
template <class T> using ComRef = std::unique_ptr<T, ComRelease<T>>;

// Copy, unless the user asks for a link (Alt, or Ctrl+Shift) or the source
// offers only that. Either way the drop copies.
DWORD ChooseEffect(DWORD keys, DWORD allowed) {
    bool wantsLink = (keys & MK_ALT) || ((keys & MK_CONTROL) && (keys & MK_SHIFT));
    if (wantsLink && (allowed & DROPEFFECT_LINK))
        return DROPEFFECT_LINK;
    if (allowed & DROPEFFECT_COPY)
        return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_LINK)
        return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

} // namespace

// ---- data object helpers -------------------------------------------------------

IDataObject* CreateFileDataObject(const TStringList& paths) {
    return new TFileDataObject(paths);
}

TStringList DroppedPaths(IDataObject* data) {
    TStringList paths;
    FORMATETC format = HdropFormat();
    Medium medium;
    if (!data || FAILED(data->GetData(&format, &medium.value)) ||
        medium.value.tymed != TYMED_HGLOBAL)
        return paths;
    auto drop = static_cast<HDROP>(medium.value.hGlobal);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT n = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(n + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), n + 1);
        path.resize(n);
        paths.push_back(std::move(path));
    }
    return paths;
}

// ---- drop target -----------------------------------------------------------------

HRESULT TDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TDropTarget::AddRef() {
    return InterlockedIncrement(&refs_);
}

ULONG TDropTarget::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0)
        delete this;
    return n;
}

HRESULT TDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    FORMATETC format = HdropFormat();
    // While a copy or move walks the list, nothing may be dropped into it.
    acceptable_ = !form_.Busy && data && data->QueryGetData(&format) == S_OK;
    *effect = acceptable_ ? ChooseEffect(keys, *effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TDropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    *effect = acceptable_ && !form_.Busy ? ChooseEffect(keys, *effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TDropTarget::DragLeave() {
    acceptable_ = false;
    return S_OK;
}

HRESULT TDropTarget::Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    DWORD chosen = ChooseEffect(keys, *effect);
    *effect = DROPEFFECT_NONE;
    FORMATETC format = HdropFormat();
    if (form_.Busy || !data || data->QueryGetData(&format) != S_OK || chosen == DROPEFFECT_NONE)
        return S_OK;
    bool ownDrag = form_.DragSourceActive;
    try {
        form_.DropFileTarget1Drop(DroppedPaths(data));
    } catch (...) {
        // A failed drop ends silently and tells the source nothing was
        // dropped; no exception may leave this COM call.
        return S_OK;
    }
    if (!ownDrag)
        *effect = chosen;
    return S_OK;
}

// ---- the file list window's side -----------------------------------------------------

void TForm1::TDropTargetRelease::operator()(TDropTarget* target) const {
    if (target)
        target->Release();
}

void TForm1::RegisterDropTarget() {
    DropFileTarget1.reset(new TDropTarget(*this));
    // Fails when OLE is not initialised; the list then takes no drops.
    RegisterDragDrop(LBox_Files->Handle(), DropFileTarget1.get());
}

void TForm1::RevokeDropTarget() {
    if (LBox_Files && LBox_Files->Handle())
        RevokeDragDrop(LBox_Files->Handle());
    DropFileTarget1.reset();
}

void TForm1::DropFileTarget1Drop(const TStringList& paths) {
    // The drop of our own drag; or a drop while a copy, move or rename walks
    // the list, which must change neither the list nor its marks.
    if (DragSourceActive || Busy)
        return;
    if (!paths.empty()) {
        DropList = paths;
        struct ClearAtEnd {
            TStringList& list;
            ~ClearAtEnd() { list.clear(); }
        } clear{DropList};
        for (const auto& dropped : DropList) {
            std::wstring p = ExcludeTrailingBackslash(dropped);
            std::wstring dest = CurDir + FileNamePart(p);
            if (DirectoryExists(p) && IsValidPathName(p)) {
                // Copying a directory into itself or its own subtree would
                // never end.
                if (IsSameOrInside(FullPathName(CurDir), FullPathName(p)))
                    throw win::AppError(L"サブディレクトリなので実行できません");
                CopyDroppedDirectory(p, dest);
            } else if (FileExists(p)) {
                if (FileExists(dest)) {
                    MsgBoxText = L"既存ファイルを置き換えますか？";
                    if (ShowMsgBox() == 1)
                        CopyDroppedFile(p, dest, /*overwrite=*/true);
                } else
                    CopyDroppedFile(p, dest, /*overwrite=*/false);
            }
        }
    }
    RefreshDir(true);
}

TStringList TForm1::DragSourcePaths() const {
    TStringList paths;
    for (const auto& e : FileList)
        if (e->Marked && e->FileName != L"..")
            paths.push_back(CurDir + e->FileName);
    if (paths.empty() && CurIndex >= 0 && CurIndex < Count(FileList) &&
        EntryName(FileList, CurIndex) != L"..")
        paths.push_back(CurDir + EntryName(FileList, CurIndex));
    return paths;
}

void TForm1::LBox_FilesMouseDown(int x, int y) {
    // No drag out of a list that a running command is working through.
    if (FileList.empty() || Busy)
        return;
    HWND list = LBox_Files->Handle();
    LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    int lines = LBox_Files->Count();
    if (lines == 0)
        return;
    // Below the last line of the page: the last line.
    int line = std::min<int>(LOWORD(hit), lines - 1);
    SelectLine(line);
    CurIndex = PageTop + line;

    TStringList paths = DragSourcePaths();
    if (paths.empty())
        return;
    ComRef<IDataObject> data(CreateFileDataObject(paths));
    DragSourceActive = true;
    struct ClearAtEnd {
        bool& flag;
        ~ClearAtEnd() { flag = false; }
    } clear{DragSourceActive};
    if (RunDragDrop)
        RunDragDrop(data.get(), DROPEFFECT_COPY);
    else {
        TDropSource source;
        DWORD effect = DROPEFFECT_NONE;
        DoDragDrop(data.get(), &source, DROPEFFECT_COPY, &effect);
    }
    // The drag's own loop took the button's release; the list box, which
    // sees the press after this handler, would otherwise keep the mouse
    // captured.
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}
