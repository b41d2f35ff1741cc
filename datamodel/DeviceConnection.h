#pragma once
// One instrument connection of the workstation: the COM port its board is on
// and the instrument's name. The Launcher keeps the list of them in
// "GeneralSettings.cfg" (see GeneralPCSettings.h); each entry is stored as
// three archive strings, port, name and a third string that is always
// empty and kept unchanged.

#include "Archive.h"

#include <cstdint>
#include <string>

class CDeviceConnection {
public:
    static constexpr const char* CLASS_NAME = "CDeviceConnection";
    static constexpr uint16_t SCHEMA = 1;

    CDeviceConnection() = default;
    CDeviceConnection(std::string port, std::string name, std::string third = {})
        : m_strPort(std::move(port)), m_strName(std::move(name)), m_strThird(std::move(third))
    {
    }
    virtual ~CDeviceConnection() = default;
    CDeviceConnection(const CDeviceConnection&) = default;
    CDeviceConnection& operator=(const CDeviceConnection&) = default;

    // The port as decimal text ("1" to "8" from the Launcher's dialogs).
    const std::string& GetPort() const { return m_strPort; }
    void SetPort(const std::string& port) { m_strPort = port; }
    const std::string& GetName() const { return m_strName; }
    void SetName(const std::string& name) { m_strName = name; }
    const std::string& GetThird() const { return m_strThird; }
    void SetThird(const std::string& third) { m_strThird = third; }

    // The decimal value of the port text's leading digits (after blanks);
    // 0 when it has none or they do not fit.
    int GetPortNumber() const;
    // The name without leading and trailing white space, as lists show it.
    std::string GetTrimmedName() const;
    // Names are the key of the list: compared trimmed and without regard to case.
    bool IsNamed(const std::string& name) const;

    // The three strings (the class tag is the list's business).
    void Serialize(CArchiveWriter& archive) const;
    // 1 when all three were read; 0 leaves the record as it was.
    int Serialize(CArchiveReader& archive);

    bool operator==(const CDeviceConnection& other) const = default;

    static std::string Trim(const std::string& text);

private:
    std::string m_strPort;
    std::string m_strName;
    std::string m_strThird;
};
