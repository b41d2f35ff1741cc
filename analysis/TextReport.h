#pragma once
// OTextReport: a report kept as lines of text. Besides plain lines it knows
// one block: a table's beginning - an empty line, the column header and an
// underline of 80 "_" (the report's width).

#include <string>
#include <vector>

class OTextReport {
public:
    static constexpr int kLineWidth = 80;

    void AddLine(const std::string& line) { m_lines.push_back(line); }
    void BeginTable(const std::string& header);

    const std::vector<std::string>& Lines() const { return m_lines; }
    // Every line followed by a line break.
    std::string Text() const;

    // printf into a string (the C rules the report's formats follow).
    static std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

private:
    std::vector<std::string> m_lines;
};
