#include "FileDialogService.h"

#include <atomic>
#include <cstdio>

namespace {

class CCancellingSink : public IFileDialogSink {
public:
    int Ask(const CFileDialogRequest& request, std::string&) override
    {
        std::fprintf(stderr, "file dialog \"%s\" cancelled: no one to ask\n",
                     request.title.c_str());
        return 0;
    }
};

CCancellingSink g_cancellingSink;
std::atomic<IFileDialogSink*> g_sink{&g_cancellingSink};

std::string Trim(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

} // namespace

IFileDialogSink* CFileDialogService::SetSink(IFileDialogSink* sink)
{
    return g_sink.exchange(sink ? sink : &g_cancellingSink);
}

int CFileDialogService::Ask(const CFileDialogRequest& request, std::string& path)
{
    return g_sink.load()->Ask(request, path);
}

std::vector<std::pair<std::string, std::vector<std::string>>>
CFileDialogService::ParseFilter(const std::string& filter)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> pairs;
    const std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string description = Trim(parts[i]);
        if (description.empty())
            break; // the closing "||"
        std::vector<std::string> patterns;
        for (const std::string& pattern : Split(parts[i + 1], ';'))
            if (!Trim(pattern).empty())
                patterns.push_back(Trim(pattern));
        pairs.emplace_back(description, patterns);
    }
    return pairs;
}

std::string CFileDialogService::WithDefaultExtension(const std::string& path,
                                                     const std::string& extension)
{
    if (extension.empty() || path.empty())
        return path;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos)
        return path;
    return path + (extension.front() == '.' ? "" : ".") + extension;
}

CFileDialogRecorder::CFileDialogRecorder()
{
    m_previous = CFileDialogService::SetSink(this);
}

CFileDialogRecorder::~CFileDialogRecorder()
{
    CFileDialogService::SetSink(m_previous);
}

int CFileDialogRecorder::Ask(const CFileDialogRequest& request, std::string& path)
{
    std::lock_guard guard(m_lock);
    m_requests.push_back(request);
    if (m_answers.empty() || !m_answers.front()) {
        if (!m_answers.empty())
            m_answers.pop_front();
        return 0;
    }
    path = *m_answers.front();
    m_answers.pop_front();
    if (request.kind == FileDialogKind::Save)
        path = CFileDialogService::WithDefaultExtension(path, request.defaultExtension);
    return 1;
}

void CFileDialogRecorder::QueueAnswer(const std::string& path)
{
    std::lock_guard guard(m_lock);
    m_answers.emplace_back(path);
}

void CFileDialogRecorder::QueueCancel()
{
    std::lock_guard guard(m_lock);
    m_answers.emplace_back(std::nullopt);
}

std::vector<CFileDialogRequest> CFileDialogRecorder::Requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

size_t CFileDialogRecorder::Count() const
{
    std::lock_guard guard(m_lock);
    return m_requests.size();
}
