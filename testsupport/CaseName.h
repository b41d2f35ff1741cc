#pragma once
// Names for the cases of parameterised tests, so that test lists and CTest
// show what a case is instead of a dump of its bytes.

#include <cctype>
#include <string>

namespace testsupport {

// prefix + text with every character that may not appear in a test name
// spelled out or replaced: "-1" gives "Minus1", "run001.KLYN" "run001_KLYN".
inline std::string CaseName(const std::string& prefix, const std::string& text)
{
    std::string name = prefix;
    for (unsigned char c : text) {
        if (std::isalnum(c))
            name += static_cast<char>(c);
        else if (c == '-')
            name += "Minus";
        else if (c == '+')
            name += "Plus";
        else if (c == ' ')
            name += "Blank";
        else
            name += '_';
    }
    return name.empty() ? "Empty" : name;
}

inline std::string CaseName(const std::string& prefix, long long value)
{
    return CaseName(prefix, std::to_string(value));
}

} // namespace testsupport
