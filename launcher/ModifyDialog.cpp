#include "ModifyDialog.h"

#include "InstrumentConnections.h"
#include "LauncherMessages.h"
#include "LauncherResources.h"
#include "PortList.h"
#include "ResourceLibrary.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CModifyDialog::CModifyDialog(CInstrumentConnections& connections, const QString& name,
                             QWidget* parent)
    : QDialog(parent), m_connections(connections), m_strName(name.trimmed())
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* form = CLauncherResources::LoadForm(142, this);
    if (form) {
        layout->addWidget(form);
        setWindowTitle(form->windowTitle());
    }
    m_pName = CResourceLibrary::Control<QLineEdit>(form, kNameEdit);
    m_pPort = CResourceLibrary::Control<QComboBox>(form, kPortList);
    m_pSave = CResourceLibrary::Control<QPushButton>(form, kSaveButton);
    if (m_pPort)
        launcher::FillPortList(m_pPort);
    if (m_pSave)
        connect(m_pSave, &QPushButton::clicked, this, [this] { OnSave(); });
    if (auto* cancel = CResourceLibrary::Control<QPushButton>(form, kCancelButton))
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    CDeviceConnection connection;
    std::string msg;
    m_bFound = m_connections.Find(m_strName.toStdString(), connection, msg) != 0;
    if (!m_bFound) {
        // Gone from the list since it was shown: nothing to modify. Any
        // other reason (a damaged list) is worth a word.
        if (m_connections.GetLastProblem() != ConnectionProblem::NotFound)
            CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kConnectionFailed,
                                           MessageIcon::Error);
        return;
    }
    if (m_pName)
        m_pName->setText(QString::fromStdString(connection.GetTrimmedName()));
    if (m_pPort)
        launcher::SelectPort(m_pPort, connection.GetPortNumber());
}

int CModifyDialog::OnSave()
{
    if (!m_pPort)
        return 0;
    std::string msg;
    const int port = launcher::ChosenPort(m_pPort);
    const std::string name = m_strName.toStdString();
    int changed = m_connections.Modify(name, port, msg);
    // A damaged list the operator let us repair: the same change once more.
    if (!changed &&
        CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kConnectionFailed,
                                       MessageIcon::Error)) {
        changed = m_connections.Modify(name, port, msg);
        if (!changed)
            CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kConnectionFailed,
                                           MessageIcon::Error);
    }
    if (!changed)
        return 0;
    CLauncherMessages::Show(CLauncherMessages::kModified, MessageIcon::Information);
    accept();
    return 1;
}
