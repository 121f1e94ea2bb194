// Table maintenance commands of the main window's menu.
#include "TForm1.h"

void TForm1::Compact1Click() { }
void TForm1::EmptyDBase1Click() { }
void TForm1::RestoreEnd1Click() { }
void TForm1::DealError1Click() { }
void TForm1::KillDataTable1Click() { }
