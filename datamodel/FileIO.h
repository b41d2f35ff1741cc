#pragma once
// OFileIO: the binary file every format class writes and reads through.
// Each format has one Io operation that writes when the direction is
// IO_WRITE and reads otherwise, field by field in the same order, so writer
// and reader cannot drift apart.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

enum IO_DIRECTION { IO_WRITE = 0, IO_READ = 1, IO_NOT_OPENED = 2 };

class OFileIO {
public:
    // Copies share the stream. Close() on any copy closes it for all of
    // them (the others then see a closed file, never a dangling handle);
    // a stream nobody closed is closed when its last copy goes.
    OFileIO() = default;

    // Opens "wb" for IO_WRITE and "rb" otherwise. An existing empty file
    // cannot be opened for reading. Returns the stream, nullptr on failure.
    FILE* Open(const std::string& path, IO_DIRECTION direction);
    // Opens bytes held in memory for reading, as a file of that content
    // (tests and fuzzing read formats this way without touching the disk).
    // The bytes must outlive the stream. Empty bytes cannot be opened, as an
    // empty file cannot.
    FILE* OpenMemory(const void* bytes, size_t size);
    void Close();

    int IsOpen() const { return GetFp() != nullptr; }
    FILE* GetFp() const { return m_pStream ? m_pStream->fp : nullptr; }
    IO_DIRECTION GetDir() const { return m_nDirection; }
    bool IsWriting() const { return m_nDirection == IO_WRITE; }

    // Writes size bytes as one item: 1 when written, else 0.
    int Write(const void* buffer, size_t size);
    // Reads exactly size bytes: 1 when all arrived, else 0.
    int Read(void* buffer, size_t size);

    int64_t Ftell() const;
    int Fseek(int64_t offset, int origin);
    // Moves by offset bytes from the current position; 0 on success.
    int Skip(int64_t offset);

    // Size of the open file in bytes (-1 when unknown) and the bytes left
    // after the current position (0 when unknown). Readers check counts
    // against Remaining() before they allocate.
    int64_t Size() const;
    int64_t Remaining() const;

private:
    struct Stream {
        FILE* fp = nullptr;
        int64_t memorySize = -1; // a stream over memory has no descriptor to ask
        ~Stream();
    };
    std::shared_ptr<Stream> m_pStream;
    IO_DIRECTION m_nDirection = IO_NOT_OPENED;
};
