#include "core/programfolder.h"

#include <unistd.h>
#include <cstdlib>
#include <system_error>

namespace tv::core {

namespace {

std::filesystem::path Canonical(const std::filesystem::path& path) {
    std::error_code ec;
    auto result = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : result;
}

}  // namespace

std::filesystem::path InstalledMarker() {
#ifdef TORVANELL_INSTALLED_MARKER
    return TORVANELL_INSTALLED_MARKER;
#else
    return "../share/torvanell/installed";
#endif
}

bool IsInstalledBinFolder(const std::filesystem::path& executableDir) {
    std::error_code ec;
    if (std::filesystem::exists(executableDir / InstalledMarker(), ec))
        return true;
    const std::filesystem::path dir = Canonical(executableDir);
    for (const char* system : {"/usr/bin", "/bin", "/usr/local/bin"})
        if (dir == Canonical(system))
            return true;
    if (const char* userHome = std::getenv("HOME"); userHome && *userHome)
        if (dir == Canonical(std::filesystem::path(userHome) / ".local/bin"))
            return true;
    return false;
}

std::filesystem::path ProgramFolder(const std::filesystem::path& executableDir) {
    if (const char* home = std::getenv("TORVANELL_HOME"); home && *home)
        return home;
    if (!executableDir.empty() && access(executableDir.c_str(), W_OK) == 0 &&
        !IsInstalledBinFolder(executableDir))
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

bool EnsureProgramFolder(const std::filesystem::path& folder, std::string* error) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return true;
    std::filesystem::create_directories(folder, ec);
    if (ec && error)
        *error = "cannot create " + folder.string() + ": " + ec.message();
    return !ec;
}

}  // namespace tv::core
