#include "TextFile.h"

#include <filesystem>

CTextFile::CTextFile(const std::string& path, int mode)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    m_pFile = std::fopen(path.c_str(), mode == kCreate ? "w" : "a");
}

CTextFile::~CTextFile() { Close(); }

bool CTextFile::AddLine(const std::string& text)
{
    return m_pFile && std::fputs(text.c_str(), m_pFile) >= 0 && std::fputc('\n', m_pFile) != EOF;
}

void CTextFile::Close()
{
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}
