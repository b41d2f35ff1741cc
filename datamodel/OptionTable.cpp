#include "OptionTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string NumberText(double value)
{
    if (std::isinf(value))
        return value > 0 ? "no limit" : "-no limit";
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// Edit distance, to suggest the option a misspelt one was meant to be.
size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool ParseWhole(const std::string& text, bool hex, long long& value, bool& outOfRange)
{
    outOfRange = false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    bool negative = false;
    if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    } else if (first != last && *first == '-') {
        negative = true;
    }
    // from_chars takes no "+" and no blanks, which is what strict means here;
    // a lone "-" or "0x" fails below.
    if (first == last || (base == 16 && (*first == '-' || *first == '+')))
        return false;
    const auto [end, ec] = std::from_chars(first, last, value, base);
    if (ec == std::errc::result_out_of_range && end == last) {
        outOfRange = true;
        value = negative ? std::numeric_limits<long long>::min()
                         : std::numeric_limits<long long>::max();
        return true;
    }
    return ec == std::errc() && end == last;
}

bool ParseReal(const std::string& text, double& value)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first == last)
        return false;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    return ec == std::errc() && end == last && std::isfinite(value);
}

} // namespace

COptionTable::COption& COptionTable::COption::Default(std::string text)
{
    defaultText = std::move(text);
    return *this;
}

COptionTable::COption& COptionTable::COption::AllowHex()
{
    hex = true;
    return *this;
}

COptionTable::COption& COptionTable::COption::OneOf(std::vector<long long> values)
{
    allowed = std::move(values);
    return *this;
}

COptionTable::COption& COptionTable::COption::What(std::string text)
{
    what = std::move(text);
    return *this;
}

COptionTable::COption&
COptionTable::COption::Rule(std::function<bool(const std::string&, std::string&)> check)
{
    rule = std::move(check);
    return *this;
}

COptionTable::COption& COptionTable::COption::Optional()
{
    optional = true;
    return *this;
}

COptionTable::COption& COptionTable::COption::Required()
{
    required = true;
    defaultText.clear(); // a value that must be given has no default to show
    return *this;
}

COptionTable::COptionTable(std::string program) : m_strProgram(std::move(program))
{
}

COptionTable::COption& COptionTable::Add(COption option)
{
    m_options.push_back(std::move(option));
    return m_options.back();
}

COptionTable::COption& COptionTable::Switch(const std::string& name, bool& target,
                                            const std::string& help)
{
    COption option;
    option.name = name;
    option.type = OptionType::Switch;
    option.help = help;
    option.apply = [&target](const std::string&, long long, double) { target = true; };
    return Add(std::move(option));
}

COptionTable::COption& COptionTable::Integer(const std::string& name,
                                             std::function<void(long long)> onValue, long long min,
                                             long long max, const std::string& value,
                                             const std::string& help)
{
    COption option;
    option.name = name;
    option.type = OptionType::Integer;
    option.value = value;
    option.help = help;
    option.min = static_cast<double>(min);
    option.max = max == std::numeric_limits<long long>::max() ? kNoLimit : static_cast<double>(max);
    option.apply = [onValue = std::move(onValue)](const std::string&, long long v, double) {
        onValue(v);
    };
    return Add(std::move(option));
}

COptionTable::COption& COptionTable::Real(const std::string& name, double& target, double min,
                                          double max, const std::string& value,
                                          const std::string& help)
{
    COption option;
    option.name = name;
    option.type = OptionType::Real;
    option.value = value;
    option.help = help;
    option.min = min;
    option.max = max;
    option.defaultText = NumberText(target);
    option.apply = [&target](const std::string&, long long, double v) { target = v; };
    return Add(std::move(option));
}

COptionTable::COption& COptionTable::Text(const std::string& name, std::string& target,
                                          const std::string& value, const std::string& help)
{
    COption option;
    option.name = name;
    option.type = OptionType::Text;
    option.value = value;
    option.help = help;
    option.defaultText = target.empty() ? std::string() : Quote(target);
    option.apply = [&target](const std::string& text, long long, double) { target = text; };
    return Add(std::move(option));
}

COptionTable::COption& COptionTable::TextList(const std::string& name,
                                              std::vector<std::string>& target,
                                              const std::string& value, const std::string& help)
{
    COption option;
    option.name = name;
    option.type = OptionType::Text;
    option.value = value;
    option.help = help;
    option.repeatable = true;
    option.apply = [&target](const std::string& text, long long, double) {
        target.push_back(text);
    };
    return Add(std::move(option));
}

COptionTable::COption& COptionTable::Positional(const std::string& value, std::string& target,
                                                const std::string& help)
{
    COption option;
    option.name = value;
    option.type = OptionType::Positional;
    option.value = value;
    option.help = help;
    option.apply = [&target](const std::string& text, long long, double) { target = text; };
    return Add(std::move(option));
}

COptionTable::COption& COptionTable::PositionalList(const std::string& value,
                                                    std::vector<std::string>& target,
                                                    const std::string& help)
{
    COption option;
    option.name = value;
    option.type = OptionType::Positional;
    option.value = value;
    option.help = help;
    option.repeatable = true;
    option.apply = [&target](const std::string& text, long long, double) {
        target.push_back(text);
    };
    return Add(std::move(option));
}

void COptionTable::Section(const std::string& heading)
{
    m_sections.emplace_back(m_options.size(), heading);
}

COptionTable::COption* COptionTable::Find(const std::string& name)
{
    for (COption& option : m_options)
        if (option.type != OptionType::Positional && option.name == name)
            return &option;
    return nullptr;
}

std::string COptionTable::Suggestion(const std::string& name) const
{
    std::string best;
    size_t bestDistance = 3; // close enough to be a slip of the finger
    for (const COption& option : m_options) {
        if (option.type == OptionType::Positional)
            continue;
        const size_t d = Distance(name, option.name);
        if (d < bestDistance) {
            bestDistance = d;
            best = option.name;
        }
    }
    return best;
}

bool COptionTable::Take(COption& option, const std::string& text, std::string& error)
{
    const std::string& name = option.name;
    option.given = true;
    switch (option.type) {
    case OptionType::Integer: {
        long long value = 0;
        bool outOfRange = false;
        if (!ParseWhole(text, option.hex, value, outOfRange)) {
            error = name + ": " + Quote(text) + " is not a whole number";
            return false;
        }
        if (outOfRange || static_cast<double>(value) < option.min ||
            static_cast<double>(value) > option.max) {
            error = name + ": " + text + " is out of range (" + NumberText(option.min) + " to " +
                    NumberText(option.max) + ")";
            return false;
        }
        if (!option.allowed.empty() && std::find(option.allowed.begin(), option.allowed.end(),
                                                 value) == option.allowed.end()) {
            std::string list;
            for (long long v : option.allowed)
                list += (list.empty() ? "" : ", ") + std::to_string(v);
            error = name + ": " + text + " is not one of " + list;
            return false;
        }
        option.apply(text, value, static_cast<double>(value));
        return true;
    }
    case OptionType::Real: {
        double value = 0;
        if (!ParseReal(text, value)) {
            error = name + ": " + Quote(text) + " is not a number";
            return false;
        }
        if (value < option.min || value > option.max) {
            error = name + ": " + text + " is out of range (" + NumberText(option.min) + " to " +
                    NumberText(option.max) + ")";
            return false;
        }
        option.apply(text, 0, value);
        return true;
    }
    case OptionType::Text:
    case OptionType::Positional: {
        std::string why;
        if (option.rule && !option.rule(text, why)) {
            error = name + ": " + why;
            return false;
        }
        option.apply(text, 0, 0);
        return true;
    }
    case OptionType::Switch:
        option.apply(text, 0, 0);
        return true;
    }
    return false;
}

int COptionTable::Parse(const std::vector<std::string>& args, std::string& error)
{
    m_bHelp = false;
    for (COption& option : m_options)
        option.given = false;
    size_t nextPositional = 0;
    std::vector<COption*> positionals;
    for (COption& option : m_options)
        if (option.type == OptionType::Positional)
            positionals.push_back(&option);
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            m_bHelp = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (nextPositional >= positionals.size()) {
                error = "unexpected argument " + Quote(arg);
                return 0;
            }
            COption& positional = *positionals[nextPositional];
            if (!positional.repeatable)
                ++nextPositional;
            if (!Take(positional, arg, error))
                return 0;
            continue;
        }
        const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        COption* option = Find(name);
        if (!option) {
            error = "unknown option " + name;
            if (const std::string near = Suggestion(name); !near.empty())
                error += " (did you mean " + near + "?)";
            return 0;
        }
        if (option->type == OptionType::Switch) {
            if (equals != std::string::npos) {
                error = name + " takes no value";
                return 0;
            }
            Take(*option, "", error);
            continue;
        }
        std::string text;
        if (equals != std::string::npos) {
            text = arg.substr(equals + 1);
        } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
            text = args[++i];
        } else {
            // "--port --seconds 1": the value was left out, not "--seconds".
            error =
                (option->what.empty() ? "the value" : option->what) + " is missing after " + name;
            return 0;
        }
        if (!Take(*option, text, error))
            return 0;
    }
    if (m_bHelp)
        return 1;
    for (const COption& option : m_options) {
        if (option.required && !option.given) {
            error = (option.what.empty() ? option.name : option.what) + " is missing: give " +
                    option.name + " " + option.value;
            return 0;
        }
    }
    for (size_t i = nextPositional; i < positionals.size(); ++i) {
        if (!positionals[i]->optional && !positionals[i]->given) {
            error = (positionals[i]->what.empty() ? positionals[i]->name : positionals[i]->what) +
                    " is missing";
            return 0;
        }
    }
    return 1;
}

std::string COptionTable::Synopsis() const
{
    std::string text;
    for (const COption& option : m_options) {
        std::string item = option.name;
        if (option.type != OptionType::Switch && option.type != OptionType::Positional)
            item += " " + option.value;
        if (option.repeatable)
            item += " ...";
        if ((option.type != OptionType::Positional && !option.required) || option.optional)
            item = "[" + item + "]";
        text += (text.empty() ? "" : " ") + item;
    }
    return text;
}

std::string COptionTable::Help() const
{
    constexpr size_t kColumn = 24;
    std::string text;
    size_t section = 0;
    for (size_t i = 0; i < m_options.size(); ++i) {
        while (section < m_sections.size() && m_sections[section].first == i)
            text += "\n" + m_sections[section++].second + "\n";
        const COption& option = m_options[i];
        std::string left = "  " + option.name;
        if (option.type != OptionType::Switch && option.type != OptionType::Positional)
            left += " " + option.value;
        left += left.size() + 1 < kColumn ? std::string(kColumn - left.size(), ' ')
                                          : "\n" + std::string(kColumn, ' ');
        std::string notes;
        if (option.type == OptionType::Integer || option.type == OptionType::Real) {
            if (!option.allowed.empty()) {
                notes = "one of";
                for (size_t k = 0; k < option.allowed.size(); ++k)
                    notes += (k ? ", " : " ") + std::to_string(option.allowed[k]);
            } else if (std::isinf(option.max)) {
                notes = NumberText(option.min) + " or more";
            } else {
                notes = NumberText(option.min) + " to " + NumberText(option.max);
            }
        }
        if (!option.defaultText.empty())
            notes += (notes.empty() ? "" : "; ") + std::string("default ") + option.defaultText;
        if (option.required)
            notes += (notes.empty() ? "" : "; ") + std::string("required");
        if (option.repeatable)
            notes += (notes.empty() ? "" : "; ") + std::string("may be given more than once");
        text += left + option.help + (notes.empty() ? "" : " (" + notes + ")") + "\n";
    }
    while (section < m_sections.size())
        text += "\n" + m_sections[section++].second + "\n";
    text += std::string("  --help") + std::string(kColumn - 8, ' ') + "this text\n";
    return text;
}
