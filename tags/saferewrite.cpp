#include "tags/saferewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace tv::tags {

namespace {

thread_local std::string t_lastError;

bool Fail(std::string* error, const std::string& what, int err) {
    t_lastError = what + ": " + std::strerror(err);
    if (error)
        *error = t_lastError;
    return false;
}

bool Succeed(std::string* error) {
    t_lastError.clear();
    if (error)
        error->clear();
    return true;
}

// A symbolic link is rewritten at the file it points to, so the link stays a link.
std::filesystem::path ResolveTarget(const std::filesystem::path& target) {
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::canonical(target, ec);
        if (!ec)
            return resolved;
    }
    return target;
}

}  // namespace

int FileOps::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileOps::Write(int fd, const void* data, size_t count) {
    return ::write(fd, data, count);
}
int FileOps::Sync(int fd) {
    return ::fsync(fd);
}
int FileOps::Close(int fd) {
    return ::close(fd);
}
int FileOps::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int FileOps::Unlink(const char* path) {
    return ::unlink(path);
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

const std::string& LastRewriteError() {
    return t_lastError;
}

bool RewriteSink::Write(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (!m_failed && count > 0) {
        const ssize_t n = m_ops.Write(m_fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            m_failed = true;
            break;
        }
        p += n;
        count -= size_t(n);
    }
    return !m_failed;
}

bool RewriteSink::CopyFrom(int sourceFd, int64_t offset, int64_t count) {
    std::vector<uint8_t> buffer(1 << 16);
    while (!m_failed && count != 0) {
        const size_t want =
            count < 0 ? buffer.size() : size_t(std::min<int64_t>(count, buffer.size()));
        const ssize_t n = ::pread(sourceFd, buffer.data(), want, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_failed = true;
            break;
        }
        if (n == 0) {
            if (count > 0) {  // the source ended early
                errno = EIO;
                m_failed = true;
            }
            break;
        }
        if (!Write(buffer.data(), size_t(n)))
            break;
        offset += n;
        if (count > 0)
            count -= n;
    }
    return !m_failed;
}

bool SafeRewrite(const std::filesystem::path& target,
                 const std::function<bool(RewriteSink&)>& produce, std::string* error,
                 FileOps& ops) {
    try {
        const std::filesystem::path file = ResolveTarget(target);
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0)
            return Fail(error, "cannot examine " + file.string(), errno);
        if (!S_ISREG(st.st_mode))
            return Fail(error, file.string() + " is not a regular file", EINVAL);

        // O_EXCL together with O_NOFOLLOW never opens anything that already exists under the
        // name, a planted symbolic link included; another name is tried instead.
        std::string tempName = file.string() + "~";
        int fd = -1;
        for (int attempt = 0; attempt < 100; ++attempt) {
            fd = ops.Open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0600);
            if (fd >= 0 || errno != EEXIST)
                break;
            tempName =
                file.string() + "~" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        }
        if (fd < 0)
            return Fail(error, "cannot create a temporary file beside " + file.string(), errno);

        RewriteSink sink(ops, fd);
        bool ok = produce(sink) && !sink.Failed();
        std::string step = "cannot write " + tempName;
        int err = errno;
        if (ok) {
            ::fchmod(fd, st.st_mode & 07777);
            if (::geteuid() == 0) [[maybe_unused]]
                int ignored = ::fchown(fd, st.st_uid, st.st_gid);
            if (ops.Sync(fd) != 0) {
                ok = false;
                err = errno;
                step = "cannot flush " + tempName;
            }
        }
        if (ops.Close(fd) != 0 && ok) {
            ok = false;
            err = errno;
            step = "cannot close " + tempName;
        }
        if (ok && ops.Rename(tempName.c_str(), file.c_str()) != 0) {
            ok = false;
            err = errno;
            step = "cannot replace " + file.string();
        }
        if (!ok) {
            ops.Unlink(tempName.c_str());
            return Fail(error, step, err ? err : EIO);
        }
        return Succeed(error);
    } catch (const std::exception& e) {
        t_lastError = e.what();
        if (error)
            *error = t_lastError;
        return false;
    }
}

bool OverwriteHead(const std::filesystem::path& target, const void* data, size_t count,
                   std::string* error) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, "cannot open " + target.string() + " for writing", errno);
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd, p + done, count - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n == 0 ? EIO : errno;
            ::close(fd);
            return Fail(error, "cannot write " + target.string(), err);
        }
        done += size_t(n);
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(error, "cannot flush " + target.string(), err);
    }
    ::close(fd);
    return Succeed(error);
}

bool CutFile(const std::filesystem::path& target, int64_t newSize, std::string* error) {
    if (newSize < 0)
        return Fail(error, "bad size for " + target.string(), EINVAL);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        const bool ok = ::ftruncate(fd, newSize) == 0;
        const int err = errno;
        ::close(fd);
        return ok ? Succeed(error) : Fail(error, "cannot shorten " + target.string(), err);
    }
    // A file we may not open for writing (read-only) is replaced instead, as the folder allows.
    const int source = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return Fail(error, "cannot open " + target.string(), errno);
    const bool ok = SafeRewrite(
        target, [&](RewriteSink& sink) { return sink.CopyFrom(source, 0, newSize); }, error);
    ::close(source);
    return ok;
}

}  // namespace tv::tags
