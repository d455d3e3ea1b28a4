#pragma once
// OLE drag and drop of file lists (CF_HDROP): the file list as drop target,
// and the data object and drop source of a drag out of it.

#include "main/DataRec.h"

#include <windows.h>
#include <ole2.h>

#include <functional>

class TForm1;

// The drop target registered on the file list box. It accepts data objects
// that carry CF_HDROP, offers copy and link, and hands the dropped paths to
// TForm1::DropFileTarget1Drop.
class TDropTarget : public IDropTarget {
  public:
    explicit TDropTarget(TForm1& form) : form_(form) {}
    virtual ~TDropTarget() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

  private:
    TForm1& form_;
    LONG refs_ = 1;
    bool acceptable_ = false;
};

// A new data object (one reference, owned by the caller) carrying `paths`
// as CF_HDROP.
IDataObject* CreateFileDataObject(const TStringList& paths);

// The paths of the CF_HDROP file list in `data`, in order; empty when it
// carries none.
TStringList DroppedPaths(IDataObject* data);

// Runs a drag of `data` with the allowed effects and returns the effect the
// target chose. DoDragDrop, unless a test replaces it.
inline std::function<DWORD(IDataObject* data, DWORD allowedEffects)> RunDragDrop;
