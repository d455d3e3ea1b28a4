// The entry order of the list.

#include "main/Form1.h"

#include <algorithm>

void TForm1::SortFileList() {
    std::stable_partition(FileList.begin(), FileList.end(),
                          [](const auto& e) { return e->FileName == L".."; });
    ShowFileCount();
}
