#include "QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

int CQtMessageSink::Show(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return ShowHere(text, caption, icon, buttons);
    int answer = IDCANCEL;
    QMetaObject::invokeMethod(
        app, [&] { answer = ShowHere(text, caption, icon, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

int CQtMessageSink::ShowHere(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons)
{
    QMessageBox box(m_pParent);
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(caption.empty() ? QStringLiteral("Tarvolin Monitor")
                                       : QString::fromStdString(caption));
    switch (icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}
