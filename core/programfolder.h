#pragma once

// Where settings.ini and default.m3u live:
//   1. $TORVANELL_HOME when set;
//   2. else the executable's folder, when the program may write there and that folder is not
//      an installed bin folder (portable use, such as the build folder);
//   3. else $XDG_CONFIG_HOME/torvanell (by default ~/.config/torvanell), created on demand.
// An installed bin folder is one whose installation prefix holds the marker that the install
// step writes (InstalledMarker(), relative to the bin folder), or one of /usr/bin, /bin,
// /usr/local/bin and ~/.local/bin: settings never land among installed programs, even for
// root or after a `cmake --install --prefix ~/.local`.

#include <filesystem>
#include <string>

namespace tv::core {

// The install step's marker file, relative to the installed bin folder (its path follows the
// install layout the build was configured with).
std::filesystem::path InstalledMarker();

// True when `executableDir` is a folder of installed programs (see above). Never throws.
bool IsInstalledBinFolder(const std::filesystem::path& executableDir);

// `executableDir` is the folder of the running program. Never throws; when the fallback
// folder cannot be created it is returned anyway and the later writes report the failure.
std::filesystem::path ProgramFolder(const std::filesystem::path& executableDir);

// Creates `folder` (and its parents) when it is missing, before the exit writes into it. False,
// with `error` set, when it cannot be created. Never throws.
bool EnsureProgramFolder(const std::filesystem::path& folder, std::string* error = nullptr);

}  // namespace tv::core
