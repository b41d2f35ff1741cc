#include "InstrumentsCommand.h"

#include "InstrumentConnections.h"
#include "MessageService.h"

#include <array>

namespace cli {

namespace {

constexpr std::array<const char*, 5> kActions = {"list", "add", "modify", "remove", "repair"};

bool NeedsName(const std::string& action)
{
    return action == "add" || action == "modify" || action == "remove";
}

bool NeedsPort(const std::string& action)
{
    return action == "add" || action == "modify";
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The port as the list shows it: COM and the stored number.
std::string PortText(const CDeviceConnection& connection)
{
    const int port = connection.GetPortNumber();
    return port > 0 ? "COM" + std::to_string(port) : "COM?";
}

std::string DamagedHint(CInstrumentConnections& connections, const std::string& error)
{
    if (connections.GetLastProblem() != ConnectionProblem::Damaged)
        return error;
    return error + " 'tarvolin instruments repair' keeps a copy of it and goes on with the "
                   "instruments it still holds.";
}

} // namespace

void CInstrumentsCommand::DeclareOptions(COptionTable& options)
{
    options
        .Positional("ACTION", m_strAction,
                    "list, add NAME --port N, modify NAME --port N, remove NAME, or repair "
                    "(keep a copy of a damaged list and go on with what it holds)")
        .Rule([](const std::string& action, std::string& why) {
            for (const char* known : kActions)
                if (action == known)
                    return true;
            why = "\"" + action + "\" is none of list, add, modify, remove, repair";
            return false;
        })
        .What("the action");
    options
        .Positional("NAME", m_strName,
                    "the instrument's name (Instrument ID); its settings folder is named after it")
        .Rule([this](const std::string&, std::string&) {
            // An empty name given on purpose is the list's to refuse.
            m_bNameGiven = true;
            return true;
        })
        .Optional();
    options.Integer(
        "--port",
        [this](long long port) {
            m_nPort = static_cast<int>(port);
            m_bPortGiven = true;
        },
        CInstrumentConnections::kFirstPort, CInstrumentConnections::kLastPort, "N",
        "the instrument's serial port, COM<N>");
}

int CInstrumentsCommand::Run(std::ostream& out, std::string& error)
{
    if (NeedsName(m_strAction) && !m_bNameGiven) {
        error = "instruments " + m_strAction + ": name the instrument";
        return 0;
    }
    if (!NeedsName(m_strAction) && m_bNameGiven) {
        error = "instruments " + m_strAction + " takes no name";
        return 0;
    }
    if (NeedsPort(m_strAction) != m_bPortGiven) {
        error = "instruments " + m_strAction +
                (m_bPortGiven ? " takes no --port" : ": give the port with --port N");
        return 0;
    }

    CInstrumentConnections connections;
    std::string msg;
    if (m_strAction == "list") {
        CGeneralPCSettings list;
        if (!connections.List(list, msg)) {
            error = DamagedHint(connections, msg);
            return 0;
        }
        // As the Launcher lists them: trimmed, and none without a name.
        for (const CDeviceConnection& c : list.GetConnections())
            if (!c.GetTrimmedName().empty())
                out << PortText(c) << "\t" << c.GetTrimmedName() << "\n";
        return 1;
    }
    if (m_strAction == "repair") {
        CGeneralPCSettings kept;
        std::string copy;
        if (!connections.Repair(kept, copy, msg)) {
            error = msg;
            return 0;
        }
        out << "The damaged list is kept as " << Quoted(copy) << "; the instrument list now holds "
            << kept.GetCount() << (kept.GetCount() == 1 ? " instrument.\n" : " instruments.\n");
        return 1;
    }

    // Messages name the instrument as the list holds it.
    std::string name = CDeviceConnection::Trim(m_strName);
    CDeviceConnection stored;
    if (m_strAction != "add" && connections.Find(m_strName, stored, msg))
        name = stored.GetTrimmedName();
    int done = 0;
    if (m_strAction == "add")
        done = connections.Add(m_strName, m_nPort, msg);
    else if (m_strAction == "modify")
        done = connections.Modify(m_strName, m_nPort, msg);
    else
        done = connections.Delete(m_strName, msg);
    if (!done) {
        error = DamagedHint(connections, msg);
        return 0;
    }
    if (m_strAction == "add") {
        out << "Tarvolin instrument has been created: " << Quoted(name) << " on COM" << m_nPort
            << ", settings in " << Quoted(connections.GetInstrumentFolder(name)) << "\n";
        if (!connections.GetWarning().empty())
            CMessageService::Show(connections.GetWarning(), "Warning:", MessageIcon::Warning);
    } else if (m_strAction == "modify") {
        out << "Tarvolin instrument has been modified: " << Quoted(name) << " on COM" << m_nPort
            << "\n";
    } else {
        out << "Tarvolin instrument has been deleted: " << Quoted(name) << " (its settings folder "
            << Quoted(connections.GetInstrumentFolder(name)) << " stays)\n";
    }
    return 1;
}

} // namespace cli
