#pragma once
// The commands of a program, each declared once with its name, a one-line
// summary and a factory. The program's usage and every command's --help are
// generated from these declarations and the commands' option tables, so a new
// command needs no usage text of its own:
//
//   CCommandSet commands("tarvolin");
//   commands.Add("inspect", "print any Tarvolin file readably",
//                [] { return std::make_unique<CInspectCommand>(); });
//   return commands.Run(args, std::cout, std::cerr);
//
// A name of two words ("config save", "config apply") makes the first word a
// group: "tarvolin config" alone lists the group's commands.

#include "Command.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class CCommandSet {
public:
    // Exit codes.
    static constexpr int kOk = 0;
    static constexpr int kFailed = 1; // the command failed; one line on err says why
    static constexpr int kUsage = 2;  // the command line was wrong; why, and the usage, on err

    using Factory = std::function<std::unique_ptr<CCommand>()>;

    explicit CCommandSet(std::string program);

    void Add(const std::string& name, const std::string& summary, Factory make);

    // Every command with its synopsis and summary.
    std::string Usage() const;
    // One command: synopsis, summary, options. Empty for an unknown name.
    std::string Help(const std::string& name) const;
    // The commands of a group ("config"). Empty when no command is in it.
    std::string GroupUsage(const std::string& group) const;

    // args[0] (and args[1] for a command of a group) names the command;
    // "--help", "-h" or "help [COMMAND]" print help.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) const;

private:
    struct CEntry {
        std::string name;
        std::string summary;
        Factory make;
    };
    const CEntry* Find(const std::string& name) const;
    // The command args name from their start; words: how many arguments name it.
    const CEntry* Resolve(const std::vector<std::string>& args, size_t& words) const;
    bool IsGroup(const std::string& word) const;
    std::string Synopsis(const CEntry& entry) const;

    std::string m_strProgram;
    std::vector<CEntry> m_entries;
};
