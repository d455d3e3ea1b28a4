#include "main/FolderWatcher.h"

TplFolderWatcher::~TplFolderWatcher() {
    StopWatch();
}

bool TplFolderWatcher::StartWatch() {
    StopWatch();
    return false;
}

void TplFolderWatcher::StopWatch() {}
