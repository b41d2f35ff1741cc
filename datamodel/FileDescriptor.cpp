#include "FileDescriptor.h"

#include <cerrno>

int CFileDescriptor::Close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(m_fd);
    m_fd = -1;
    // After EINTR the descriptor is gone on Linux; closing it again could
    // close one another thread has just opened.
    return result == 0 || errno == EINTR ? 0 : errno;
}
