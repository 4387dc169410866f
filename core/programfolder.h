#pragma once

// Where settings.ini and default.m3u live: $TORVANELL_HOME when set; else the executable's
// folder when the program may write there (portable use); else $XDG_CONFIG_HOME/torvanell
// (by default ~/.config/torvanell), created on demand.

#include <filesystem>

namespace tv::core {

// `executableDir` is the folder of the running program. Never throws; when the fallback
// folder cannot be created it is returned anyway and the later writes report the failure.
std::filesystem::path ProgramFolder(const std::filesystem::path& executableDir);

}  // namespace tv::core
