#pragma once
// True while the matching dialog is open (from its show until its release).
// The application-wide key hook stands aside while any of them is set.

inline bool CopyPropShown = false;
inline bool HistDlgShown = false;
inline bool MakeDirShown = false;
inline bool MsgBoxShown = false;
inline bool MessageShown = false;
inline bool QaccessShown = false;
inline bool RenPropShown = false;
inline bool SortPropShown = false;

inline bool AnyDialogShown() {
    return CopyPropShown || HistDlgShown || MakeDirShown || MsgBoxShown || MessageShown ||
           QaccessShown || RenPropShown || SortPropShown;
}
