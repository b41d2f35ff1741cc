#pragma once
// The main window's panels, each built from its form in the resource library:
// the title bar, the toolbar, the current-data bar and the about dialog.

#include "FormPannel.h"

#include <QDialog>
#include <QPoint>

class CImageButton;
class QLabel;
class QLineEdit;

// Drags the main window by its title bar or toolbar background; a double
// click on the title bar maximises or restores.
class CTitleBarDlg : public CFormPannel {
    Q_OBJECT
public:
    explicit CTitleBarDlg(QWidget* parent);
    // Cut with an ellipsis when the bar is too narrow; the tool tip has it whole.
    void SetInstrumentText(const QString& text);
    QString GetInstrumentText() const { return m_strInstrument; }
    // The maximise button shows "restore" (picture and tool tip) while maximised.
    void ShowMaximised(bool bMaximised);

signals:
    void maximiseRequested();

protected:
    void CreateButtons() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ElideInstrument();

    QPoint m_dragOffset;
    bool m_bDragging = false;
    QString m_strInstrument;
};

class CToolbarButtonDialog : public CFormPannel {
    Q_OBJECT
public:
    explicit CToolbarButtonDialog(QWidget* parent);
    // Compact: the buttons without their captions (their tool tips stay).
    void SetCompact(bool bCompact);
    bool IsCompact() const { return m_bCompact; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint m_dragOffset;
    bool m_bDragging = false;
    bool m_bCompact = false;
};

class CDialogCurrentData : public CFormPannel {
    Q_OBJECT
public:
    explicit CDialogCurrentData(QWidget* parent);
    // Field 0 live, 1 and 2 the references; an empty text clears it.
    void SetFrequency(int field, const QString& text);
    QString GetFrequency(int field) const;
    // The live group's caption ("Current Data", or what a paused view shows).
    void SetLiveCaption(const QString& caption);
    QString GetLiveCaption() const;

signals:
    void holdReference(int reference);
    void clearReference(int reference);
    void recordStart();
    void recordStop();

protected:
    void OnButtonClicked(unsigned id) override;
};

class CTarvolinMonitorAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTarvolinMonitorAboutDialog(QWidget* parent);
    void SetField(int id, const QString& text);
    QString GetField(int id) const;
    // "Tarvolin Monitor, version 0.1.0".
    QString GetVersionText() const;

private:
    QWidget* m_pForm = nullptr;
    QLabel* m_pVersion = nullptr;
};
