#include "MonitorPanels.h"

#include "ImageButton.h"
#include "ResourceLibrary.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QColor kTitleButtonBackground(136, 210, 255);

// Moves the top-level window with the mouse, as dragging a caption would.
void BeginMove(QWidget* panel, QMouseEvent* event, QPoint& offset, bool& dragging)
{
    if (event->button() != Qt::LeftButton)
        return;
    QWidget* window = panel->window();
    if (window->windowHandle() && window->windowHandle()->startSystemMove())
        return;
    offset = event->globalPosition().toPoint() - window->frameGeometry().topLeft();
    dragging = true;
}

void ContinueMove(QWidget* panel, QMouseEvent* event, const QPoint& offset, bool dragging)
{
    if (dragging && (event->buttons() & Qt::LeftButton))
        panel->window()->move(event->globalPosition().toPoint() - offset);
}

} // namespace

CTitleBarDlg::CTitleBarDlg(QWidget* parent) : CFormPannel(129, parent)
{
    if (QLabel* title = Label(1000))
        title->setText(CResourceLibrary::String(105));
}

void CTitleBarDlg::CreateButtons()
{
    CFormPannel::CreateButtons();
    // The window buttons sit on their own light colour, not on the panel's.
    for (unsigned id : {1002u, 1003u, 1004u})
        if (auto* button = qobject_cast<CImageButton*>(GetButton(id)))
            button->SetBitmap(button->property("bitmapId").toUInt(), kTitleButtonBackground,
                              GetTransparentColor());
}

void CTitleBarDlg::SetInstrumentText(const QString& text)
{
    if (QLabel* label = Label(1074))
        label->setText(text);
}

void CTitleBarDlg::mousePressEvent(QMouseEvent* event)
{
    BeginMove(this, event, m_dragOffset, m_bDragging);
}

void CTitleBarDlg::mouseMoveEvent(QMouseEvent* event)
{
    ContinueMove(this, event, m_dragOffset, m_bDragging);
}

void CTitleBarDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit maximiseRequested();
}

CToolbarButtonDialog::CToolbarButtonDialog(QWidget* parent) : CFormPannel(134, parent)
{
}

void CToolbarButtonDialog::mousePressEvent(QMouseEvent* event)
{
    BeginMove(this, event, m_dragOffset, m_bDragging);
}

void CToolbarButtonDialog::mouseMoveEvent(QMouseEvent* event)
{
    ContinueMove(this, event, m_dragOffset, m_bDragging);
}

CDialogCurrentData::CDialogCurrentData(QWidget* parent) : CFormPannel(167, parent)
{
    // Hold and Clear are plain push buttons of the form.
    const struct {
        int id;
        bool hold;
        int reference;
    } buttons[] = {{1049, true, 1}, {1050, false, 1}, {1051, true, 2}, {1052, false, 2}};
    for (const auto& b : buttons) {
        if (auto* button = CResourceLibrary::Control<QPushButton>(Form(), b.id)) {
            const int reference = b.reference;
            if (b.hold)
                connect(button, &QPushButton::clicked, this,
                        [this, reference] { emit holdReference(reference); });
            else
                connect(button, &QPushButton::clicked, this,
                        [this, reference] { emit clearReference(reference); });
        }
    }
}

void CDialogCurrentData::SetFrequency(int field, const QString& text)
{
    static const int kFields[] = {1046, 1047, 1048};
    if (field < 0 || field > 2)
        return;
    if (auto* edit = CResourceLibrary::Control<QLineEdit>(Form(), kFields[field]))
        edit->setText(text);
    else if (QLabel* label = Label(kFields[field]))
        label->setText(text);
}

QString CDialogCurrentData::GetFrequency(int field) const
{
    static const int kFields[] = {1046, 1047, 1048};
    if (field < 0 || field > 2)
        return {};
    if (auto* edit = CResourceLibrary::Control<QLineEdit>(Form(), kFields[field]))
        return edit->text();
    QLabel* label = Label(kFields[field]);
    return label ? label->text() : QString();
}

void CDialogCurrentData::OnButtonClicked(unsigned id)
{
    // Record and stop go to the main window as requests; it decides.
    if (id == 1058)
        emit recordStart();
    else if (id == 1059)
        emit recordStop();
    else
        CFormPannel::OnButtonClicked(id);
}

CTarvolinMonitorAboutDialog::CTarvolinMonitorAboutDialog(QWidget* parent) : QDialog(parent)
{
    auto* layout = new QVBoxLayout(this);
    m_pForm = CResourceLibrary::LoadForm(1009, this);
    if (m_pForm) {
        layout->addWidget(m_pForm);
        setWindowTitle(m_pForm->windowTitle());
        for (QPushButton* button : m_pForm->findChildren<QPushButton*>())
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
    }
}

void CTarvolinMonitorAboutDialog::SetField(int id, const QString& text)
{
    if (auto* edit = CResourceLibrary::Control<QLineEdit>(m_pForm, id))
        edit->setText(text);
    else if (auto* label = CResourceLibrary::Control<QLabel>(m_pForm, id))
        label->setText(text);
}

QString CTarvolinMonitorAboutDialog::GetField(int id) const
{
    if (auto* edit = CResourceLibrary::Control<QLineEdit>(m_pForm, id))
        return edit->text();
    auto* label = CResourceLibrary::Control<QLabel>(m_pForm, id);
    return label ? label->text() : QString();
}
