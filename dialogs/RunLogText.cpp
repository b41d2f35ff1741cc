#include "RunLogText.h"

#include <cmath>
#include <cstdio>

namespace {

bool IsTrailingSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string WithoutTrailingSpace(std::string text)
{
    while (!text.empty() && IsTrailingSpace(text.back()))
        text.pop_back();
    return text;
}

// Continuation bytes of UTF-8 do not start a character.
bool StartsCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

} // namespace

std::vector<std::string> CRunLogText::Entries(const std::string& fileText)
{
    std::vector<std::string> entries;
    size_t lineStart = 0;
    while (lineStart < fileText.size()) {
        size_t lineEnd = fileText.find('\n', lineStart);
        const bool lastLine = lineEnd == std::string::npos;
        if (lastLine)
            lineEnd = fileText.size();
        const std::string line = fileText.substr(lineStart, lineEnd - lineStart);
        // Cut the line every 99 characters (not bytes: a character is never split).
        size_t pieceStart = 0;
        do {
            size_t at = pieceStart;
            size_t characters = 0;
            while (at < line.size()) {
                if (StartsCharacter(line[at])) {
                    if (characters == kPieceLength)
                        break;
                    ++characters;
                }
                ++at;
            }
            entries.push_back(WithoutTrailingSpace(line.substr(pieceStart, at - pieceStart)));
            pieceStart = at;
        } while (pieceStart < line.size());
        lineStart = lineEnd + 1;
    }
    return entries;
}

std::vector<int> CRunLogText::ListTabStops(int averageCharWidth)
{
    std::vector<int> stops;
    for (int units : {92, 180, 280, 368, 488, 608, 728})
        stops.push_back(units * averageCharWidth / 4);
    return stops;
}

int CRunLogText::AverageCharWidth(double width68)
{
    return static_cast<int>(std::lround(width68 / 68.0));
}

std::vector<std::pair<double, std::string>>
CRunLogText::TabbedPieces(const std::string& line,
                          const std::function<double(const std::string&)>& width)
{
    std::vector<std::pair<double, std::string>> pieces;
    double x = kLineX;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        const std::string piece =
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (!piece.empty())
            pieces.emplace_back(x, piece);
        if (tab == std::string::npos)
            return pieces;
        x += piece.empty() ? 0.0 : width(piece);
        double next = -1.0;
        for (int stop : kPrintTabStops) {
            if (stop > x) {
                next = stop;
                break;
            }
        }
        if (next < 0.0) {
            const double step = kPrintTabStops[3] - kPrintTabStops[2];
            next = kPrintTabStops[3] + (std::floor((x - kPrintTabStops[3]) / step) + 1.0) * step;
        }
        x = next;
        start = tab + 1;
    }
}

std::string CRunLogText::FooterText(int page)
{
    return "Page " + std::to_string(page);
}

std::string CRunLogText::DateText(const std::tm& local)
{
    char text[128];
    const size_t n = std::strftime(text, sizeof text, "%A, %B %d, %Y", &local);
    return std::string(text, n);
}

int CRunLogText::PageCount(int lineCount)
{
    return lineCount <= 0 ? 1 : (lineCount + kLinesPerPage - 1) / kLinesPerPage;
}
