#include "FileIO.h"

#include <sys/stat.h>

OFileIO::Stream::~Stream()
{
    if (fp)
        std::fclose(fp);
}

FILE* OFileIO::Open(const std::string& path, IO_DIRECTION direction)
{
    Close();
    m_nDirection = direction;
    FILE* fp = std::fopen(path.c_str(), direction == IO_WRITE ? "wb" : "rb");
    if (!fp)
        return nullptr;
    m_pStream = std::make_shared<Stream>();
    m_pStream->fp = fp;
    if (direction != IO_WRITE && Size() == 0)
        Close();
    return GetFp();
}

FILE* OFileIO::OpenMemory(const void* bytes, size_t size)
{
    Close();
    m_nDirection = IO_READ;
    if (size == 0 || !bytes)
        return nullptr;
    // Opened for reading only: the buffer is never written through the stream.
    FILE* fp = ::fmemopen(const_cast<void*>(bytes), size, "rb");
    if (!fp)
        return nullptr;
    m_pStream = std::make_shared<Stream>();
    m_pStream->fp = fp;
    m_pStream->memorySize = static_cast<int64_t>(size);
    return fp;
}

void OFileIO::Close()
{
    if (m_pStream && m_pStream->fp) {
        std::fclose(m_pStream->fp);
        m_pStream->fp = nullptr;
    }
    m_pStream.reset();
}

int OFileIO::Write(const void* buffer, size_t size)
{
    if (!GetFp())
        return 0;
    if (size == 0)
        return 1;
    return std::fwrite(buffer, size, 1, GetFp()) == 1 ? 1 : 0;
}

int OFileIO::Read(void* buffer, size_t size)
{
    if (!GetFp())
        return 0;
    if (size == 0)
        return 1;
    return std::fread(buffer, 1, size, GetFp()) == size ? 1 : 0;
}

int64_t OFileIO::Ftell() const { return GetFp() ? static_cast<int64_t>(ftello(GetFp())) : -1; }

int OFileIO::Fseek(int64_t offset, int origin)
{
    return GetFp() ? fseeko(GetFp(), static_cast<off_t>(offset), origin) : -1;
}

int OFileIO::Skip(int64_t offset) { return Fseek(offset, SEEK_CUR); }

int64_t OFileIO::Size() const
{
    if (GetFp() && m_pStream->memorySize >= 0)
        return m_pStream->memorySize;
    struct stat st{};
    if (!GetFp() || fstat(fileno(GetFp()), &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t OFileIO::Remaining() const
{
    int64_t size = Size();
    int64_t pos = Ftell();
    return size < 0 || pos < 0 || pos > size ? 0 : size - pos;
}
