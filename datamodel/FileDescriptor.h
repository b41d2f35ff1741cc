#pragma once
// A file descriptor that closes itself on every return path. Move-only: one
// owner closes it, once.

#include <unistd.h>

class CFileDescriptor {
public:
    CFileDescriptor() = default;
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() { Reset(); }
    CFileDescriptor(CFileDescriptor&& other) noexcept : m_fd(other.Release()) {}
    CFileDescriptor& operator=(CFileDescriptor&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Gives the descriptor up without closing it.
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the current descriptor (if any) and takes fd.
    void Reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and says how it went: 0, or the errno of a failed close (a
    // write that the system delayed may report its failure only here).
    int Close();

private:
    int m_fd = -1;
};
