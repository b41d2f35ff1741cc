#include "DataRecorder.h"

#include "Archive.h"
#include "DataSettings.h"
#include "KLYNGenUtil.h"
#include "MessageService.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

std::string CDataRecorder::IndexText(int index)
{
    char text[16];
    // At least three digits: 7 gives "007", 1000 gives "1000".
    std::snprintf(text, sizeof text, "%.3d", index);
    return text;
}

void CDataRecorder::SetFolder(const std::string& folder)
{
    m_strFolder = folder;
    if (!m_strFolder.empty() && m_strFolder.back() != '/')
        m_strFolder += '/';
}

void CDataRecorder::SetIndex(int index)
{
    m_nIndex = index;
    m_strIndexText = IndexText(index);
}

void CDataRecorder::SetIndexText(const std::string& text)
{
    m_strIndexText = text;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && end && *end == '\0' && value >= 1 && value <= 999999)
        m_nIndex = static_cast<int>(value);
}

void CDataRecorder::ComposeFileName()
{
    m_strFileName = m_strPrefix + m_strIndexText + kExtension;
    m_strFullPath = m_strFolder + m_strFileName;
}

bool CDataRecorder::IsRegularFile(const std::string& path)
{
    // stat follows a link to the file it names; a dangling link is not a file.
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool CDataRecorder::FileExists() const { return CKLYNGenUtil::CheckFileExist(m_strFolder + m_strFileName) != 0; }

void CDataRecorder::NextFreeIndexUp()
{
    do {
        SetIndex(m_nIndex + 1);
        ComposeFileName();
    } while (FileExists());
}

void CDataRecorder::NextFreeIndexDown()
{
    do {
        if (m_nIndex > 1)
            SetIndex(m_nIndex - 1);
        else
            m_strIndexText = IndexText(m_nIndex);
        ComposeFileName();
    } while (FileExists() && m_nIndex > 1);
}

int CDataRecorder::LoadSettings(const std::string& path)
{
    CDataSettings settings;
    std::string ignored;
    if (!settings.LoadFromFile(path, ignored))
        return 0;
    SetFolder(settings.GetFilePathe());
    m_strPrefix = settings.GetLeftFilePathe();
    SetIndex(settings.GetPosition() >= 1 ? settings.GetPosition() : 1);
    ComposeFileName();
    return 1;
}

int CDataRecorder::SaveSettings(const std::string& path, std::string& message) const
{
    CDataSettings settings;
    settings.SetFilePath(m_strFolder);
    settings.SetLeftFilePath(m_strPrefix);
    settings.SetPosition(m_nIndex);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return settings.SaveToFile(path, message);
}

CRecordingQuestion CDataRecorder::OverwriteQuestion() const
{
    return {"Tarvolin Monitor  Warning",
            "The file " + m_strFolder + m_strFileName +
                " already exists.\n\nDo you want to replace it?"};
}

bool CDataRecorder::PrepareRecording(const std::string& settingsPath, const OverwriteAsker& ask)
{
    if (m_strFolder.empty()) {
        if (m_strFileName.empty() && m_strPrefix.empty())
            m_strPrefix = "file";
        std::error_code ec;
        if (!m_strDefaultFolder.empty()) {
            std::filesystem::create_directories(m_strDefaultFolder, ec);
            SetFolder(m_strDefaultFolder);
        } else {
            const auto cwd = std::filesystem::current_path(ec);
            SetFolder(ec ? std::string("/tmp") : cwd.string());
        }
    }
    ComposeFileName();
    bool mayStart = true;
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(m_strFullPath, ec);
    if (!ec && std::filesystem::exists(status)) {
        if (!IsRegularFile(m_strFullPath)) {
            NextFreeIndexUp();
        } else {
            const CRecordingQuestion question = OverwriteQuestion();
            OverwriteAnswer answer = OverwriteAnswer::Refuse;
            if (ask)
                answer = ask(question);
            else if (CMessageService::Show(question.text, question.caption, MessageIcon::Warning,
                                           MessageButtons::YesNo) == IDYES)
                answer = OverwriteAnswer::Replace;
            if (answer == OverwriteAnswer::Refuse)
                mayStart = false;
            if (answer != OverwriteAnswer::Replace)
                NextFreeIndexUp();
        }
    }
    std::string ignored;
    if (!settingsPath.empty())
        SaveSettings(settingsPath, ignored);
    return mayStart;
}

void CDataRecorder::StepIndexOncePerRun()
{
    if (m_bSteppedThisRun)
        return;
    m_bSteppedThisRun = true;
    if (m_nIndex != 1)
        NextFreeIndexUp();
}

void CDataRecorder::SetHeaderRecords(const CGateParameters& gates, const CBoardParameters& board,
                                     const CChannelParameters& channels, const CTimedEvent& events)
{
    m_header.config.gates = gates;
    m_header.config.board = board;
    m_header.config.channels = channels;
    m_header.config.events = events;
}

int CDataRecorder::Start(std::string& message)
{
    if (m_bRecording) {
        message = "a recording is already running (" + m_writer.GetPath() + ")";
        return 0;
    }
    if (m_strFullPath.empty())
        ComposeFileName();
    // Opening a FIFO for writing would wait for a reader, a device would take the data.
    struct stat status {};
    if (::lstat(m_strFullPath.c_str(), &status) == 0 && !IsRegularFile(m_strFullPath)) {
        message = m_strFullPath + " exists and is not a data file";
        return 0;
    }
    m_header.StampNow();
    if (!m_writer.Create(m_strFullPath, m_header, message))
        return 0;
    m_lastPulse = CPulseData();
    m_sequence.Reset();
    m_bRecording = true;
    return 1;
}

int CDataRecorder::Append(const CPulseData& pulse, std::string& message, bool* written)
{
    if (written)
        *written = false;
    m_lastPulse.CopyFrom(pulse);
    if (!m_bRecording)
        return 0;
    if (!m_sequence.Accept(pulse.GetPulseIndex()))
        return 1;
    if (m_writer.Append(pulse, message)) {
        if (written)
            *written = true;
        return 1;
    }
    StopAfterFailure();
    return 0;
}

void CDataRecorder::StopAfterFailure()
{
    // The writer has already closed the file with its count.
    m_bRecording = false;
    NextFreeIndexUp();
}

int CDataRecorder::Stop(std::string& message)
{
    if (!m_bRecording)
        return 1;
    const int result = m_writer.Close(message);
    m_bRecording = false;
    NextFreeIndexUp();
    return result;
}
