#pragma once
// Scoped helpers for the settings tests: a private temporary folder, an
// environment variable (both from the test-support library) and the program
// kind, each put back on destruction.

#include "ProgramKind.h"
#include "ScopedEnv.h"
#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace settings_test {

using CTempDir = testsupport::CTempDir;
using CScopedEnv = testsupport::CScopedEnv;

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
    testsupport::WriteText(path, bytes);
}

} // namespace settings_test
