#pragma once
// The dialogs' port lists: COM1 to COM8 ("COM%d"), each item's data its number.

class QComboBox;

namespace launcher {

void FillPortList(QComboBox* list);
// Selects the port's entry; a port beyond the list gets an entry of its own
// so that what the file holds is shown. Ports below 1 select nothing.
void SelectPort(QComboBox* list, int port);
// The chosen item's number, 0 when none.
int ChosenPort(const QComboBox* list);

} // namespace launcher
