#include "AddDeviceDlg.h"

#include "InstrumentConnections.h"
#include "LauncherMessages.h"
#include "LauncherResources.h"
#include "PortList.h"
#include "ResourceLibrary.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CAddDeviceDlg::CAddDeviceDlg(CInstrumentConnections& connections, QWidget* parent)
    : QDialog(parent), m_connections(connections)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* form = CLauncherResources::LoadForm(141, this);
    if (form) {
        layout->addWidget(form);
        setWindowTitle(form->windowTitle());
    }
    m_pName = CResourceLibrary::Control<QLineEdit>(form, kNameEdit);
    m_pPort = CResourceLibrary::Control<QComboBox>(form, kPortList);
    m_pAdd = CResourceLibrary::Control<QPushButton>(form, kAddButton);
    if (m_pPort) {
        launcher::FillPortList(m_pPort);
        m_pPort->setCurrentIndex(0);
    }
    if (m_pAdd)
        connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    if (auto* cancel = CResourceLibrary::Control<QPushButton>(form, kCancelButton))
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    if (m_pName)
        m_pName->setFocus();
}

int CAddDeviceDlg::OnAdd()
{
    if (!m_pName || !m_pPort)
        return 0;
    const std::string name = m_pName->text().toStdString();
    const int port = launcher::ChosenPort(m_pPort);
    std::string msg;
    int added = m_connections.Add(name, port, msg);
    // A damaged list the operator let us repair: the same Add once more.
    if (!added &&
        CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kConnectionFailed,
                                       MessageIcon::Error)) {
        added = m_connections.Add(name, port, msg);
        if (!added)
            CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kConnectionFailed,
                                           MessageIcon::Error);
    }
    if (!added) {
        m_pName->setFocus();
        m_pName->selectAll();
        return 0;
    }
    CLauncherMessages::Show(CLauncherMessages::kCreated, MessageIcon::Information);
    if (!m_connections.GetWarning().empty())
        CLauncherMessages::Show(m_connections.GetWarning(), MessageIcon::Warning);
    accept();
    return 1;
}
