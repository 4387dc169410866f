#include "tags/lockedfile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "tags/saferewrite.h"

namespace tv::tags {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error)
        *error = what;
    return false;
}

std::string Reason(const std::string& what, int err) {
    return what + ": " + std::strerror(err);
}

// A symbolic link is written at the file it points to, so the link stays a link.
std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            return resolved;
    }
    return path;
}

// Waits for the exclusive lock of `fd`, polling so that the wait has an end.
bool LockWithin(int fd, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno == ENOLCK || errno == EOPNOTSUPP;  // no locks here: go on unlocked
        if (std::chrono::steady_clock::now() >= deadline)
            return errno = EWOULDBLOCK, false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

FileIdentity IdentityOf(const struct stat& st) {
    FileIdentity id;
    id.Device = st.st_dev;
    id.Inode = st.st_ino;
    id.Size = int64_t(st.st_size);
    id.ModifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ChangedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

FileIdentity IdentityOfDescriptor(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return IdentityOf(st);
}

LockedFile::~LockedFile() {
    Close();
}

void LockedFile::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void LockedFile::Adopt(int fd, bool writable) {
    Close();
    m_fd = fd;
    m_writable = writable;
}

bool LockedFile::StillNamed() const {
    struct stat named {};
    struct stat held {};
    return m_fd >= 0 && ::stat(m_target.c_str(), &named) == 0 && ::fstat(m_fd, &held) == 0 &&
           named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

bool LockedFile::Open(const std::filesystem::path& path, std::string* error, int waitMs) {
    Close();
    try {
        m_target = ResolveLinks(path);
        RemoveRewriteLeftovers(m_target);
        // A writer that renamed a rebuilt file over the name while we waited for the lock leaves
        // us holding the old inode: open the name again, a bounded number of times.
        for (int attempt = 0; attempt < 50; ++attempt) {
            // O_NONBLOCK: a FIFO under the name must not hang the writer; it is refused below.
            int fd = ::open(m_target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
            m_writable = fd >= 0;
            if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
                fd = ::open(m_target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0)
                return Fail(error, Reason("cannot open " + m_target.string(), errno));
            m_fd = fd;
            struct stat st {};
            if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
                Close();
                return Fail(error, m_target.string() + " is not a regular file");
            }
            if (!LockWithin(fd, waitMs)) {
                Close();
                return Fail(error, "another program is writing " + m_target.string() +
                                       "; try again when it is done");
            }
            if (StillNamed())
                return true;
            Close();
        }
        return Fail(error, m_target.string() + " keeps being replaced by another program");
    } catch (const std::exception& e) {
        Close();
        return Fail(error, e.what());
    }
}

void RemoveRewriteLeftovers(const std::filesystem::path& file) {
    try {
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
                ::unlink(it->path().c_str());
        }
    } catch (...) {
        // A folder that cannot be listed keeps what it holds.
    }
}

}  // namespace tv::tags
