#include "playlist/dropplan.h"

#include <sys/stat.h>

#include "playlist/scandir.h"

namespace tv::playlist {

namespace {

bool IsPlaylistName(const std::string& name) {
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string extension = name.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == ".m3u" || extension == ".m3u8";
}

}  // namespace

DroppedKind ClassifyDroppedName(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return DroppedKind::Folder;
    if (IsPlaylistName(name))
        return DroppedKind::Playlist;
    return DroppedKind::File;
}

DropPlan PlanDrop(const std::vector<std::string>& names) {
    DropPlan plan;
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        const DroppedKind kind = ClassifyDroppedName(name);
        if (kind == DroppedKind::Playlist) {
            plan.playlists.push_back(name);
        } else {
            plan.staged.push_back({kind, name});
        }
    }
    return plan;
}

std::vector<std::string> StagePlan(const DropPlan& plan, const std::vector<std::string>& masks) {
    std::vector<std::string> staging;
    for (const DropPlan::Staged& item : plan.staged) {
        if (item.kind == DroppedKind::Folder) {
            ScanDir(item.path, masks, true, staging);
        } else {
            staging.push_back(item.path);
        }
    }
    return staging;
}

}  // namespace tv::playlist
