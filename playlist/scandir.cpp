#include "playlist/scandir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>

namespace tv::playlist {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Lower(c);
    return out;
}

bool LessNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i])
            continue;  // equal bytes are equal in any case
        const char x = Lower(a[i]);
        const char y = Lower(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;  // names differing only in case: a fixed order all the same
}

// The masks compiled once per scan. "*.ext" masks (the whole media list) are looked up by the
// name's last extension; any other mask is matched as a pattern.
class MaskSet {
public:
    explicit MaskSet(const std::vector<std::string>& masks) : m_count(masks.size()) {
        for (size_t i = 0; i < masks.size(); ++i) {
            const std::string& mask = masks[i];
            const bool simple = mask.size() > 2 && mask[0] == '*' && mask[1] == '.' &&
                                mask.find_first_of("*?.", 2) == std::string::npos;
            if (simple) {
                const std::string extension = LowerCopy(std::string_view(mask).substr(2));
                if (extension.size() <= kShortExtension)
                    m_byShortExtension.emplace(ShortKey(extension), i);
                else
                    m_byExtension.emplace(extension, i);
            } else if (!mask.empty()) {
                m_patterns.emplace_back(mask, i);
            }
        }
    }

    size_t Count() const { return m_count; }

    // The index of the first mask `name` matches, or Count() when none does. Not reentrant:
    // the lower-case extension is built in a buffer the set keeps, so a name costs no allocation.
    size_t FirstMatch(std::string_view name) const {
        size_t best = m_count;
        const auto dot = name.rfind('.');
        if (dot != std::string_view::npos) {
            const std::string_view extension = name.substr(dot + 1);
            if (extension.size() <= kShortExtension) {
                const auto it = m_byShortExtension.find(ShortKey(extension));
                if (it != m_byShortExtension.end())
                    best = it->second;
            } else if (!m_byExtension.empty()) {
                m_extension.assign(extension);
                for (char& c : m_extension)
                    c = Lower(c);
                const auto it = m_byExtension.find(m_extension);
                if (it != m_byExtension.end())
                    best = it->second;
            }
        }
        for (const auto& [pattern, index] : m_patterns) {
            if (index >= best)
                break;
            if (MatchesMask(name, pattern))
                best = index;
        }
        return best;
    }

private:
    // Extensions of up to seven bytes are looked up as one number: their lower-case bytes and
    // their length, so that no two extensions share a key.
    static constexpr size_t kShortExtension = 7;
    static uint64_t ShortKey(std::string_view extension) {
        uint64_t key = extension.size();
        for (size_t i = 0; i < extension.size(); ++i)
            key |= uint64_t(static_cast<unsigned char>(Lower(extension[i]))) << (8 * (i + 1));
        return key;
    }

    size_t m_count;
    std::unordered_map<uint64_t, size_t> m_byShortExtension;
    std::unordered_map<std::string, size_t> m_byExtension;
    std::vector<std::pair<std::string, size_t>> m_patterns;  // in mask order
    mutable std::string m_extension;
};

// One record of the getdents64 system call.
struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

struct Scanner {
    const MaskSet& masks;
    bool subfolders;
    std::vector<std::string>& staging;
    std::set<std::pair<dev_t, ino_t>> visited;

    // One buffer for every folder's records (getdents64 reads a folder in a few calls).
    std::vector<char> records = std::vector<char>(size_t(1) << 16);

    // Subfolders are opened relative to their parent, which stays open while they are
    // scanned, down to kOpenParents levels; deeper ones are opened by their whole path.
    static constexpr int kOpenParents = 32;

    // `parent` and `leaf` open the folder when parent >= 0; otherwise its path does.
    void Scan(const std::string& folder, int parent = -1, const char* leaf = nullptr,
              int depth = 0) {
        const int fd = parent >= 0 ? ::openat(parent, leaf, O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                   : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat self {};
        if (::fstat(fd, &self) != 0 || !visited.emplace(self.st_dev, self.st_ino).second) {
            ::close(fd);
            return;
        }
        const std::string prefix = folder.back() == '/' ? folder : folder + '/';

        std::vector<std::string> folders;
        // The folder's matching files with the index of their group (first matching mask).
        std::vector<std::pair<size_t, std::string>> files;
        for (;;) {
            const long got = ::syscall(SYS_getdents64, fd, records.data(), records.size());
            if (got <= 0)
                break;
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const LinuxDirent64*>(records.data() + at);
                at += entry->d_reclen;
                const std::string_view name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                bool isFolder = entry->d_type == DT_DIR;
                if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                    // A link counts as what it points at; a broken one as a file.
                    struct stat st {};
                    isFolder = ::fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
                }
                if (isFolder) {
                    if (subfolders && name.front() != '.')
                        folders.emplace_back(name);
                    continue;
                }
                const size_t group = masks.FirstMatch(name);
                if (group < masks.Count())
                    files.emplace_back(group, name);
            }
        }
        const bool keepOpen = depth < kOpenParents;
        if (!keepOpen)
            ::close(fd);

        std::sort(folders.begin(), folders.end(), LessNoCase);
        for (const std::string& name : folders)
            Scan(prefix + name, keepOpen ? fd : -1, name.c_str(), depth + 1);
        if (keepOpen)
            ::close(fd);

        // Grouped in mask order, each group in name order (names in a folder are unique).
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : LessNoCase(a.second, b.second);
        });
        for (const auto& file : files) {
            std::string& path = staging.emplace_back();
            path.reserve(prefix.size() + file.second.size());
            path.append(prefix).append(file.second);
        }
    }
};

}  // namespace

std::vector<std::string> MaskList() {
    return {kMaskList.begin(), kMaskList.end()};
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask.empty())
        return false;
    // Iterative glob with one backtrack point: linear in practice, never exponential.
    size_t n = 0;
    size_t m = 0;
    size_t starMask = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void ScanDir(const std::string& folder, const std::vector<std::string>& masks, bool subfolders,
             std::vector<std::string>& staging) {
    if (folder.empty())
        return;
    const MaskSet compiled(masks);
    Scanner scanner{compiled, subfolders, staging, {}};
    scanner.Scan(folder);
}

}  // namespace tv::playlist
