#pragma once
// What the Monitor keeps from one run to the next: the data file path, the
// left file path and a position. Stored in the framework's archive format:
//
//   offset  item
//   0       file path       archive string (wide form)
//   n       left file path  archive string (wide form)
//   m       position        int32
//
// The file holds exactly these bytes. Files that carry the record behind a
// class tag ("CDataSettings", schema 1) are read as well.

#include "Archive.h"

#include <cstdint>
#include <span>
#include <string>

class CDataSettings {
public:
    static constexpr const char* CLASS_NAME = "CDataSettings";
    static constexpr uint16_t SCHEMA = 1;

    CDataSettings() = default;
    virtual ~CDataSettings() = default;
    CDataSettings(const CDataSettings&) = default;
    CDataSettings& operator=(const CDataSettings&) = default;

    std::string GetFilePathe() const { return m_strFilePath; }
    std::string GetLeftFilePathe() const { return m_strLeftFilePath; }
    void SetFilePath(const std::string& path) { m_strFilePath = path; }
    void SetLeftFilePath(const std::string& path) { m_strLeftFilePath = path; }
    int GetPosition() const { return m_nPosition; }
    void SetPosition(int position) { m_nPosition = position; }

    void Serialize(CArchiveWriter& archive) const;
    // 1 when all three items were read; 0 leaves the record as it was.
    int Serialize(CArchiveReader& archive);

    // 1, or 0 with the reason in msg. A failed load leaves the record as it was.
    int SaveToFile(const std::string& path, std::string& msg) const;
    int LoadFromFile(const std::string& path, std::string& msg);
    int LoadFromBytes(std::span<const uint8_t> bytes, std::string& msg);

private:
    std::string m_strFilePath;
    std::string m_strLeftFilePath;
    // Not set until the Monitor stores one; 0 reads as the start.
    int m_nPosition = 0;
};
