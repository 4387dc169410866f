#include "tags/saferewrite.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// A negative `err` means the message says it all.
bool Fail(std::string* error, const std::string& what, int err) {
    t_lastError = err < 0 ? what : what + ": " + std::strerror(err);
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

std::string TemporaryName(const std::filesystem::path& file, int attempt) {
    return file.string() + "~tv" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

FileOps* g_ops = nullptr;

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
    return g_ops ? *g_ops : ops;
}

void UseFileOps(FileOps* ops) {
    g_ops = ops;
}

std::string RewriteTemporaryName(const std::filesystem::path& target, int attempt) {
    return TemporaryName(target, attempt);
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

// Gives the new file the user extended attributes of the one it replaces, so that labels and
// marks the user set stay with the file. False when one that exists cannot be copied.
bool CopyUserAttributes(int from, int to) {
    std::vector<char> names(4096);
    ssize_t n = ::flistxattr(from, names.data(), names.size());
    if (n < 0 && errno == ERANGE) {
        n = ::flistxattr(from, nullptr, 0);
        if (n > 0) {
            names.resize(size_t(n));
            n = ::flistxattr(from, names.data(), names.size());
        }
    }
    if (n <= 0)
        return true;  // none, or a file system without them
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + n; name += std::strlen(name) + 1) {
        if (std::strncmp(name, "user.", 5) != 0)
            continue;
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size_t(size) + 1);
        const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(to, name, value.data(), size_t(got), 0) != 0)
            return false;
    }
    return true;
}

// What a rewrite replaces: the file's name, its state when the rewrite began (a made-up one
// for a new file) and, for a held file, the descriptor to keep and the lock to hand over.
struct Original {
    std::filesystem::path file;
    struct stat st {};
    bool exists = false;
    LockedFile* held = nullptr;
};

// Opens the temporary file beside `file`: first an unnamed one; where the file system has
// none, a new name: O_EXCL together with O_NOFOLLOW never opens anything that already exists
// under it, a planted symbolic link included; another name is tried instead.
int OpenTemporary(const std::filesystem::path& file, FileOps& ops, std::string& tempName) {
    const std::filesystem::path folder =
        file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    int fd = ops.Open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tempName = TemporaryName(file, attempt);
        fd = ops.Open(tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        tempName.clear();
    return fd;
}

// The finished temporary file takes the original's mode, owner and attributes, reaches the
// disk, and (when unnamed) gets its name. The step that failed goes to `step`.
bool FinishTemporary(const Original& o, int fd, FileOps& ops, std::string& tempName,
                     std::string& step) {
    const std::string& name = o.file.string();
    ::fchmod(fd, o.st.st_mode & 07777);
    if (o.exists) {
        // The owner where the process may give it (root), else at least the group.
        if (::fchown(fd, o.st.st_uid, o.st.st_gid) != 0) [[maybe_unused]]
            int ignored = ::fchown(fd, uid_t(-1), o.st.st_gid);
        const int source =
            o.held ? o.held->Descriptor() : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        const bool copied = source < 0 || CopyUserAttributes(source, fd);
        if (!o.held && source >= 0)
            ::close(source);
        if (!copied)
            return step = "cannot keep the extended attributes of " + name, false;
    }
    if (ops.Sync(fd) != 0)
        return step = "cannot flush the temporary file of " + name, false;
    if (o.held && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP)
        return step = "cannot lock the temporary file of " + name, false;
    for (int attempt = 0; tempName.empty() && attempt < 100; ++attempt) {
        const std::string candidate = TemporaryName(o.file, attempt);
        if (ops.Link(fd, candidate.c_str()) == 0)
            tempName = candidate;
        else if (errno != EEXIST)
            break;
    }
    if (tempName.empty())
        return step = "cannot name the temporary file of " + name, false;
    return true;
}

// The rewrite itself, one recipe for every file the program replaces.
bool Replace(Original& o, const std::function<bool(RewriteSink&)>& produce, std::string* error,
             FileOps& ops) {
    const std::string name = o.file.string();
    if (!S_ISREG(o.st.st_mode))
        return Fail(error, name + " is not a regular file", EINVAL);
    if (o.held && o.st.st_nlink > 1 && !o.held->UnlinkAllowed())
        return Fail(error,
                    name +
                        " has other hard links, which a rebuild would leave with the old "
                        "content; nothing was written",
                    -1);
    RemoveRewriteLeftovers(o.file);
    std::string tempName;
    const int fd = OpenTemporary(o.file, ops, tempName);
    if (fd < 0)
        return Fail(error, "cannot create a temporary file beside " + name, errno);
    const bool named = !tempName.empty();
    RewriteSink sink(ops, fd);
    std::string step = "cannot write " + (named ? tempName : "a temporary file beside " + name);
    bool ok = produce(sink) && !sink.Failed();
    int err = errno;
    if (ok && !FinishTemporary(o, fd, ops, tempName, step)) {
        ok = false;
        err = errno;
    }
    // The held file's lock goes over to the new one: it is taken before the rename, so no other
    // writer can come in between.
    const int keep = ok && o.held ? ::dup(fd) : -1;
    if (ops.Close(fd) != 0 && ok) {
        ok = false;
        err = errno;
        step = "cannot close the temporary file of " + name;
    }
    if (ok && o.held && !o.held->StillNamed()) {
        ok = false;
        err = -1;
        step = name + ": " + kChangedSinceRead;
    }
    if (ok && ops.Rename(tempName.c_str(), name.c_str()) != 0) {
        ok = false;
        err = errno;
        step = "cannot replace " + name;
    }
    if (!ok) {
        if (keep >= 0)
            ::close(keep);
        if (!tempName.empty())
            ops.Unlink(tempName.c_str());
        return Fail(error, step, err ? err : EIO);
    }
    if (o.held)
        o.held->Adopt(keep, true);
    return Succeed(error);
}

bool HoldsExactly(const std::filesystem::path& file, std::string_view data) {
    std::ifstream in(file, std::ios::binary);
    std::string held(data.size() + 1, '\0');
    in.read(held.data(), std::streamsize(held.size()));
    return in.gcount() == std::streamsize(data.size()) &&
           std::string_view(held.data(), data.size()) == data;
}

// Where a whole-file write lands: the file a symbolic link names (followed link by link, so a
// dangling link gives the name to create), else `target` itself.
std::filesystem::path WriteThroughLinks(const std::filesystem::path& target) {
    std::filesystem::path at = target;
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(at, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(at, ec);
        if (ec)
            break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at;
}

}  // namespace

bool SafeRewrite(const std::filesystem::path& target,
                 const std::function<bool(RewriteSink&)>& produce, std::string* error,
                 FileOps& ops) {
    try {
        Original o;
        o.file = WriteThroughLinks(target);
        if (::stat(o.file.c_str(), &o.st) != 0)
            return Fail(error, "cannot examine " + o.file.string(), errno);
        o.exists = true;
        return Replace(o, produce, error, ops);
    } catch (const std::exception& e) {
        return Fail(error, e.what(), ENOMEM);
    }
}

bool SafeRewrite(LockedFile& file, const std::function<bool(RewriteSink&)>& produce,
                 std::string* error, FileOps& ops) {
    try {
        Original o;
        o.file = file.Target();
        o.held = &file;
        if (!file.IsOpen() || ::fstat(file.Descriptor(), &o.st) != 0)
            return Fail(error, "cannot examine " + o.file.string(), file.IsOpen() ? errno : EBADF);
        o.exists = true;
        return Replace(o, produce, error, ops);
    } catch (const std::exception& e) {
        return Fail(error, e.what(), ENOMEM);
    }
}

bool SafeWriteFile(const std::filesystem::path& target, std::string_view data, mode_t newFileMode,
                   std::string* error, FileOps& ops) {
    try {
        Original o;
        o.file = WriteThroughLinks(target);
        o.exists = ::stat(o.file.c_str(), &o.st) == 0;
        if (!o.exists) {
            if (errno != ENOENT)
                return Fail(error, "cannot examine " + o.file.string(), errno);
            o.st.st_mode = S_IFREG | (newFileMode & 07777 & ~ProcessUmask());
        } else if (S_ISREG(o.st.st_mode) && size_t(o.st.st_size) == data.size() &&
                   HoldsExactly(o.file, data)) {
            return Succeed(error);  // nothing changed: the file and its times stay
        }
        return Replace(
            o, [&](RewriteSink& sink) { return sink.Write(data.data(), data.size()); }, error, ops);
    } catch (const std::exception& e) {
        return Fail(error, e.what(), ENOMEM);
    }
}

bool OverwriteHead(LockedFile& file, const void* data, size_t count, std::string* error) {
    const std::string name = file.Target().string();
    if (!file.Writable())
        return Fail(error, "cannot open " + name + " for writing", EACCES);
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(file.Descriptor(), p + done, count - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(error, "cannot write " + name, n == 0 ? EIO : errno);
        done += size_t(n);
    }
    if (::fsync(file.Descriptor()) != 0)
        return Fail(error, "cannot flush " + name, errno);
    return Succeed(error);
}

bool CutFile(LockedFile& file, int64_t newSize, std::string* error) {
    const std::string name = file.Target().string();
    if (newSize < 0)
        return Fail(error, "bad size for " + name, EINVAL);
    if (file.Writable())
        return ::ftruncate(file.Descriptor(), newSize) == 0
                   ? Succeed(error)
                   : Fail(error, "cannot shorten " + name, errno);
    // A file we may not open for writing (read-only) is replaced instead, as the folder allows.
    const int source = file.Descriptor();
    return SafeRewrite(
        file, [&](RewriteSink& sink) { return sink.CopyFrom(source, 0, newSize); }, error);
}

bool CutFile(const std::filesystem::path& target, int64_t newSize, std::string* error) {
    LockedFile file;
    std::string reason;
    if (!file.Open(target, &reason)) {
        t_lastError = reason;
        if (error)
            *error = reason;
        return false;
    }
    return CutFile(file, newSize, error);
}

}  // namespace tv::tags
