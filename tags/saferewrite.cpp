#include "tags/saferewrite.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

// Removes what rewrites of `file` killed before their rename left beside it: files of our own
// name pattern, owned by this user, whose writing process is gone. Nothing else is touched.
void RemoveStaleTemporaries(const std::filesystem::path& file, FileOps& ops) {
    std::error_code ec;
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    const std::string fileName = file.filename().string();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        long pid = 0;
        if (!IsRewriteTemporaryName(name, fileName, &pid) || pid == long(::getpid()))
            continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            ops.Unlink(it->path().c_str());
    }
}

std::string TemporaryName(const std::filesystem::path& file, int attempt) {
    return file.string() + "~tv" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
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
int FileOps::Link(int fd, const char* path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

bool IsRewriteTemporaryName(std::string_view name, std::string_view fileName, long* pid) {
    const std::string prefix = std::string(fileName) + "~tv";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    const std::string_view rest = name.substr(prefix.size());
    const size_t dash = rest.find('-');
    auto digits = [](std::string_view d) {
        return !d.empty() && d.size() <= 18 &&
               std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string_view::npos || !digits(rest.substr(0, dash)) ||
        !digits(rest.substr(dash + 1)))
        return false;
    if (pid)
        *pid = std::stol(std::string(rest.substr(0, dash)));
    return true;
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

namespace {

// The process's file creation mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t ProcessUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

// The rewrite itself; with `newFileMode` >= 0 a missing target (or a symbolic link standing at
// its name) is replaced by a new file with those bits (less the umask).
bool Replace(const std::filesystem::path& target, const std::function<bool(RewriteSink&)>& produce,
             std::string* error, FileOps& ops, int newFileMode) {
    try {
        // A whole-file write replaces a symbolic link at the name instead of following it.
        const bool wholeFile = newFileMode >= 0;
        const std::filesystem::path file = wholeFile ? target : ResolveTarget(target);
        struct stat st {};
        const int found = wholeFile ? ::lstat(file.c_str(), &st) : ::stat(file.c_str(), &st);
        if (found != 0 || S_ISLNK(st.st_mode)) {
            if ((found != 0 && errno != ENOENT) || !wholeFile)
                return Fail(error, "cannot examine " + file.string(), errno);
            const mode_t mask = ProcessUmask();
            st.st_mode = S_IFREG | (mode_t(newFileMode) & ~mask);
            st.st_uid = ::geteuid();
            st.st_gid = ::getegid();
        }
        if (!S_ISREG(st.st_mode))
            return Fail(error, file.string() + " is not a regular file", EINVAL);

        RemoveStaleTemporaries(file, ops);
        // First an unnamed file in the target's folder; where the file system has none, a new
        // name: O_EXCL together with O_NOFOLLOW never opens anything that already exists under
        // it, a planted symbolic link included; another name is tried instead.
        const std::filesystem::path folder =
            file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
        std::string tempName;
        int fd = ops.Open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        const bool unnamed = fd >= 0;
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            tempName = TemporaryName(file, attempt);
            fd = ops.Open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0600);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0)
            return Fail(error, "cannot create a temporary file beside " + file.string(), errno);

        RewriteSink sink(ops, fd);
        bool ok = produce(sink) && !sink.Failed();
        std::string step =
            "cannot write " + (unnamed ? "a temporary file beside " + file.string() : tempName);
        int err = errno;
        if (ok) {
            ::fchmod(fd, st.st_mode & 07777);
            if (::geteuid() == 0) [[maybe_unused]]
                int ignored = ::fchown(fd, st.st_uid, st.st_gid);
            if (ops.Sync(fd) != 0) {
                ok = false;
                err = errno;
                step = "cannot flush the temporary file of " + file.string();
            }
        }
        // The finished unnamed file gets its name just before the rename.
        for (int attempt = 0; ok && unnamed && tempName.empty() && attempt < 100; ++attempt) {
            const std::string name = TemporaryName(file, attempt);
            if (ops.Link(fd, name.c_str()) == 0) {
                tempName = name;
            } else if (errno != EEXIST || attempt == 99) {
                ok = false;
                err = errno;
                step = "cannot name the temporary file of " + file.string();
            }
        }
        if (ops.Close(fd) != 0 && ok) {
            ok = false;
            err = errno;
            step = "cannot close the temporary file of " + file.string();
        }
        if (ok && ops.Rename(tempName.c_str(), file.c_str()) != 0) {
            ok = false;
            err = errno;
            step = "cannot replace " + file.string();
        }
        if (!ok) {
            if (!tempName.empty())
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

}  // namespace

bool SafeRewrite(const std::filesystem::path& target,
                 const std::function<bool(RewriteSink&)>& produce, std::string* error,
                 FileOps& ops) {
    return Replace(target, produce, error, ops, -1);
}

bool SafeWriteFile(const std::filesystem::path& target, std::string_view data, mode_t newFileMode,
                   std::string* error, FileOps& ops) {
    return Replace(
        target, [&](RewriteSink& sink) { return sink.Write(data.data(), data.size()); }, error, ops,
        int(newFileMode & 07777));
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
