#pragma once
// File operations for fault tests: the real ones, except that one chosen step of a rewrite
// fails. Writes go out in small pieces so that a failing write happens in the middle of the
// content, after some bytes reached the temporary file.

#include <algorithm>
#include <cerrno>

#include "tags/saferewrite.h"

namespace tv::tags::test {

enum class Step { Create, Write, Flush, Close, Rename };

class FailingOps : public FileOps {
public:
    FailingOps(Step step, size_t writeChunk) : m_step(step), m_chunk(writeChunk) {}
    int Open(const char* path, int flags, mode_t mode) override {
        return m_step == Step::Create ? (errno = EACCES, -1) : FileOps::Open(path, flags, mode);
    }
    ssize_t Write(int fd, const void* data, size_t count) override {
        if (m_step == Step::Write && m_written > 0)
            return errno = ENOSPC, -1;
        const ssize_t n = FileOps::Write(fd, data, std::min(count, m_chunk));
        m_written += n > 0 ? n : 0;
        return n;
    }
    int Sync(int fd) override {
        return m_step == Step::Flush ? (errno = EIO, -1) : FileOps::Sync(fd);
    }
    int Close(int fd) override {
        const int r = FileOps::Close(fd);
        return m_step == Step::Close ? (errno = EIO, -1) : r;
    }
    int Rename(const char* from, const char* to) override {
        return m_step == Step::Rename ? (errno = EXDEV, -1) : FileOps::Rename(from, to);
    }

private:
    Step m_step;
    size_t m_chunk;
    ssize_t m_written = 0;
};

}  // namespace tv::tags::test
