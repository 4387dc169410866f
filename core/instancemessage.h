#pragma once

// One running player per program folder: the name of the local socket a running player
// listens on, and the message a second start sends it (the names of its command line).
//
// The message is a header line "TORVANELL-OPEN <count>\n" followed by <count> names, each
// ended by a NUL byte (a file name may hold any other byte, a newline included). The player
// answers "OK\n" once it has taken them.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tv::core {

inline constexpr const char* kInstanceReply = "OK\n";

// The socket of the player that keeps its settings in `programFolder`, inside `runtimeDir`
// (a folder private to the user, see InstanceSocketFolder): "torvanell-" and 16 hex digits of
// a hash of the folder's absolute, normalised path, ".sock". Empty when `runtimeDir` is empty
// (no private folder: every start is a player of its own).
std::filesystem::path InstanceSocketPath(const std::filesystem::path& runtimeDir,
                                         const std::filesystem::path& programFolder);

// A command-line name as the running player needs it: absolute against `workingDir` (the
// starting process's folder), "." and ".." segments and a trailing "/" removed.
// Why a folder may not hold the socket, or empty when it may: `status` (from lstat) must be a
// folder, not a link, owned by `uid`, that neither its group nor others can write to.
std::string UnsafeFolderReason(const struct stat& status, uid_t uid);

// The private folder of the user's sockets: `runtimeDir` ($XDG_RUNTIME_DIR, which the session
// makes private) when it is not empty; else "torvanell-<uid>" inside `tmpDir` ($TMPDIR, /tmp
// when empty), made with mode 0700 when missing. A folder that is there already is checked
// with UnsafeFolderReason, so a folder another user made in a shared /tmp is never used. On
// failure the result is empty and `reason` says why (then every start is a player of its
// own). Touches the file system; any thread.
std::filesystem::path InstanceSocketFolder(const std::string& runtimeDir, const std::string& tmpDir,
                                           uid_t uid, std::string* reason);

// InstanceSocketFolder of this process: its environment and real user.
std::filesystem::path InstanceSocketFolder(std::string* reason);

// True when the process at the other end of the connected local socket `fd` runs as `uid`
// (the kernel's credentials of the peer); false when it does not or they cannot be read.
bool PeerIsUser(int fd, uid_t uid);

std::string AbsoluteName(const std::string& name, const std::filesystem::path& workingDir);

std::string EncodeOpenMessage(const std::vector<std::string>& names);

// Decodes the start of a received byte stream. nullopt while the message is incomplete;
// `malformed` is set when the bytes can never form one (a wrong header, a name count beyond
// kMaxOpenNames, or more than kMaxOpenMessageBytes).
inline constexpr int kMaxOpenNames = 100000;
inline constexpr std::size_t kMaxOpenMessageBytes = 64u << 20;
std::optional<std::vector<std::string>> DecodeOpenMessage(const std::string& bytes,
                                                          bool* malformed);

}  // namespace tv::core
