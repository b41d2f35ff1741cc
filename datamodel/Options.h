#pragma once
// A value-to-text table row. Each enumeration has one static array of rows in
// ascending value order, so a drop-down list filled row by row has the value
// as its position.

#include <span>
#include <string>

template <class Enum> struct COptions {
    Enum value;
    const char* text;
};

// The text of the first row with this value, or "" when none matches.
template <class Enum> std::string OptionText(std::span<const COptions<Enum>> rows, int value)
{
    for (const auto& row : rows)
        if (static_cast<int>(row.value) == value)
            return row.text;
    return {};
}

// The value of the first row whose text equals text exactly, or fallback.
template <class Enum>
Enum OptionValue(std::span<const COptions<Enum>> rows, const std::string& text, Enum fallback)
{
    for (const auto& row : rows)
        if (text == row.text)
            return row.value;
    return fallback;
}
