#include "TextReport.h"

#include <cstdarg>
#include <cstdio>

void OTextReport::BeginTable(const std::string& header)
{
    m_lines.emplace_back();
    m_lines.push_back(header);
    m_lines.push_back(std::string(kLineWidth, '_'));
}

std::string OTextReport::Text() const
{
    std::string text;
    for (const std::string& line : m_lines)
        text += line + "\n";
    return text;
}

std::string OTextReport::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (size > 0) {
        text.resize(static_cast<size_t>(size) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(size));
    }
    va_end(args);
    return text;
}
