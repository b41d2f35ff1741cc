#pragma once
// The options of a command line, declared once in a table: name, type, the
// default (the bound variable's value when it is declared), the accepted
// range and one line of help. The same table parses the arguments and prints
// the help, so the two cannot drift apart.
//
// Parsing is strict: a number must be the whole argument, in range and
// finite ("1.5", "0x10", "1e12" and "nan" are refused where a whole number
// or a number is asked for); every error names the option. "--name value" and
// "--name=value" both work; "--" ends the options; "--help" or "-h" asks for
// the help instead of a run. An option made Required must be given; a text
// list takes its option as often as it is given.
//
//   int port = 1;
//   double seconds = 0;
//   COptionTable table("tarvolin record");
//   table.Integer("--port", port, 1, kMaxPort, "N", "the instrument's port, COM<N>")
//       .What("the port number");
//   table.Real("--seconds", seconds, 0, kNoLimit, "S", "record for S seconds (0: until Ctrl+C)");
//   if (!table.Parse(args, error)) ...

#include <concepts>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <vector>

enum class OptionType { Switch, Integer, Real, Text, Positional };

class COptionTable {
public:
    static constexpr double kNoLimit = std::numeric_limits<double>::infinity();

    // One declared option; the declarations return it for refinements.
    struct COption {
        std::string name; // "--port"; for a positional its placeholder ("FILE")
        OptionType type = OptionType::Switch;
        std::string value; // placeholder of the value in the help ("N")
        std::string help;
        std::string what; // what the value is, for messages ("the port number")
        std::string defaultText;
        double min = 0;
        double max = 0;
        bool hex = false;
        bool optional = false;
        bool required = false;   // an option that must be given
        bool repeatable = false; // a text list: "[--field NAME=VALUE ...]"
        bool given = false;      // set by Parse
        std::vector<long long> allowed;
        std::function<bool(const std::string&, std::string&)> rule;
        std::function<void(const std::string& text, long long whole, double real)> apply;

        // The default the help shows, instead of the bound value.
        COption& Default(std::string text);
        // Integers: hexadecimal with 0x as well (command codes are written so).
        COption& AllowHex();
        // Integers: only these values.
        COption& OneOf(std::vector<long long> values);
        COption& What(std::string text);
        // Texts and positionals: a rule the value must meet; false with the reason.
        COption& Rule(std::function<bool(const std::string&, std::string&)> check);
        // Positionals: may be left out.
        COption& Optional();
        // Options: must be given (the synopsis shows them without brackets).
        COption& Required();
    };

    // program: how the help names the command ("tarvolin record").
    explicit COptionTable(std::string program = {});

    COption& Switch(const std::string& name, bool& target, const std::string& help);
    template <std::integral T>
    COption& Integer(const std::string& name, T& target, long long min, long long max,
                     const std::string& value, const std::string& help)
    {
        min = std::max<long long>(min, std::numeric_limits<T>::min());
        if constexpr (std::numeric_limits<T>::max() <= std::numeric_limits<long long>::max())
            max = std::min<long long>(max, static_cast<long long>(std::numeric_limits<T>::max()));
        COption& option = Integer(
            name, [&target](long long v) { target = static_cast<T>(v); }, min, max, value, help);
        option.defaultText = std::to_string(target);
        return option;
    }
    // An integer handed to onValue each time it is given (switches that add a rule).
    COption& Integer(const std::string& name, std::function<void(long long)> onValue, long long min,
                     long long max, const std::string& value, const std::string& help);
    COption& Real(const std::string& name, double& target, double min, double max,
                  const std::string& value, const std::string& help);
    COption& Text(const std::string& name, std::string& target, const std::string& value,
                  const std::string& help);
    // A text option that may be given more than once; each value is appended
    // to target in the order given.
    COption& TextList(const std::string& name, std::vector<std::string>& target,
                      const std::string& value, const std::string& help);
    // The next argument that is not an option; required unless made Optional.
    COption& Positional(const std::string& value, std::string& target, const std::string& help);
    // Every remaining argument that is not an option, appended to target in
    // order; at least one unless made Optional. Declared last of the positionals.
    COption& PositionalList(const std::string& value, std::vector<std::string>& target,
                            const std::string& help);
    // A heading in the help before the options declared after it.
    void Section(const std::string& heading);

    // 1 when every argument was taken (or the help was asked for); 0 with the
    // reason in error, naming the option.
    int Parse(const std::vector<std::string>& args, std::string& error);
    bool HelpRequested() const { return m_bHelp; }

    // "[--port N] [--watch] FILE"
    std::string Synopsis() const;
    // One line per option and positional, with its range and default.
    std::string Help() const;
    const std::string& GetProgram() const { return m_strProgram; }

private:
    COption& Add(COption option);
    COption* Find(const std::string& name);
    bool Take(COption& option, const std::string& text, std::string& error);
    std::string Suggestion(const std::string& name) const;

    std::string m_strProgram;
    std::deque<COption> m_options;                          // references handed out stay valid
    std::vector<std::pair<size_t, std::string>> m_sections; // heading before option n
    bool m_bHelp = false;
};
