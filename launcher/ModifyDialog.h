#pragma once
// "Modify Tarvolin Monitor Settings" (template 142): the Instrument ID
// (1017, shown, not editable), the port (1016), Save (1019) and Cancel
// (1020). The connection is looked up by name (trimmed, any case) when the
// dialog is made; IsFound() is false when it is not in the list, and the
// dialog is then not shown at all.

#include <QDialog>

class CInstrumentConnections;
class QComboBox;
class QLineEdit;
class QPushButton;

class CModifyDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kNameEdit = 1017;
    static constexpr int kPortList = 1016;
    static constexpr int kSaveButton = 1019;
    static constexpr int kCancelButton = 1020;

    CModifyDialog(CInstrumentConnections& connections, const QString& name, QWidget* parent);

    bool IsFound() const { return m_bFound; }
    QLineEdit* GetNameEdit() const { return m_pName; }
    QComboBox* GetPortList() const { return m_pPort; }
    QPushButton* GetSaveButton() const { return m_pSave; }

    // The Save button: 1 when the connection was changed (and the dialog accepted).
    int OnSave();

private:
    CInstrumentConnections& m_connections;
    QString m_strName;
    bool m_bFound = false;
    QLineEdit* m_pName = nullptr;
    QComboBox* m_pPort = nullptr;
    QPushButton* m_pSave = nullptr;
};
