#include "MessageService.h"

#include <atomic>
#include <cstdio>

namespace {

int FirstButton(MessageButtons buttons)
{
    if (buttons == MessageButtons::YesNoDefaultNo)
        return IDNO;
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? IDYES
                                                                                      : IDOK;
}

// Nobody can answer a question on standard error: the answer is the one
// that changes nothing (No, Cancel), so that a program without a window
// never replaces or deletes anything on its own.
int SafeButton(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
        return IDNO;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        return IDCANCEL;
    case MessageButtons::Ok:
        break;
    }
    return IDOK;
}

class CStderrSink : public IMessageSink {
public:
    int Show(const std::string& text, const std::string& caption, MessageIcon,
             MessageButtons buttons) override
    {
        if (caption.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return SafeButton(buttons);
    }
};

CStderrSink g_stderrSink;

} // namespace

int CMessageService::HeadlessAnswer(MessageButtons buttons)
{
    return SafeButton(buttons);
}

namespace {

std::atomic<IMessageSink*> g_sink{&g_stderrSink};

} // namespace

IMessageSink* CMessageService::SetSink(IMessageSink* sink)
{
    return g_sink.exchange(sink ? sink : &g_stderrSink);
}

int CMessageService::Show(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons)
{
    return g_sink.load()->Show(text, caption, icon, buttons);
}

CMessageRecorder::CMessageRecorder()
{
    m_previous = CMessageService::SetSink(this);
}

CMessageRecorder::~CMessageRecorder()
{
    CMessageService::SetSink(m_previous);
}

int CMessageRecorder::Show(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons)
{
    std::lock_guard guard(m_lock);
    m_messages.push_back({text, caption, icon, buttons});
    if (m_answers.empty())
        return FirstButton(buttons);
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void CMessageRecorder::QueueAnswer(int answer)
{
    std::lock_guard guard(m_lock);
    m_answers.push_back(answer);
}

std::vector<CMessageRecorder::Message> CMessageRecorder::Messages() const
{
    std::lock_guard guard(m_lock);
    return m_messages;
}

size_t CMessageRecorder::Count() const
{
    std::lock_guard guard(m_lock);
    return m_messages.size();
}

void CMessageRecorder::Clear()
{
    std::lock_guard guard(m_lock);
    m_messages.clear();
    m_answers.clear();
}
