#include "core/programfolder.h"

#include <unistd.h>
#include <cstdlib>
#include <system_error>

namespace tv::core {

std::filesystem::path ProgramFolder(const std::filesystem::path& executableDir) {
    if (const char* home = std::getenv("TORVANELL_HOME"); home && *home)
        return home;
    if (!executableDir.empty() && access(executableDir.c_str(), W_OK) == 0)
        return executableDir;

    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* userHome = std::getenv("HOME"); userHome && *userHome)
        base = std::filesystem::path(userHome) / ".config";
    else
        base = std::filesystem::temp_directory_path();
    const std::filesystem::path folder = base / "torvanell";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace tv::core
