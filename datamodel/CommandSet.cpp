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
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        if (args.size() > 1 && Find(args[1])) {
            out << Help(args[1]);
            return kOk;
        }
        out << Usage();
        return args.size() > 1 ? kUsage : kOk;
    }
    const CEntry* entry = Find(name);
    if (!entry) {
        err << m_strProgram << ": unknown command \"" << name << "\"\n" << Usage();
        return kUsage;
    }
    std::unique_ptr<CCommand> command = entry->make();
    COptionTable options(m_strProgram + " " + name);
    command->DeclareOptions(options);
    std::string error;
    if (!options.Parse({args.begin() + 1, args.end()}, error)) {
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
