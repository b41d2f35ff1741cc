#pragma once
// Scoped helpers for the settings tests: a private temporary folder, an
// environment variable and the program kind, each put back on destruction.

#include "ProgramKind.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace settings_test {

class CTempDir {
public:
    CTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvolin-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~CTempDir()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

class CScopedEnv {
public:
    // value nullopt unsets the variable for the scope.
    CScopedEnv(const char* name, std::optional<std::string> value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~CScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class CScopedProgramKind {
public:
    explicit CScopedProgramKind(ProgramKind kind) : m_old(CProgramKind::Get())
    {
        CProgramKind::Set(kind);
    }
    ~CScopedProgramKind() { CProgramKind::Set(m_old); }
    CScopedProgramKind(const CScopedProgramKind&) = delete;
    CScopedProgramKind& operator=(const CScopedProgramKind&) = delete;

private:
    ProgramKind m_old;
};

inline void WriteBinary(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace settings_test
