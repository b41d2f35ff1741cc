#pragma once
// A scratch folder for one test, removed with everything in it afterwards,
// and whole-file helpers for the bytes tests write and read back.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class CTempDir {
public:
    // Below $TMPDIR (or /tmp); the name starts with prefix.
    explicit CTempDir(const std::string& prefix = "tarvolin-test");
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadBytes(const std::string& path);

} // namespace testsupport
