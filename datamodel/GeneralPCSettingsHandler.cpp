#include "GeneralPCSettingsHandler.h"

#include "FilePaths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::string CGeneralPCSettingsHandler::DefaultPath()
{
    return CFilePaths::GetCommonDataFolder() +
           "/Corvanth/Tarvolin/Tarvolin Monitor/Database/Common/General Config/GeneralSettings.cfg";
}

int CGeneralPCSettingsHandler::Read(CGeneralPCSettings& list, std::string& msg) const
{
    if (::access(m_strPath.c_str(), F_OK) != 0) {
        msg = "the instrument list \"" + m_strPath + "\" was not found";
        return 0;
    }
    const int fd = ::open(m_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // There, but not for us: the list is taken as empty.
        list.RemoveAll();
        return 1;
    }
    ::close(fd);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(m_strPath, bytes, error)) {
        msg = error;
        return 0;
    }
    if (!list.FromBytes(bytes, error)) {
        msg = "\"" + m_strPath + "\": " + error;
        return 0;
    }
    return 1;
}

int CGeneralPCSettingsHandler::Write(const CGeneralPCSettings& list, std::string& msg) const
{
    return WriteFileBytes(m_strPath, list.ToBytes(), msg);
}

int CGeneralPCSettingsHandler::Find(const std::string& name, CDeviceConnection& out,
                                    std::string& msg) const
{
    CGeneralPCSettings list;
    if (!Read(list, msg))
        return 0;
    const int index = list.Find(name);
    if (index < 0) {
        msg =
            "no instrument named \"" + CDeviceConnection::Trim(name) + "\" in the instrument list";
        return 0;
    }
    out = list.GetAt(index);
    return 1;
}

int CGeneralPCSettingsHandler::Add(const CDeviceConnection& connection, std::string& msg) const
{
    CGeneralPCSettings list;
    if (!Read(list, msg))
        return 0;
    list.Add(connection);
    return Write(list, msg);
}

int CGeneralPCSettingsHandler::Modify(const std::string& oldName,
                                      const CDeviceConnection& connection, std::string& msg) const
{
    CGeneralPCSettings list;
    if (!Read(list, msg))
        return 0;
    if (list.Replace(oldName, connection) == 0) {
        msg = "no instrument named \"" + CDeviceConnection::Trim(oldName) +
              "\" in the instrument list";
        return 0;
    }
    return Write(list, msg);
}

int CGeneralPCSettingsHandler::Delete(const std::string& name, std::string& msg) const
{
    CGeneralPCSettings list;
    if (!Read(list, msg))
        return 0;
    list.Remove(name);
    return Write(list, msg);
}
