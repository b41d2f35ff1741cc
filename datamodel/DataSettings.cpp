#include "DataSettings.h"

#include <vector>

void CDataSettings::Serialize(CArchiveWriter& archive) const
{
    archive.WriteString(m_strFilePath);
    archive.WriteString(m_strLeftFilePath);
    archive.WriteInt32(m_nPosition);
}

int CDataSettings::Serialize(CArchiveReader& archive)
{
    std::string filePath;
    std::string leftFilePath;
    int32_t position = 0;
    if (!archive.ReadString(filePath) || !archive.ReadString(leftFilePath) ||
        !archive.ReadInt32(position))
        return 0;
    m_strFilePath = std::move(filePath);
    m_strLeftFilePath = std::move(leftFilePath);
    m_nPosition = position;
    return 1;
}

int CDataSettings::SaveToFile(const std::string& path, std::string& msg) const
{
    std::vector<uint8_t> bytes;
    CArchiveWriter archive(bytes);
    Serialize(archive);
    std::string error;
    if (!WriteFileBytes(path, bytes, error)) {
        msg = "cannot save the data settings: " + error;
        return 0;
    }
    return 1;
}

int CDataSettings::LoadFromFile(const std::string& path, std::string& msg)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error)) {
        msg = "cannot load the data settings: " + error;
        return 0;
    }
    if (!LoadFromBytes(bytes, msg)) {
        msg = "cannot load the data settings from \"" + path + "\": " + msg;
        return 0;
    }
    return 1;
}

int CDataSettings::LoadFromBytes(std::span<const uint8_t> bytes, std::string& msg)
{
    CDataSettings plain;
    CArchiveReader plainReader(bytes);
    if (plain.Serialize(plainReader) && plainReader.ExpectEnd()) {
        *this = plain;
        return 1;
    }
    // The programs write paths in the wide form (FF FE FF ...). Two 0xFF bytes
    // at the start are a new-class tag, unless they began a long 8-bit path,
    // which the plain attempt above has already ruled out.
    const bool tagged = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFF;
    if (!tagged) {
        msg = plainReader.GetError();
        return 0;
    }
    CDataSettings record;
    CArchiveReader taggedReader(bytes);
    if (taggedReader.ExpectObjectTag(CLASS_NAME, SCHEMA) && record.Serialize(taggedReader) &&
        taggedReader.ExpectEnd()) {
        *this = record;
        return 1;
    }
    msg = taggedReader.GetError();
    return 0;
}
