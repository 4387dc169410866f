#include "core/instancemessage.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tv::core {

namespace {

constexpr std::string_view kHeader = "TORVANELL-OPEN ";

std::filesystem::path Normalised(const std::filesystem::path& path) {
    std::filesystem::path p = path.lexically_normal();
    // "folder/" normalises to "folder/"; the running player wants "folder".
    if (p.has_relative_path() && !p.has_filename())
        p = p.parent_path();
    return p;
}

}  // namespace

std::filesystem::path InstanceSocketPath(const std::filesystem::path& runtimeDir,
                                         const std::filesystem::path& programFolder) {
    if (runtimeDir.empty())
        return {};
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(programFolder, error);
    const std::string key = Normalised(error ? programFolder : folder).string();
    // FNV-1a, 64 bits: short enough for the socket address, stable across runs.
    uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "torvanell-%016llx.sock",
                  static_cast<unsigned long long>(hash));
    return runtimeDir / name;
}

std::string UnsafeFolderReason(const struct stat& status, uid_t uid) {
    if (S_ISLNK(status.st_mode))
        return "is a symbolic link";
    if (!S_ISDIR(status.st_mode))
        return "is not a folder";
    if (status.st_uid != uid)
        return "belongs to user " + std::to_string(status.st_uid);
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "can be written by other users";
    return {};
}

std::filesystem::path InstanceSocketFolder(const std::string& runtimeDir, const std::string& tmpDir,
                                           uid_t uid, std::string* reason) {
    reason->clear();
    if (!runtimeDir.empty())
        return runtimeDir;
    const std::filesystem::path folder = std::filesystem::path(tmpDir.empty() ? "/tmp" : tmpDir) /
                                         ("torvanell-" + std::to_string(uid));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *reason = folder.string() + ": " + std::strerror(errno);
        return {};
    }
    // Whoever made it, it is checked as it is now; lstat, so a link to elsewhere is refused.
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0) {
        *reason = folder.string() + ": " + std::strerror(errno);
        return {};
    }
    const std::string unsafe = UnsafeFolderReason(status, uid);
    if (!unsafe.empty()) {
        *reason = folder.string() + " " + unsafe;
        return {};
    }
    return folder;
}

std::filesystem::path InstanceSocketFolder(std::string* reason) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    const char* tmpDir = std::getenv("TMPDIR");
    return InstanceSocketFolder(runtimeDir ? runtimeDir : "", tmpDir ? tmpDir : "", getuid(),
                                reason);
}

bool PeerIsUser(int fd, uid_t uid) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return false;
    return credentials.uid == uid;
}

std::string AbsoluteName(const std::string& name, const std::filesystem::path& workingDir) {
    const std::filesystem::path p(name);
    return Normalised(p.is_absolute() ? p : workingDir / p).string();
}

std::string EncodeOpenMessage(const std::vector<std::string>& names) {
    std::string out(kHeader);
    out += std::to_string(names.size());
    out += '\n';
    for (const std::string& name : names) {
        out += name;
        out += '\0';
    }
    return out;
}

std::optional<std::vector<std::string>> DecodeOpenMessage(const std::string& bytes,
                                                          bool* malformed) {
    *malformed = bytes.size() > kMaxOpenMessageBytes;
    if (*malformed)
        return std::nullopt;
    const std::size_t prefix = std::min(bytes.size(), kHeader.size());
    if (bytes.compare(0, prefix, kHeader, 0, prefix) != 0) {
        *malformed = true;
        return std::nullopt;
    }
    const std::size_t eol = bytes.find('\n');
    if (eol == std::string::npos) {
        *malformed = bytes.size() > kHeader.size() + 12;
        return std::nullopt;
    }
    int count = -1;
    const char* first = bytes.data() + kHeader.size();
    const char* last = bytes.data() + eol;
    const auto [end, ec] = std::from_chars(first, last, count);
    if (ec != std::errc() || end != last || first == last || count < 0 || count > kMaxOpenNames) {
        *malformed = true;
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::size_t at = eol + 1;
    while (static_cast<int>(names.size()) < count) {
        const std::size_t nul = bytes.find('\0', at);
        if (nul == std::string::npos)
            return std::nullopt;
        names.emplace_back(bytes, at, nul - at);
        at = nul + 1;
    }
    if (at != bytes.size())
        *malformed = true;  // bytes after the last name: not one of our messages
    return *malformed ? std::nullopt : std::make_optional(std::move(names));
}

}  // namespace tv::core
