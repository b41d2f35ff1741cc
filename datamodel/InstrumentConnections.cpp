#include "InstrumentConnections.h"

#include "Archive.h"
#include "FilePaths.h"
#include "FileUtil.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The libraries' reasons start in lower case and have no full stop; the
// operator reads sentences.
std::string Sentence(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return CDeviceConnection(std::string(), a).IsNamed(b);
}

bool HasControlCharacter(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

} // namespace

std::string CInstrumentConnections::DefaultDatabaseFolder()
{
    return CFilePaths::GetCommonDataFolder() + "/Corvanth/Tarvolin/Tarvolin Monitor/Database";
}

CInstrumentConnections::CInstrumentConnections() : CInstrumentConnections(DefaultDatabaseFolder())
{
}

CInstrumentConnections::CInstrumentConnections(std::string databaseFolder)
    : m_strDatabaseFolder(std::move(databaseFolder)),
      m_handler(m_strDatabaseFolder + "/" + kCommonFolder + "/General Config/GeneralSettings.cfg")
{
}

std::string CInstrumentConnections::GetTemplateFolder() const
{
    return m_strDatabaseFolder + "/" + kTemplateFolder;
}

std::string CInstrumentConnections::GetInstrumentFolder(const std::string& name) const
{
    return m_strDatabaseFolder + "/" + CDeviceConnection::Trim(name);
}

int CInstrumentConnections::CheckName(const std::string& name, std::string& why)
{
    const std::string trimmed = CDeviceConnection::Trim(name);
    if (trimmed.empty()) {
        why = "Please enter an Instrument ID.";
    } else if (trimmed.find_first_of("/\\") != std::string::npos) {
        why = "The Instrument ID " + Quoted(trimmed) +
              " cannot contain \"/\" or \"\\\": it names the instrument's settings folder.";
    } else if (trimmed == "." || trimmed == "..") {
        why = "The Instrument ID " + Quoted(trimmed) +
              " cannot be used: it would name the database folder or the folder above it.";
    } else if (SameIgnoringCase(trimmed, kTemplateFolder)) {
        why = "The Instrument ID " + Quoted(trimmed) +
              " is reserved: the folder of that name holds the settings new instruments start "
              "from.";
    } else if (SameIgnoringCase(trimmed, kCommonFolder)) {
        why = "The Instrument ID " + Quoted(trimmed) +
              " is reserved: the folder of that name holds the instrument list.";
    } else if (!utf8::IsValid(trimmed)) {
        why = "The Instrument ID is not valid text (UTF-8).";
    } else if (HasControlCharacter(trimmed)) {
        why = "The Instrument ID contains a control character (a tab or a line break, for "
              "example).";
    } else if (trimmed.size() > kMaxNameBytes) {
        why = "The Instrument ID is too long: it names a folder, which takes at most " +
              std::to_string(kMaxNameBytes) + " bytes.";
    } else {
        return 1;
    }
    return 0;
}

int CInstrumentConnections::CheckPort(int port, std::string& why)
{
    if (port >= kFirstPort && port <= kLastPort)
        return 1;
    why = "The port must be COM" + std::to_string(kFirstPort) + " to COM" +
          std::to_string(kLastPort) + ".";
    return 0;
}

int CInstrumentConnections::Fail(ConnectionProblem problem, std::string& msg, std::string text)
{
    m_eLastProblem = problem;
    msg = Sentence(std::move(text));
    return 0;
}

int CInstrumentConnections::Provision(std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    std::string error;
    if (!m_handler.CreateIfMissing(error))
        return Fail(ConnectionProblem::Failed, msg, error);
    return ProvisionTemplate(msg);
}

int CInstrumentConnections::ProvisionTemplate(std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    const fs::path folder = GetTemplateFolder();
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder, ec)))
        return 1;
    // Built beside its place and renamed into it, so that a template is
    // either whole or absent, also when two programs start together.
    const fs::path building = folder.string() + ".~new-" + std::to_string(::getpid());
    fs::remove_all(building, ec);
    fs::create_directories(building / "Config", ec);
    if (!ec)
        fs::create_directories(building / "Logs", ec);
    if (ec) {
        fs::remove_all(building, ec);
        return Fail(ConnectionProblem::Failed, msg,
                    "cannot create the template folder " + Quoted(folder.string()) + ": " +
                        ec.message());
    }
    const std::string text = TemplateIniText();
    std::string error;
    if (!CFileUtil::WriteFileDurably(
            (building / "Config" / kIniFileName).string(),
            std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error)) {
        fs::remove_all(building, ec);
        return Fail(ConnectionProblem::Failed, msg, error);
    }
    fs::rename(building, folder, ec);
    if (ec) {
        const bool madeMeanwhile = fs::exists(fs::symlink_status(folder));
        std::error_code ignored;
        fs::remove_all(building, ignored);
        if (madeMeanwhile)
            return 1;
        return Fail(ConnectionProblem::Failed, msg,
                    "cannot create the template folder " + Quoted(folder.string()) + ": " +
                        ec.message());
    }
    int ignored = 0;
    CFileUtil::SyncFolderOf(folder.string(), ignored);
    return 1;
}

int CInstrumentConnections::ReadForEdit(CGeneralPCSettings& list, bool create, std::string& msg)
{
    std::string error;
    switch (m_handler.ReadState(list, error)) {
    case CGeneralPCSettingsHandler::ListState::Read:
        return 1;
    case CGeneralPCSettingsHandler::ListState::Missing:
        if (!create) {
            list.RemoveAll();
            return 1;
        }
        if (!m_handler.CreateIfMissing(error))
            return Fail(ConnectionProblem::Failed, msg, error);
        return ReadForEdit(list, false, msg);
    case CGeneralPCSettingsHandler::ListState::Damaged:
        return Fail(ConnectionProblem::Damaged, msg, error);
    case CGeneralPCSettingsHandler::ListState::Failed:
        break;
    }
    return Fail(ConnectionProblem::Failed, msg, error);
}

int CInstrumentConnections::List(CGeneralPCSettings& list, std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    return ReadForEdit(list, false, msg);
}

int CInstrumentConnections::Find(const std::string& name, CDeviceConnection& out, std::string& msg)
{
    CGeneralPCSettings list;
    if (!List(list, msg))
        return 0;
    const int index = list.Find(name);
    if (index < 0)
        return Fail(ConnectionProblem::NotFound, msg,
                    "No instrument named " + Quoted(CDeviceConnection::Trim(name)) +
                        " is in the list.");
    out = list.GetAt(index);
    return 1;
}

int CInstrumentConnections::Add(const std::string& name, int port, std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    m_strWarning.clear();
    std::string why;
    if (!CheckName(name, why) || !CheckPort(port, why))
        return Fail(ConnectionProblem::Refused, msg, why);
    CGeneralPCSettings list;
    if (!ReadForEdit(list, true, msg))
        return 0;
    const int existing = list.Find(name);
    if (existing >= 0) {
        const std::string stored = list.GetAt(existing).GetTrimmedName();
        const std::string trimmed = CDeviceConnection::Trim(name);
        return Fail(ConnectionProblem::Refused, msg,
                    "An instrument named " + Quoted(trimmed) + " is already in the list" +
                        (stored == trimmed ? std::string() : " (as " + Quoted(stored) + ")") +
                        ". Please choose another Instrument ID.");
    }
    list.Add(CDeviceConnection(std::to_string(port), name));
    std::string error;
    if (!m_handler.Write(list, error))
        return Fail(ConnectionProblem::Failed, msg, error);

    // The connection stands; its settings folder is the template's copy.
    const std::string folder = GetInstrumentFolder(name);
    if (!ProvisionTemplate(error) || !CopyTemplate(folder, error)) {
        m_eLastProblem = ConnectionProblem::None;
        m_strWarning = "The settings folder " + Quoted(folder) +
                       " could not be made complete: " + Sentence(error) +
                       " The Monitor starts with its default settings there.";
    }
    return 1;
}

int CInstrumentConnections::CopyTemplate(const std::string& folder, std::string& msg)
{
    const fs::path from = GetTemplateFolder();
    const fs::path to = folder;
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec) {
        msg = "cannot create " + Quoted(to.string()) + ": " + ec.message();
        return 0;
    }
    fs::recursive_directory_iterator walk(from, fs::directory_options::none, ec);
    for (; !ec && walk != fs::recursive_directory_iterator(); walk.increment(ec)) {
        const fs::path target = to / fs::relative(walk->path(), from);
        const fs::file_status status = walk->symlink_status();
        if (fs::is_directory(status)) {
            fs::create_directories(target, ec);
        } else if (fs::is_regular_file(status) && !fs::exists(fs::symlink_status(target))) {
            if (!CFileUtil::CopyFileDurably(walk->path().string(), target.string(), msg))
                return 0;
        }
        // Links and special files of a hand-made template are not copied.
        if (ec)
            break;
    }
    if (ec) {
        msg = "cannot copy " + Quoted(from.string()) + ": " + ec.message();
        return 0;
    }
    return 1;
}

int CInstrumentConnections::Modify(const std::string& name, int port, std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    std::string why;
    if (!CheckPort(port, why))
        return Fail(ConnectionProblem::Refused, msg, why);
    CGeneralPCSettings list;
    if (!ReadForEdit(list, false, msg))
        return 0;
    const int index = list.Find(name);
    if (index < 0)
        return Fail(ConnectionProblem::NotFound, msg,
                    "No instrument named " + Quoted(CDeviceConnection::Trim(name)) +
                        " is in the list.");
    const CDeviceConnection changed(std::to_string(port), list.GetAt(index).GetTrimmedName());
    list.Replace(name, changed);
    std::string error;
    if (!m_handler.Write(list, error))
        return Fail(ConnectionProblem::Failed, msg, error);
    return 1;
}

int CInstrumentConnections::Delete(const std::string& name, std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    CGeneralPCSettings list;
    if (!ReadForEdit(list, false, msg))
        return 0;
    if (list.Remove(name) == 0)
        return Fail(ConnectionProblem::NotFound, msg,
                    "No instrument named " + Quoted(CDeviceConnection::Trim(name)) +
                        " is in the list.");
    std::string error;
    if (!m_handler.Write(list, error))
        return Fail(ConnectionProblem::Failed, msg, error);
    return 1;
}

int CInstrumentConnections::Repair(CGeneralPCSettings& kept, std::string& copyPath,
                                   std::string& msg)
{
    m_eLastProblem = ConnectionProblem::None;
    std::string error;
    if (!m_handler.KeepCopyAndSalvage(kept, copyPath, error))
        return Fail(ConnectionProblem::Failed, msg, error);
    return 1;
}

std::string CInstrumentConnections::TemplateIniText()
{
    return R"(// Settings of one instrument for the Tarvolin Monitor.
//
// The Launcher copied this file from the template folder "Default" when the
// instrument was added. Change it here for this instrument only, or in
// Database/Default/Config for the instruments added from now on. The Monitor
// reads it when it starts: restart the Monitor after a change.
// One KEY=VALUE a line; text after // is a comment.

// The debug log (Logs/TarvolinDebug.log): every packet exchanged with the
// board and every failed exchange. 1 on, 0 off.
EnableDebugLog=1

// The pulse log (Logs/PulseSignals.csv): every pulse fetched. 1 on, 0 off.
EnablePulseLog=0

// Size in KB at which each log is renamed (X.log to X.1.log, ...), 16 to
// 1048576, and how many files of each log are kept, the live one included,
// 1 to 20. By default each log takes at most 16 MB.
LogFileMaxSizeKB=4096
LogFileCount=4

// Line speed of the serial link in baud; the board works at 57600.
BaudRate=57600

// Save Config reads the set-up from the board (1) or saves the values the
// dialogs hold (0).
IsOnline=1

// The pulse plot's largest ranges: zoom boxes are kept inside them.
PulseGraphMinX=0
PulseGraphMaxX=10000000
PulseGraphMinY=0
PulseGraphMaxY=10000000

// The mouse button that zooms the pulse plot out: 1 left (with Shift held,
// left still sets the cursor's base point), 2 right, 4 middle.
ZoomOutShortCutKey=4

// Factor for the pulse frequency shown; 1 (or 0) shows it as the board
// measures it.
FrequencyCorrectionfactor=1.0

// The port is not read from here: the Launcher gives it to the Monitor.
)";
}
