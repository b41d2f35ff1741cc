// The typed option table: strict parsing, errors that name the option, and
// the help and synopsis generated from the same declarations.
#include "OptionTable.h"
#include "CommandSet.h"
#include "FilePaths.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A command line of every kind of option, as a command declares it.
struct Bound {
    int port = 1;
    double seconds = 0;
    long long count = 0;
    int code = -1;
    int baud = 57600;
    bool watch = false;
    std::string prefix = "run";
    std::string file;
    std::vector<long long> every;

    void Declare(COptionTable& t)
    {
        t.Integer("--port", port, 1, 9999, "N", "the port").What("the port number");
        t.Real("--seconds", seconds, 0, 1e9, "S", "how long");
        t.Integer("--count", count, 0, 1'000'000'000, "P", "how many");
        t.Integer("--code", code, 0, 255, "C", "a command code").AllowHex();
        t.Integer("--baud", baud, 0, 1'000'000, "B", "line speed").OneOf({9600, 57600});
        t.Switch("--watch", watch, "follow");
        t.Text("--prefix", prefix, "P", "name start").Rule(CFilePaths::IsSinglePathComponent);
        t.Integer(
            "--every", [this](long long k) { every.push_back(k); }, 1, 100, "K", "a rule");
        t.Positional("FILE", file, "the file").Optional();
    }
};

struct ParseCase {
    const char* name;
    std::vector<std::string> args;
    std::string error; // empty: accepted
};

class OptionParsing : public testing::TestWithParam<ParseCase> {};

TEST_P(OptionParsing, IsStrictAndNamesTheOptionInItsError)
{
    Bound b;
    COptionTable table("prog");
    b.Declare(table);
    std::string error;
    const int ok = table.Parse(GetParam().args, error);
    EXPECT_EQ(ok, GetParam().error.empty() ? 1 : 0);
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, OptionParsing,
    testing::Values(
        ParseCase{"WholeNumber", {"--port", "12"}, ""},
        ParseCase{"EqualsForm", {"--port=12", "--seconds=0.5"}, ""},
        ParseCase{"Fraction", {"--port", "1.5"}, "--port: \"1.5\" is not a whole number"},
        ParseCase{"HexWhereDecimal", {"--port", "0x10"}, "--port: \"0x10\" is not a whole number"},
        ParseCase{
            "ExponentForCount", {"--count", "1e12"}, "--count: \"1e12\" is not a whole number"},
        ParseCase{"ExponentForPort", {"--port", "1e10"}, "--port: \"1e10\" is not a whole number"},
        ParseCase{"BeyondLongLong",
                  {"--count", "99999999999999999999"},
                  "--count: 99999999999999999999 is out of range (0 to 1000000000)"},
        ParseCase{"BelowRange", {"--port", "0"}, "--port: 0 is out of range (1 to 9999)"},
        ParseCase{"Trailing", {"--port", "3x"}, "--port: \"3x\" is not a whole number"},
        ParseCase{"LeadingBlank", {"--port", " 3"}, "--port: \" 3\" is not a whole number"},
        ParseCase{"Plus", {"--port", "+3"}, "--port: \"+3\" is not a whole number"},
        ParseCase{"Empty", {"--port="}, "--port: \"\" is not a whole number"},
        ParseCase{"NotANumber", {"--seconds", "nan"}, "--seconds: \"nan\" is not a number"},
        ParseCase{"Infinite", {"--seconds", "inf"}, "--seconds: \"inf\" is not a number"},
        ParseCase{"NegativeSeconds",
                  {"--seconds", "-1"},
                  "--seconds: -1 is out of range (0 to 1000000000)"},
        ParseCase{"ExponentForSeconds", {"--seconds", "1e3"}, ""},
        ParseCase{"HexCode", {"--code", "0x40"}, ""},
        ParseCase{"HexOutOfRange", {"--code", "0x100"}, "--code: 0x100 is out of range (0 to 255)"},
        ParseCase{"BareHexPrefix", {"--code", "0x"}, "--code: \"0x\" is not a whole number"},
        ParseCase{"NotAllowedSpeed", {"--baud", "1000"}, "--baud: 1000 is not one of 9600, 57600"},
        ParseCase{"MissingValueBeforeAnotherOption",
                  {"--port", "--seconds", "1"},
                  "the port number is missing after --port"},
        ParseCase{"MissingValueAtTheEnd", {"--seconds"}, "the value is missing after --seconds"},
        ParseCase{"Misspelt", {"--wach"}, "unknown option --wach (did you mean --watch?)"},
        ParseCase{"Unknown", {"--frobnicate"}, "unknown option --frobnicate"},
        ParseCase{"SwitchWithValue", {"--watch=1"}, "--watch takes no value"},
        ParseCase{"PathAsPrefix",
                  {"--prefix", "../x"},
                  "--prefix: \"../x\" contains \"/\"; it must name no folder"},
        ParseCase{"DotDotPrefix",
                  {"--prefix", ".."},
                  "--prefix: \"..\" would name a folder above or at this one"},
        ParseCase{"EmptyPrefix", {"--prefix="}, "--prefix: it is empty"},
        ParseCase{"Positional", {"file.KLYN"}, ""},
        ParseCase{"TwoPositionals", {"a", "b"}, "unexpected argument \"b\""},
        ParseCase{"DashedFileAfterEnd", {"--", "-file"}, ""}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(OptionTable, BindsValuesAndCallsBackForEachRepeat)
{
    Bound b;
    COptionTable table;
    b.Declare(table);
    std::string error;
    ASSERT_EQ(table.Parse({"--port", "7", "--seconds", "2.5", "--code", "0x40", "--watch",
                           "--every", "3", "--every=4", "--prefix", "Run", "x.KLYN"},
                          error),
              1)
        << error;
    EXPECT_EQ(b.port, 7);
    EXPECT_EQ(b.seconds, 2.5);
    EXPECT_EQ(b.code, 0x40);
    EXPECT_TRUE(b.watch);
    EXPECT_EQ(b.every, (std::vector<long long>{3, 4}));
    EXPECT_EQ(b.prefix, "Run");
    EXPECT_EQ(b.file, "x.KLYN");
    EXPECT_FALSE(table.HelpRequested());

    Bound untouched;
    COptionTable second;
    untouched.Declare(second);
    EXPECT_EQ(second.Parse({"--port", "9", "--port", "x"}, error), 0);
    EXPECT_EQ(untouched.port, 9) << "values before the bad one are taken, the bad one is not";
}

TEST(OptionTable, HelpAndSynopsisComeFromTheDeclarations)
{
    Bound b;
    COptionTable table("prog");
    b.Declare(table);
    table.Section("More:");
    std::string error;
    ASSERT_EQ(table.Parse({"--port", "x", "--help"}, error), 0) << "a bad value still fails";
    ASSERT_EQ(table.Parse({"--help"}, error), 1);
    EXPECT_TRUE(table.HelpRequested());
    EXPECT_EQ(table.Synopsis(), "[--port N] [--seconds S] [--count P] [--code C] [--baud B] "
                                "[--watch] [--prefix P] [--every K] [FILE]");
    const std::string help = table.Help();
    EXPECT_NE(help.find("  --port N              the port (1 to 9999; default 1)\n"),
              std::string::npos)
        << help;
    EXPECT_NE(help.find("--baud B              line speed (one of 9600, 57600; default 57600)"),
              std::string::npos)
        << help;
    EXPECT_NE(help.find("--prefix P            name start (default \"run\")"), std::string::npos);
    EXPECT_NE(help.find("--watch               follow\n"), std::string::npos);
    EXPECT_NE(help.find("\nMore:\n"), std::string::npos);

    COptionTable required;
    std::string file;
    required.Positional("FILE", file, "the file").What("the file to read");
    EXPECT_EQ(required.Parse({}, error), 0);
    EXPECT_EQ(error, "the file to read is missing");
    EXPECT_EQ(required.Synopsis(), "FILE");
}

TEST(OptionTable, RequiredOptionsAndTextListsSayWhatTheyAre)
{
    int gate = 0;
    std::vector<std::string> fields;
    std::string file;
    COptionTable table("prog");
    table.Integer("--gate", gate, 1, 5, "N", "the gate").What("the gate number").Required();
    table.TextList("--field", fields, "NAME=VALUE", "a field");
    table.Positional("FILE", file, "the file");
    EXPECT_EQ(table.Synopsis(), "--gate N [--field NAME=VALUE ...] FILE");
    const std::string help = table.Help();
    EXPECT_NE(help.find("the gate (1 to 5; required)"), std::string::npos) << help;
    EXPECT_NE(help.find("a field (may be given more than once)"), std::string::npos) << help;

    std::string error;
    EXPECT_EQ(table.Parse({"x.KLYN"}, error), 0);
    EXPECT_EQ(error, "the gate number is missing: give --gate N");
    EXPECT_EQ(table.Parse({"--help"}, error), 1) << "help needs no required option";
    ASSERT_EQ(table.Parse({"--field", "A=1", "--gate", "2", "--field=B=two", "x.KLYN"}, error), 1)
        << error;
    EXPECT_EQ(gate, 2);
    EXPECT_EQ(fields, (std::vector<std::string>{"A=1", "B=two"}));
    // A second parse forgets that the option was given the first time.
    EXPECT_EQ(table.Parse({"x.KLYN"}, error), 0);
}

// A command set of two commands: the usage is built from their declarations.
class CEcho : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override
    {
        options.Positional("TEXT", m_text, "what to say");
        options.Switch("--fail", m_fail, "fail instead");
    }
    int Run(std::ostream& out, std::string& error) override
    {
        if (m_fail) {
            error = "told to fail";
            return 0;
        }
        out << m_text << "\n";
        return 1;
    }

private:
    std::string m_text;
    bool m_fail = false;
};

struct RunCase {
    const char* name;
    std::vector<std::string> args;
    int code;
    std::string out; // a part of what is expected
    std::string err;
};

class CommandSetRun : public testing::TestWithParam<RunCase> {};

TEST_P(CommandSetRun, ParsesRunsAndAnswersWithTheRightExitCode)
{
    CCommandSet commands("tool");
    commands.Add("echo", "say something", [] { return std::make_unique<CEcho>(); });
    commands.Add("other", "something else", [] { return std::make_unique<CEcho>(); });
    commands.Add("group say", "say it in a group", [] { return std::make_unique<CEcho>(); });
    std::ostringstream out, err;
    EXPECT_EQ(commands.Run(GetParam().args, out, err), GetParam().code);
    EXPECT_NE(out.str().find(GetParam().out), std::string::npos) << out.str();
    EXPECT_NE(err.str().find(GetParam().err), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandSetRun,
    testing::Values(
        RunCase{"Runs", {"echo", "hi"}, CCommandSet::kOk, "hi\n", ""},
        RunCase{
            "Fails", {"echo", "hi", "--fail"}, CCommandSet::kFailed, "", "tool: told to fail\n"},
        RunCase{"NothingGiven",
                {},
                CCommandSet::kUsage,
                "",
                "usage: tool COMMAND [options]\n\nCommands:\n  tool echo TEXT [--fail]\n      say "
                "something\n  tool other TEXT [--fail]\n"},
        RunCase{
            "UnknownCommand", {"ehco"}, CCommandSet::kUsage, "", "tool: unknown command \"ehco\""},
        RunCase{"BadOption",
                {"echo", "hi", "--fial"},
                CCommandSet::kUsage,
                "",
                "tool: echo: unknown option --fial (did you mean --fail?)\nusage: tool echo TEXT "
                "[--fail]\n"},
        RunCase{
            "MissingArgument", {"echo"}, CCommandSet::kUsage, "", "tool: echo: TEXT is missing"},
        RunCase{"CommandHelp",
                {"echo", "--help"},
                CCommandSet::kOk,
                "usage: tool echo TEXT [--fail]\nsay something\n\n  TEXT",
                ""},
        RunCase{"HelpCommand", {"help", "other"}, CCommandSet::kOk, "usage: tool other", ""},
        RunCase{"ProgramHelp", {"--help"}, CCommandSet::kOk, "Commands:", ""},
        RunCase{"GroupCommand", {"group", "say", "hi"}, CCommandSet::kOk, "hi\n", ""},
        RunCase{"GroupCommandInTheUsage",
                {},
                CCommandSet::kUsage,
                "",
                "  tool group say TEXT [--fail]\n      say it in a group\n"},
        RunCase{"GroupAlone",
                {"group"},
                CCommandSet::kUsage,
                "",
                "tool: group: the action is missing\nusage: tool group ACTION [options]\n\n"
                "Actions:\n  tool group say TEXT [--fail]\n"},
        RunCase{"UnknownAction",
                {"group", "shout"},
                CCommandSet::kUsage,
                "",
                "tool: group: unknown action \"shout\"\nusage: tool group ACTION"},
        RunCase{"GroupCommandError",
                {"group", "say"},
                CCommandSet::kUsage,
                "",
                "tool: group say: TEXT is missing\nusage: tool group say TEXT [--fail]\n"},
        RunCase{"GroupHelp", {"group", "--help"}, CCommandSet::kOk, "Actions:\n", ""},
        RunCase{"GroupCommandHelp",
                {"help", "group", "say"},
                CCommandSet::kOk,
                "usage: tool group say TEXT [--fail]\nsay it in a group",
                ""}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

} // namespace

// A list of positionals after a single one takes every remaining argument,
// options among them, and is required unless made optional.
TEST(OptionTable, APositionalListTakesTheRestInOrder)
{
    struct Case {
        std::vector<std::string> args;
        bool optional;
        std::string error;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{"first", "a", "--out", "o", "b", "--", "-c"}, false, "", {"a", "b", "-c"}},
        {{"first"}, false, "FILE is missing", {}},
        {{"first"}, true, "", {}},
        {{}, false, "the command is missing", {}},
    };
    for (const Case& c : cases) {
        std::string command, out, error;
        std::vector<std::string> files;
        COptionTable table("prog");
        table.Positional("COMMAND", command, "the command").What("the command");
        table.Text("--out", out, "DIR", "output");
        COptionTable::COption& list = table.PositionalList("FILE", files, "the files");
        if (c.optional)
            list.Optional();
        EXPECT_EQ(table.Parse(c.args, error), c.error.empty() ? 1 : 0) << error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(files, c.files);
    }
    std::vector<std::string> files;
    COptionTable table("prog");
    table.PositionalList("FILE", files, "the files");
    EXPECT_EQ(table.Synopsis(), "FILE ...");
}
