#include "TerminalProgress.h"

#include <iostream>
#include <unistd.h>

namespace cli {

std::unique_ptr<IProgress> CTerminalProgress::ForStandardError()
{
    if (!::isatty(STDERR_FILENO))
        return nullptr;
    return std::make_unique<CTerminalProgress>(std::cerr);
}

void CTerminalProgress::Start(const std::string& task)
{
    Step(task, 0.0);
}

void CTerminalProgress::Step(const std::string& text, double)
{
    // Spaces over what a longer earlier line left.
    const size_t pad = m_nShown > text.size() ? m_nShown - text.size() : 0;
    m_terminal << '\r' << text << std::string(pad, ' ') << std::flush;
    m_nShown = text.size();
}

void CTerminalProgress::End()
{
    if (m_nShown == 0)
        return;
    m_terminal << '\r' << std::string(m_nShown, ' ') << '\r' << std::flush;
    m_nShown = 0;
}

} // namespace cli
