#pragma once
// The run log as the run-log dialog lists and prints it, apart from the
// widgets: how the file's lines become list entries, the list's tab stops,
// and the printed page's layout in its 1000 x 1000 logical units.

#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CRunLogText {
public:
    // The dialog reads the file in pieces of at most 99 characters.
    static constexpr size_t kPieceLength = 99;
    static constexpr int kLinesPerPage = 42;

    // Page layout, in logical units of a page mapped to 1000 x 1000.
    static constexpr int kPageUnits = 1000;
    static constexpr int kCentreX = 500;
    static constexpr int kTitleY = 20;
    static constexpr int kDateGap = 25;      // date top = title height + 25
    static constexpr int kFirstLineGap = 65; // first line = title + 2 x date height + 65
    static constexpr int kLineX = 80;
    static constexpr int kLineGap = 5;
    static constexpr int kFooterY = 950;
    static constexpr int kPrintTabStops[] = {250, 300, 525, 700};
    static constexpr const char* kTitle = "Tarvolin Run Log Report";
    static constexpr const char* kDocumentName = "test";

    // The file's text as list entries: each line (LF or CRLF) in pieces of
    // at most 99 characters, each piece without trailing white space. A
    // last line without a line break counts; an empty file gives none.
    static std::vector<std::string> Entries(const std::string& fileText);

    // The list's tab stops in pixels for a font whose average character
    // width is given: 92, 180, 280 and 368 dialog units, then three more
    // 120 units apart (one dialog unit is a quarter of the average width).
    static std::vector<int> ListTabStops(int averageCharWidth);
    // The average character width as the dialog measures it: the width of
    // "A..Za..z0..9/:-.,+" (68 characters) divided by 68, to the nearer integer.
    static int AverageCharWidth(double width68);

    // Where the pieces of a line start when it is printed with its tabs
    // expanded: at x 80, each tab moving on to the next stop (250, 300, 525,
    // 700; past the last, on in steps of 175). width() measures a piece in
    // logical units.
    static std::vector<std::pair<double, std::string>>
    TabbedPieces(const std::string& line, const std::function<double(const std::string&)>& width);

    // "Page %d".
    static std::string FooterText(int page);
    // The date under the title: "%A, %B %d, %Y" of local time.
    static std::string DateText(const std::tm& local);
    // Pages a log of lineCount lines prints on (an empty log: one blank page).
    static int PageCount(int lineCount);
};
