#pragma once
// Rewriting a file without ever leaving it damaged: the new content goes to a temporary file
// beside it, is flushed to disk, and replaces the original in one rename. Where the file system
// allows, the temporary file has no name until it is complete, so a process killed while
// writing leaves nothing behind; elsewhere it is created exclusively under a name of our own
// pattern (never through a link someone left there), and one that a killed rewrite left is
// removed by the next rewrite of the same file. Whatever step fails, the original stays as it
// was and the temporary file is removed. The same recipe suits any file the program rewrites.

#include <sys/types.h>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "tags/lockedfile.h"

namespace tv::tags {

// The system calls of a rewrite, overridable so tests can make any one of them fail.
class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, size_t count);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
    // Gives the unnamed file behind `fd` the name `path` (which must not exist).
    virtual int Link(int fd, const char* path);
};

// The process-wide implementation: the real one, unless a test seam put another in its place.
FileOps& SystemFileOps();
// Test seam: makes `ops` (null: the real ones again) what SystemFileOps() returns. Not
// thread-safe; for a tool's start or a test's setup only.
void UseFileOps(FileOps* ops);

// Where a rewrite puts the new bytes. Every call returns false once a write has failed.
class RewriteSink {
public:
    RewriteSink(FileOps& ops, int fd) : m_ops(ops), m_fd(fd) {}
    bool Write(const void* data, size_t count);
    // Copies `count` bytes (or everything up to the end with count < 0) of the file behind
    // `sourceFd` from `offset` on.
    bool CopyFrom(int sourceFd, int64_t offset, int64_t count);
    bool Failed() const { return m_failed; }

private:
    FileOps& m_ops;
    int m_fd;
    bool m_failed = false;
};

// Replaces `target` (which must exist; a symbolic link is followed to the file it names) with
// what `produce` writes. The temporary file is unnamed until it is complete, then named
// `target` + "~tv" + process id + "-" + a counter just before the rename (named so from the
// start where unnamed files are not supported). Such names of processes that no longer run,
// owned by this user, are removed first. The new file gets the original's permission bits, its
// owner where the process may set it, and its user extended attributes. Returns false, with the
// original untouched, when `produce` returns false or any step fails; `error` (optional) then
// holds the reason. Never throws.
bool SafeRewrite(const std::filesystem::path& target,
                 const std::function<bool(RewriteSink&)>& produce, std::string* error = nullptr,
                 FileOps& ops = SystemFileOps());

// The same for a file held open and locked: only the inode that `file` holds is replaced (the
// rewrite is refused when the name meanwhile names another file, or when the file has other
// hard links that the caller did not allow to be split), and afterwards `file` holds the new
// file, still locked, so that a following write goes on from it.
bool SafeRewrite(LockedFile& file, const std::function<bool(RewriteSink&)>& produce,
                 std::string* error = nullptr, FileOps& ops = SystemFileOps());

// Writes `data` as the whole content of `target` the same way; a missing `target` becomes a new
// file with `newFileMode` (less the umask), and one that already holds exactly `data` is left
// untouched (its modification time too). A symbolic link is written through: the file it
// names is replaced (in its own folder), or created when the link dangles. Never throws.
bool SafeWriteFile(const std::filesystem::path& target, std::string_view data, mode_t newFileMode,
                   std::string* error = nullptr, FileOps& ops = SystemFileOps());

// Writes `data` over the first bytes of the held file in place and flushes it. Never throws.
bool OverwriteHead(LockedFile& file, const void* data, size_t count, std::string* error = nullptr);

// The name the recipe gives the temporary file of `target` on the `attempt`-th try.
std::string RewriteTemporaryName(const std::filesystem::path& target, int attempt);

// True for a name SafeRewrite gives the temporary file of `fileName` (a name without folder);
// `pid` then holds the writing process.
bool IsRewriteTemporaryName(std::string_view name, std::string_view fileName, long* pid = nullptr);

// Shortens the held file to `newSize` bytes: in place when it is open for writing, else by a
// safe rewrite of the remaining bytes. Never throws.
bool CutFile(LockedFile& file, int64_t newSize, std::string* error = nullptr);
bool CutFile(const std::filesystem::path& target, int64_t newSize, std::string* error = nullptr);

// The reason of the last failed rewrite, overwrite or cut on this thread ("" after success).
const std::string& LastRewriteError();

}  // namespace tv::tags
