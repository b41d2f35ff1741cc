#include "QuillonIniConfig.h"

#include "Archive.h"
#include "GenIniFileReader.h"
#include "ProgramKind.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Keeps two Initialize calls from interleaving on the shared reader.
std::mutex g_initLock;

// A factor beyond the float range becomes an infinity instead of undefined behaviour.
float ToFloat(double value)
{
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

bool IsAnalyzer()
{
    return CProgramKind::Get() == ProgramKind::Analyzer;
}

} // namespace

std::mutex CQuillonIniConfig::m_lock;
std::string CQuillonIniConfig::m_strFilePath = "TarvolinMonitorIniSettings.ini";
bool CQuillonIniConfig::m_bEnableDebugLog = true;
int CQuillonIniConfig::m_nComPort = 1;
int CQuillonIniConfig::m_nBaudRate = 57600;
int CQuillonIniConfig::m_nPulseGraphMaxY = 1000000;
int CQuillonIniConfig::m_nPulseGraphMinY = 0;
int CQuillonIniConfig::m_nPulseGraphMaxX = 1000000;
int CQuillonIniConfig::m_nPulseGraphMinX = 0;
int CQuillonIniConfig::m_nEnablePulseLog = 1;
int CQuillonIniConfig::m_nZoomOutShortCutKeyValue = 4;
bool CQuillonIniConfig::m_nIsOnlineValue = true;
float CQuillonIniConfig::m_fFrequencyCorrectionfactor = 0.0f;
int CQuillonIniConfig::m_nLogFileMaxSizeKB = CQuillonIniConfig::kDefaultLogFileMaxSizeKB;
int CQuillonIniConfig::m_nLogFileCount = CQuillonIniConfig::kDefaultLogFileCount;
std::string CQuillonIniConfig::m_strInstrumentID;

int CQuillonIniConfig::Initialize(const std::string& path)
{
    std::lock_guard init(g_initLock);
    FilePath(path);
    if (CGenIniFileReader::Instance().Load(path) != 0)
        return -1;
    PopulateMemberVariables();
    return 0;
}

void CQuillonIniConfig::Reset()
{
    std::lock_guard guard(m_lock);
    m_strFilePath =
        IsAnalyzer() ? "TarvolinAnalyzerIniSettings.ini" : "TarvolinMonitorIniSettings.ini";
    m_bEnableDebugLog = true;
    m_nComPort = 1;
    m_nBaudRate = 57600;
    m_nPulseGraphMaxY = 1000000;
    m_nPulseGraphMinY = 0;
    m_nPulseGraphMaxX = 1000000;
    m_nPulseGraphMinX = 0;
    m_nEnablePulseLog = 1;
    m_nZoomOutShortCutKeyValue = 4;
    m_nIsOnlineValue = true;
    m_fFrequencyCorrectionfactor = 0.0f;
    m_nLogFileMaxSizeKB = kDefaultLogFileMaxSizeKB;
    m_nLogFileCount = kDefaultLogFileCount;
    m_strInstrumentID.clear();
}

void CQuillonIniConfig::FilePath(const std::string& path)
{
    std::lock_guard guard(m_lock);
    m_strFilePath = path;
}

void CQuillonIniConfig::PopulateMemberVariables()
{
    const CGenIniFileReader& reader = CGenIniFileReader::Instance();
    const auto intOr = [&reader](const char* key, int missing) {
        int value = missing;
        reader.GetIntValue(key, value);
        return value;
    };

    const bool debugLog = intOr("EnableDebugLog", 1) != 0;
    // Both programs keep their logs small.
    const int logSizeKB =
        std::clamp(intOr("LogFileMaxSizeKB", kDefaultLogFileMaxSizeKB), 16, 1048576);
    const int logCount = std::clamp(intOr("LogFileCount", kDefaultLogFileCount), 1, 20);
    if (IsAnalyzer()) {
        std::lock_guard guard(m_lock);
        m_bEnableDebugLog = debugLog;
        m_nLogFileMaxSizeKB = logSizeKB;
        m_nLogFileCount = logCount;
        return;
    }

    std::string unused;
    reader.GetValue("ComPort", unused);
    const int baudRate = intOr("BaudRate", 57600);
    const int maxY = intOr("PulseGraphMaxY", 10000000);
    const int minY = intOr("PulseGraphMinY", 0);
    const int maxX = intOr("PulseGraphMaxX", 10000000);
    const int minX = intOr("PulseGraphMinX", 0);
    const int pulseLog = intOr("EnablePulseLog", 0);
    int zoomKey = intOr("ZoomOutShortCutKey", 4);
    if (zoomKey != 1 && zoomKey != 2 && zoomKey != 4)
        zoomKey = 4;
    const bool online = intOr("IsOnline", 0) == 1;
    double factor = 0.0;
    reader.GetDoubleValue("FrequencyCorrectionfactor", factor);

    std::lock_guard guard(m_lock);
    m_bEnableDebugLog = debugLog;
    m_nBaudRate = baudRate;
    m_nPulseGraphMaxY = maxY;
    m_nPulseGraphMinY = minY;
    m_nPulseGraphMaxX = maxX;
    m_nPulseGraphMinX = minX;
    m_nEnablePulseLog = pulseLog;
    m_nZoomOutShortCutKeyValue = zoomKey;
    m_nIsOnlineValue = online;
    m_fFrequencyCorrectionfactor = ToFloat(factor);
    m_nLogFileMaxSizeKB = logSizeKB;
    m_nLogFileCount = logCount;
}

uint16_t CQuillonIniConfig::GetBitMaskValue(const std::string& text)
{
    // Characters, not bytes: a non-ASCII character counts as one position.
    const std::u16string units = utf8::ToUtf16(text);
    uint16_t mask = 0;
    const size_t count = std::min<size_t>(units.size(), 16);
    for (size_t bit = 0; bit < count; ++bit)
        if (units[units.size() - 1 - bit] == u'1')
            mask = static_cast<uint16_t>(mask | (1u << bit));
    return mask;
}

bool CQuillonIniConfig::EnableDebugLog()
{
    std::lock_guard guard(m_lock);
    return m_bEnableDebugLog;
}

int CQuillonIniConfig::ComPort()
{
    std::lock_guard guard(m_lock);
    return m_nComPort;
}

int CQuillonIniConfig::BaudRate()
{
    std::lock_guard guard(m_lock);
    return m_nBaudRate;
}

int CQuillonIniConfig::PulseGraphMaxY()
{
    std::lock_guard guard(m_lock);
    return m_nPulseGraphMaxY;
}

int CQuillonIniConfig::PulseGraphMinY()
{
    std::lock_guard guard(m_lock);
    return m_nPulseGraphMinY;
}

int CQuillonIniConfig::PulseGraphMaxX()
{
    std::lock_guard guard(m_lock);
    return m_nPulseGraphMaxX;
}

int CQuillonIniConfig::PulseGraphMinX()
{
    std::lock_guard guard(m_lock);
    return m_nPulseGraphMinX;
}

int CQuillonIniConfig::EnablePulseLog()
{
    std::lock_guard guard(m_lock);
    return m_nEnablePulseLog;
}

int CQuillonIniConfig::ZoomOutShortCutKeyValue()
{
    std::lock_guard guard(m_lock);
    return m_nZoomOutShortCutKeyValue;
}

bool CQuillonIniConfig::IsOnline()
{
    std::lock_guard guard(m_lock);
    return m_nIsOnlineValue;
}

float CQuillonIniConfig::FrequencyCorrectionfactor()
{
    std::lock_guard guard(m_lock);
    return m_fFrequencyCorrectionfactor;
}

int CQuillonIniConfig::LogFileMaxSizeKB()
{
    std::lock_guard guard(m_lock);
    return m_nLogFileMaxSizeKB;
}

int CQuillonIniConfig::LogFileCount()
{
    std::lock_guard guard(m_lock);
    return m_nLogFileCount;
}

std::string CQuillonIniConfig::GetInstrumentID()
{
    std::lock_guard guard(m_lock);
    return m_strInstrumentID;
}

std::string CQuillonIniConfig::GetFilePath()
{
    std::lock_guard guard(m_lock);
    return m_strFilePath;
}

void CQuillonIniConfig::ComPort(int port)
{
    std::lock_guard guard(m_lock);
    m_nComPort = port;
}

void CQuillonIniConfig::SetInstrumentID(const std::string& id)
{
    std::lock_guard guard(m_lock);
    m_strInstrumentID = id;
}
