#pragma once
// "Add New Tarvolin Monitor" (template 141): the Instrument ID (1013), the
// port COM1 to COM8 (1014, COM1 preselected), Add (1009) and Cancel (1010).
// Add adds the connection (CInstrumentConnections::Add) and closes the
// dialog with "Tarvolin instrument has been created"; when the name is
// refused or the list cannot be written the message says why and the dialog
// stays open with what was typed.

#include <QDialog>

class CInstrumentConnections;
class QComboBox;
class QLineEdit;
class QPushButton;

class CAddDeviceDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kNameEdit = 1013;
    static constexpr int kPortList = 1014;
    static constexpr int kAddButton = 1009;
    static constexpr int kCancelButton = 1010;

    CAddDeviceDlg(CInstrumentConnections& connections, QWidget* parent);

    QLineEdit* GetNameEdit() const { return m_pName; }
    QComboBox* GetPortList() const { return m_pPort; }
    QPushButton* GetAddButton() const { return m_pAdd; }

    // The Add button: 1 when the connection was added (and the dialog accepted).
    int OnAdd();

private:
    CInstrumentConnections& m_connections;
    QLineEdit* m_pName = nullptr;
    QComboBox* m_pPort = nullptr;
    QPushButton* m_pAdd = nullptr;
};
