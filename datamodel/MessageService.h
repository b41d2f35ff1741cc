#pragma once
// The one way the libraries and programs tell the user something. Libraries
// never show a window: they call CMessageService, which forwards to whatever
// sink the program installed (a message box in the GUI programs, standard
// error in the command-line tool, a recorder in tests).

#include <deque>
#include <mutex>
#include <string>
#include <vector>

enum class MessageIcon { Information, Warning, Error, Question };
// YesNoDefaultNo: Yes and No with No preselected, for questions whose Yes
// cannot be undone; a sink that cannot ask answers No.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };

// Answers, numbered as the system's message boxes number them.
enum MessageResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual int Show(const std::string& text, const std::string& caption, MessageIcon icon,
                     MessageButtons buttons) = 0;
};

class CMessageService {
public:
    // Installs a sink; nullptr restores the default (standard error; a
    // question gets HeadlessAnswer). Returns the previous sink.
    static IMessageSink* SetSink(IMessageSink* sink);
    // What a sink with nobody to ask answers: the button that changes
    // nothing (No for Yes/No either way, Cancel where there is one, else OK).
    static int HeadlessAnswer(MessageButtons buttons);
    static int Show(const std::string& text, const std::string& caption = "",
                    MessageIcon icon = MessageIcon::Information,
                    MessageButtons buttons = MessageButtons::Ok);
};

// Records every message and answers from a queue (then the first button, or
// No for YesNoDefaultNo).
// Installs itself for its lifetime.
class CMessageRecorder : public IMessageSink {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };

    CMessageRecorder();
    ~CMessageRecorder() override;
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;

    int Show(const std::string& text, const std::string& caption, MessageIcon icon,
             MessageButtons buttons) override;

    void QueueAnswer(int answer);
    std::vector<Message> Messages() const;
    size_t Count() const;
    void Clear();

private:
    mutable std::mutex m_lock;
    std::vector<Message> m_messages;
    std::deque<int> m_answers;
    IMessageSink* m_previous = nullptr;
};
