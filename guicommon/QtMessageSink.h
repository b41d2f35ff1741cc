#pragma once
// Shows the libraries' messages in message boxes. A message from another
// thread is shown by the user-interface thread, and the caller waits for the
// answer, as it would for a message box of its own.

#include "MessageService.h"

class QWidget;

class CQtMessageSink : public IMessageSink {
public:
    explicit CQtMessageSink(QWidget* parent = nullptr) : m_pParent(parent) {}
    void SetParent(QWidget* parent) { m_pParent = parent; }
    int Show(const std::string& text, const std::string& caption, MessageIcon icon,
             MessageButtons buttons) override;

private:
    int ShowHere(const std::string& text, const std::string& caption, MessageIcon icon,
                 MessageButtons buttons);
    QWidget* m_pParent;
};
