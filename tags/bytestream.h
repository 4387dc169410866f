#pragma once
// The small byte toolkit every tag reader shares: a random-access read-only stream (file or
// memory), a file stream that serves the head and the tail of a file from two buffers, and
// big-endian / synchsafe field helpers for the fixed binary headers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tv::tags {

// A read-only stream with a known size. ReadAt never throws: it returns the number of bytes
// copied into `buffer` (fewer than `count` at the end of the data) or -1 on an I/O error.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    virtual int64_t Size() const = 0;
    virtual int64_t ReadAt(int64_t offset, void* buffer, int64_t count) = 0;

    // Reads exactly `count` bytes; false when fewer are available or on an error.
    bool ReadExact(int64_t offset, void* buffer, int64_t count);
};

// Bytes held in memory (tests, fuzzers, and de-unsynchronised tag bodies). Does not own the
// bytes: they must outlive the stream.
class MemoryStream : public ByteStream {
public:
    explicit MemoryStream(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    int64_t Size() const override { return static_cast<int64_t>(m_bytes.size()); }
    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override;

private:
    std::span<const uint8_t> m_bytes;
};

// A regular file opened for reading. Open() reports failure by its result (also for folders,
// FIFOs and devices); the descriptor is closed by
// the destructor. With CacheEnds(head, tail) the first `head` and the last `tail` bytes are read
// once (two reads) and every later read that lies inside one of them is served from memory, so
// several readers looking at the same file cost one open and a handful of system calls.
class FileStream : public ByteStream {
public:
    FileStream() = default;
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    bool Open(const std::filesystem::path& path);
    // Reads the file open as `fd` (through a duplicate of it; `fd` stays the caller's).
    bool OpenDuplicate(int fd);
    bool IsOpen() const { return m_fd >= 0; }
    bool CacheEnds(int64_t headBytes, int64_t tailBytes);
    int64_t Size() const override { return m_size; }
    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override;
    int Descriptor() const { return m_fd; }
    // How many read system calls this stream has made (the cost the head/tail cache saves).
    int64_t SystemReads() const { return m_systemReads; }

private:
    bool Adopt(int fd);

    int m_fd = -1;
    int64_t m_size = 0;
    // Not zero-filled: every byte is read into before it is served.
    std::unique_ptr<uint8_t[]> m_head;
    int64_t m_headSize = 0;
    std::unique_ptr<uint8_t[]> m_tail;
    int64_t m_tailSize = 0;
    int64_t m_tailStart = 0;
    int64_t m_systemReads = 0;
};

// Big-endian and synchsafe helpers over raw bytes (the caller guarantees the length).
inline uint32_t ReadBE32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint32_t ReadBE24(const uint8_t* p) {
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}
inline uint32_t ReadSynchsafe32(const uint8_t* p) {
    return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) |
           (uint32_t(p[2] & 0x7F) << 7) | (p[3] & 0x7F);
}
inline void WriteBE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline void WriteSynchsafe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t((v >> 21) & 0x7F);
    p[1] = uint8_t((v >> 14) & 0x7F);
    p[2] = uint8_t((v >> 7) & 0x7F);
    p[3] = uint8_t(v & 0x7F);
}

// Parses a text of ASCII digits only (no sign, no blanks); -1 when it is anything else.
int64_t ParseDigits(std::string_view text);

}  // namespace tv::tags
