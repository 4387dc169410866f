#include "playlist/scandir.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
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
                m_byExtension.emplace(LowerCopy(std::string_view(mask).substr(2)), i);
            } else if (!mask.empty()) {
                m_patterns.emplace_back(mask, i);
            }
        }
    }

    size_t Count() const { return m_count; }

    // The index of the first mask `name` matches, or Count() when none does.
    size_t FirstMatch(std::string_view name) const {
        size_t best = m_count;
        const auto dot = name.rfind('.');
        if (dot != std::string_view::npos && !m_byExtension.empty()) {
            const auto it = m_byExtension.find(LowerCopy(name.substr(dot + 1)));
            if (it != m_byExtension.end())
                best = it->second;
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
    size_t m_count;
    std::unordered_map<std::string, size_t> m_byExtension;
    std::vector<std::pair<std::string, size_t>> m_patterns;  // in mask order
};

struct Scanner {
    const MaskSet& masks;
    bool subfolders;
    std::vector<std::string>& staging;
    std::set<std::pair<dev_t, ino_t>> visited;

    void Scan(const std::string& folder) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            return;
        struct stat self {};
        if (::fstat(::dirfd(dir), &self) != 0 ||
            !visited.emplace(self.st_dev, self.st_ino).second) {
            ::closedir(dir);
            return;
        }
        const std::string prefix = folder.back() == '/' ? folder : folder + '/';

        std::vector<std::string> folders;
        std::vector<std::vector<std::string>> groups(masks.Count());
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                // A link counts as what it points at; a broken one as a file.
                struct stat st {};
                isFolder =
                    ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
            if (isFolder) {
                if (subfolders && name.front() != '.')
                    folders.emplace_back(name);
                continue;
            }
            const size_t group = masks.FirstMatch(name);
            if (group < groups.size())
                groups[group].emplace_back(name);
        }
        ::closedir(dir);

        std::sort(folders.begin(), folders.end(), LessNoCase);
        for (const std::string& name : folders)
            Scan(prefix + name);
        for (auto& group : groups) {
            std::sort(group.begin(), group.end(), LessNoCase);
            for (const std::string& name : group)
                staging.push_back(prefix + name);
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
