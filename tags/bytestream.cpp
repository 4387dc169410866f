#include "tags/bytestream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tv::tags {

bool ByteStream::ReadExact(int64_t offset, void* buffer, int64_t count) {
    return count >= 0 && ReadAt(offset, buffer, count) == count;
}

int64_t MemoryStream::ReadAt(int64_t offset, void* buffer, int64_t count) {
    if (offset < 0 || count < 0)
        return -1;
    const int64_t size = Size();
    if (offset >= size || count == 0)
        return 0;
    const int64_t n = std::min(count, size - offset);
    std::memcpy(buffer, m_bytes.data() + offset, static_cast<size_t>(n));
    return n;
}

FileStream::~FileStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileStream::Open(const std::filesystem::path& path) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_head.reset();
    m_headSize = 0;
    m_tail.reset();
    m_tailSize = 0;
    m_size = 0;
    // O_NONBLOCK: a FIFO or device under a media name must not hang the reader; only regular
    // files are read (for them the flag changes nothing).
    return Adopt(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

bool FileStream::OpenDuplicate(int fd) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_head.reset();
    m_headSize = 0;
    m_tail.reset();
    m_tailSize = 0;
    m_size = 0;
    return Adopt(fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0));
}

bool FileStream::Adopt(int fd) {
    m_fd = fd;
    if (m_fd < 0)
        return false;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_size = st.st_size;
    return true;
}

static int64_t PreadAll(int fd, int64_t offset, void* buffer, int64_t count, int64_t& reads) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        ++reads;
        const ssize_t n = ::pread(fd, out + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool FileStream::CacheEnds(int64_t headBytes, int64_t tailBytes) {
    if (m_fd < 0)
        return false;
    m_headSize = 0;
    m_tailSize = 0;
    headBytes = std::clamp<int64_t>(headBytes, 0, m_size);
    m_head.reset(new uint8_t[static_cast<size_t>(headBytes)]);
    if (PreadAll(m_fd, 0, m_head.get(), headBytes, m_systemReads) != headBytes) {
        m_head.reset();
        return false;
    }
    m_headSize = headBytes;
    // The tail never needs to repeat bytes the head already holds.
    tailBytes = std::clamp<int64_t>(tailBytes, 0, m_size - headBytes);
    m_tailStart = m_size - tailBytes;
    m_tail.reset(new uint8_t[static_cast<size_t>(tailBytes)]);
    if (PreadAll(m_fd, m_tailStart, m_tail.get(), tailBytes, m_systemReads) != tailBytes) {
        m_tail.reset();
        return false;
    }
    m_tailSize = tailBytes;
    return true;
}

int64_t FileStream::ReadAt(int64_t offset, void* buffer, int64_t count) {
    if (m_fd < 0 || offset < 0 || count < 0)
        return -1;
    if (offset >= m_size || count == 0)
        return 0;
    count = std::min(count, m_size - offset);
    if (offset + count <= m_headSize) {
        std::memcpy(buffer, m_head.get() + offset, static_cast<size_t>(count));
        return count;
    }
    if (m_tailSize > 0 && offset >= m_tailStart && offset + count <= m_tailStart + m_tailSize) {
        std::memcpy(buffer, m_tail.get() + (offset - m_tailStart), static_cast<size_t>(count));
        return count;
    }
    return PreadAll(m_fd, offset, buffer, count, m_systemReads);
}

int64_t ParseDigits(std::string_view text) {
    if (text.empty() || text.size() > 18)
        return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace tv::tags
