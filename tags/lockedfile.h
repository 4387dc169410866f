#pragma once
// A file held from the read of its tag to the last write of it: one descriptor, an exclusive
// advisory lock that every writer of this program takes (the tag windows and the tag tool), and
// the identity the file had when it was read, so that a change made by anyone else in between
// is seen before anything is written.

#include <sys/stat.h>
#include <sys/types.h>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tv::tags {

// What tells one state of a file from another: the inode, its size and its last change. A
// write by anyone changes at least one of them.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    int64_t Size = -1;
    int64_t ModifiedNs = 0;
    int64_t ChangedNs = 0;
    bool Known() const { return Size >= 0; }
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& st);
// The identity of the file open as `fd`; unknown when it cannot be examined.
FileIdentity IdentityOfDescriptor(int fd);

// The message of a write refused because the file changed since it was read.
inline constexpr const char* kChangedSinceRead =
    "the file was changed by another program since it was read; nothing was written, read it "
    "again and retry";

class LockedFile {
public:
    LockedFile() = default;
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Opens the regular file `path` names (a symbolic link is followed) for reading and writing,
    // or for reading alone when it may not be written, waits up to `waitMs` for the exclusive
    // lock, and makes sure the name still names the locked file (a writer that replaced it
    // meanwhile means opening it again). Leftover temporary files of dead rewrites beside it are
    // removed. False with `error` set when any of that fails. Never throws.
    bool Open(const std::filesystem::path& path, std::string* error, int waitMs = 10000);

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    bool Writable() const { return m_writable; }
    // The file's own path (the target of a symbolic link), for the rewrite beside it.
    const std::filesystem::path& Target() const { return m_target; }
    // The identity of the locked file as it is now.
    FileIdentity Identity() const { return IdentityOfDescriptor(m_fd); }
    // True when the target name still names the locked file.
    bool StillNamed() const;

    // A rebuild gives a file with other hard links a new inode, so the other names keep the old
    // content; it is refused unless allowed here.
    void AllowUnlink(bool allow) { m_allowUnlink = allow; }
    bool UnlinkAllowed() const { return m_allowUnlink; }

    // After a rebuild: `fd` (already locked) now holds the file under the target name; the old
    // descriptor is closed, which lets waiting writers go on to the new file.
    void Adopt(int fd, bool writable);
    void Close();

private:
    int m_fd = -1;
    bool m_writable = false;
    bool m_allowUnlink = false;
    std::filesystem::path m_target;
};

// Removes what rewrites of `file` killed before their rename left beside it (see
// IsRewriteTemporaryName): only files of that pattern, owned by this user, whose writing process
// is gone. Never throws.
void RemoveRewriteLeftovers(const std::filesystem::path& file);

}  // namespace tv::tags
