// Searching a word in the names.

#include "main/Form1.h"

void TForm1::FindWord() {}
void TForm1::FindNextWord() {}
void TForm1::FindPrevWord() {}
