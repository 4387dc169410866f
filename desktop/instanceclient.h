#pragma once

// The second start's end of the one-player rule. Plain sockets: it runs before the program
// has an application object or a window.

#include <filesystem>
#include <string>
#include <vector>

namespace tv::desktop {

enum class HandOffResult {
    Delivered,  // the running player took the names: this process is done
    NoPlayer,   // no player listens (no socket, or one left by a crashed player)
    NoAnswer,   // something listens but did not take the names in time
};

// Sends `names` (already absolute) to the player listening on `socketPath`, waiting at most
// `timeoutMs` for its answer. Never throws.
HandOffResult HandOff(const std::filesystem::path& socketPath,
                      const std::vector<std::string>& names, int timeoutMs);

// True when a player answers connections on `socketPath` now.
bool PlayerListening(const std::filesystem::path& socketPath);

}  // namespace tv::desktop
