#include "ConfigFile.h"

#include "ByteOrder.h"

#include <cstdio>

namespace {

const char kDamaged[] = "Configuration file is damaged: ";

std::string ShortTagText(uint64_t have)
{
    char text[96];
    std::snprintf(text, sizeof text, "the format tag needs 4 bytes but only %llu are present",
                  static_cast<unsigned long long>(have));
    return kDamaged + std::string(text);
}

} // namespace

CConfigFile& CConfigFile::CopyFrom(const CConfigFile& other)
{
    if (this == &other)
        return *this;
    m_timedEvent.CopyFrom(other.m_timedEvent);
    m_gateParameters.CopyFrom(other.m_gateParameters);
    m_boardParameters.CopyFrom(other.m_boardParameters);
    m_channelParameters.CopyFrom(other.m_channelParameters);
    m_nEventCount = other.m_nEventCount;
    m_nTag = other.m_nTag;
    return *this;
}

int CConfigFile::Save(const std::string& path, std::string& message)
{
    if (!m_file.Open(path, IO_WRITE))
        return 0;
    int result = Io(m_file, message);
    // Buffered bytes that cannot reach the disk must not pass for a saved file.
    if (result && std::fflush(m_file.GetFp()) != 0) {
        message = "Could not write the configuration file";
        result = 0;
    }
    m_file.Close();
    return result;
}

int CConfigFile::Open(const std::string& path, std::string& message)
{
    if (!m_file.Open(path, IO_READ))
        return 0;
    const int result = Io(m_file, message);
    m_file.Close();
    return result;
}

int CConfigFile::Io(OFileIO& file, std::string& message)
{
    return file.IsWriting() ? Write(file, message) : Read(file, message);
}

int CConfigFile::Write(OFileIO& file, std::string& message)
{
    std::vector<uint8_t> image;
    AppendImage(image);
    if (!file.Write(image.data(), image.size())) {
        message = "Could not write the configuration file";
        return 0;
    }
    m_nTag = kTag;
    m_nEventCount = m_timedEvent.GetCount();
    return 1;
}

int CConfigFile::Read(OFileIO& file, std::string& message)
{
    const int64_t left = file.Remaining();
    uint8_t tag_bytes[4];
    if (left < 4 || !file.Read(tag_bytes, sizeof tag_bytes)) {
        message = ShortTagText(static_cast<uint64_t>(left < 0 ? 0 : left));
        return 0;
    }
    const int32_t tag = le::GetI32(tag_bytes);
    if (tag != kTag) {
        m_nTag = tag;
        return 1;
    }

    CConfigBlockSet blocks;
    std::string why;
    if (!ConfigBlocks::ReadSequence(file, blocks, why)) {
        message = kDamaged + why;
        return 0;
    }
    m_nTag = tag;
    Commit(std::move(blocks));
    return 1;
}

int CConfigFile::Parse(std::span<const uint8_t> bytes, std::string& message)
{
    if (bytes.size() < 4) {
        message = ShortTagText(bytes.size());
        return 0;
    }
    const int32_t tag = le::GetI32(bytes.data());
    if (tag != kTag) {
        m_nTag = tag;
        return 1;
    }

    CConfigBlockSet blocks;
    size_t used = 0;
    std::string why;
    if (!ConfigBlocks::ParseSequence(bytes.subspan(4), blocks, used, why)) {
        message = kDamaged + why;
        return 0;
    }
    m_nTag = tag;
    Commit(std::move(blocks));
    return 1;
}

void CConfigFile::AppendImage(std::vector<uint8_t>& out) const
{
    le::Writer(out).I32(kTag);
    ConfigBlocks::AppendSequence(out, Blocks());
}

CConfigBlockSet CConfigFile::Blocks() const
{
    CConfigBlockSet blocks;
    blocks.gates = m_gateParameters;
    blocks.board = m_boardParameters;
    blocks.channels = m_channelParameters;
    blocks.events = m_timedEvent;
    return blocks;
}

void CConfigFile::Commit(CConfigBlockSet&& blocks)
{
    m_gateParameters = blocks.gates;
    m_boardParameters = blocks.board;
    m_channelParameters = blocks.channels;
    m_timedEvent = std::move(blocks.events);
    m_nEventCount = m_timedEvent.GetCount();
}

bool CConfigFile::operator==(const CConfigFile& other) const
{
    return m_timedEvent == other.m_timedEvent && m_gateParameters == other.m_gateParameters &&
           m_boardParameters == other.m_boardParameters &&
           m_channelParameters == other.m_channelParameters && m_nEventCount == other.m_nEventCount;
}
