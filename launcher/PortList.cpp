#include "PortList.h"

#include "InstrumentConnections.h"

#include <QComboBox>

namespace launcher {

void FillPortList(QComboBox* list)
{
    list->clear();
    for (int port = CInstrumentConnections::kFirstPort; port <= CInstrumentConnections::kLastPort;
         ++port)
        list->addItem(QStringLiteral("COM%1").arg(port), port);
}

void SelectPort(QComboBox* list, int port)
{
    if (port < 1)
        return;
    int index = list->findData(port);
    if (index < 0) {
        list->addItem(QStringLiteral("COM%1").arg(port), port);
        index = list->count() - 1;
    }
    list->setCurrentIndex(index);
}

int ChosenPort(const QComboBox* list)
{
    return list->currentIndex() < 0 ? 0 : list->currentData().toInt();
}

} // namespace launcher
