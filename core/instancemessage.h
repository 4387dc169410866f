#pragma once

// One running player per program folder: the name of the local socket a running player
// listens on, and the message a second start sends it (the names of its command line).
//
// The message is a header line "TORVANELL-OPEN <count>\n" followed by <count> names, each
// ended by a NUL byte (a file name may hold any other byte, a newline included). The player
// answers "OK\n" once it has taken them.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tv::core {

inline constexpr const char* kInstanceReply = "OK\n";

// The socket of the player that keeps its settings in `programFolder`, inside `runtimeDir`
// ($XDG_RUNTIME_DIR, private to the user): "torvanell-" and 16 hex digits of a hash of the
// folder's absolute, normalised path, ".sock". Empty when `runtimeDir` is empty (no private
// folder: every start is a player of its own).
std::filesystem::path InstanceSocketPath(const std::filesystem::path& runtimeDir,
                                         const std::filesystem::path& programFolder);

// A command-line name as the running player needs it: absolute against `workingDir` (the
// starting process's folder), "." and ".." segments and a trailing "/" removed.
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
