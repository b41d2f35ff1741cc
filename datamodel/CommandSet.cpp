#include "CommandSet.h"

CCommandSet::CCommandSet(std::string program) : m_strProgram(std::move(program))
{
}

void CCommandSet::Add(const std::string& name, const std::string& summary, Factory make)
{
    m_entries.push_back({name, summary, std::move(make)});
}

const CCommandSet::CEntry* CCommandSet::Find(const std::string& name) const
{
    for (const CEntry& entry : m_entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

const CCommandSet::CEntry* CCommandSet::Resolve(const std::vector<std::string>& args,
                                                size_t& words) const
{
    if (args.size() >= 2) {
        if (const CEntry* entry = Find(args[0] + " " + args[1])) {
            words = 2;
            return entry;
        }
    }
    words = 1;
    return args.empty() ? nullptr : Find(args[0]);
}

bool CCommandSet::IsGroup(const std::string& word) const
{
    const std::string prefix = word + " ";
    for (const CEntry& entry : m_entries)
        if (entry.name.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

std::string CCommandSet::Synopsis(const CEntry& entry) const
{
    COptionTable options(m_strProgram + " " + entry.name);
    entry.make()->DeclareOptions(options);
    const std::string synopsis = options.Synopsis();
    return m_strProgram + " " + entry.name + (synopsis.empty() ? "" : " " + synopsis);
}

std::string CCommandSet::Usage() const
{
    std::string text = "usage: " + m_strProgram + " COMMAND [options]\n\nCommands:\n";
    for (const CEntry& entry : m_entries)
        text += "  " + Synopsis(entry) + "\n      " + entry.summary + "\n";
    text += "\n'" + m_strProgram + " COMMAND --help' describes the options of one command.\n";
    return text;
}

std::string CCommandSet::GroupUsage(const std::string& group) const
{
    if (!IsGroup(group))
        return {};
    std::string text = "usage: " + m_strProgram + " " + group + " ACTION [options]\n\nActions:\n";
    const std::string prefix = group + " ";
    for (const CEntry& entry : m_entries)
        if (entry.name.compare(0, prefix.size(), prefix) == 0)
            text += "  " + Synopsis(entry) + "\n      " + entry.summary + "\n";
    text += "\n'" + m_strProgram + " " + group + " ACTION --help' describes the options of one.\n";
    return text;
}

std::string CCommandSet::Help(const std::string& name) const
{
    const CEntry* entry = Find(name);
    if (!entry)
        return {};
    COptionTable options(m_strProgram + " " + entry->name);
    entry->make()->DeclareOptions(options);
    return "usage: " + Synopsis(*entry) + "\n" + entry->summary + "\n\n" + options.Help();
}

int CCommandSet::Run(const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err) const
{
    if (args.empty()) {
        err << Usage();
        return kUsage;
    }
    const auto isHelp = [](const std::string& word) {
        return word == "--help" || word == "-h" || word == "help";
    };
    if (isHelp(args[0])) {
        size_t words = 0;
        const std::vector<std::string> asked(args.begin() + 1, args.end());
        if (const CEntry* entry = Resolve(asked, words)) {
            out << Help(entry->name);
            return kOk;
        }
        if (!asked.empty() && IsGroup(asked[0])) {
            out << GroupUsage(asked[0]);
            return kOk;
        }
        out << Usage();
        return args.size() > 1 ? kUsage : kOk;
    }
    size_t words = 0;
    const CEntry* entry = Resolve(args, words);
    if (!entry && IsGroup(args[0])) {
        if (args.size() > 1 && isHelp(args[1])) {
            out << GroupUsage(args[0]);
            return kOk;
        }
        err << m_strProgram << ": " << args[0] << ": "
            << (args.size() > 1 ? "unknown action \"" + args[1] + "\"" : "the action is missing")
            << "\n"
            << GroupUsage(args[0]);
        return kUsage;
    }
    if (!entry) {
        err << m_strProgram << ": unknown command \"" << args[0] << "\"\n" << Usage();
        return kUsage;
    }
    const std::string& name = entry->name;
    std::unique_ptr<CCommand> command = entry->make();
    COptionTable options(m_strProgram + " " + name);
    command->DeclareOptions(options);
    std::string error;
    if (!options.Parse({args.begin() + static_cast<std::ptrdiff_t>(words), args.end()}, error)) {
        err << m_strProgram << ": " << name << ": " << error << "\n"
            << "usage: " << Synopsis(*entry) << "\n'" << m_strProgram << " " << name
            << " --help' describes its options.\n";
        return kUsage;
    }
    if (options.HelpRequested()) {
        out << Help(name);
        return kOk;
    }
    if (!command->Run(out, error)) {
        err << m_strProgram << ": " << error << "\n";
        return kFailed;
    }
    return kOk;
}
