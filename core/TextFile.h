#pragma once
// A text file written a line at a time. Mode kCreate starts the file anew,
// mode kAppend adds to what is there.

#include <cstdio>
#include <string>

class CTextFile {
public:
    static constexpr int kAppend = 0;
    static constexpr int kCreate = 2;

    CTextFile(const std::string& path, int mode);
    ~CTextFile();
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    bool IsOpen() const { return m_pFile != nullptr; }
    // Appends text and a line end; false when the file is not open or the write failed.
    bool AddLine(const std::string& text);
    void Close();

private:
    FILE* m_pFile = nullptr;
};
