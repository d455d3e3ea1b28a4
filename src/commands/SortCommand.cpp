// The sort options command.

#include "main/Form1.h"

void TForm1::ChooseSortOrder() {}
