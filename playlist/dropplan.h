#pragma once

// What to do with the names of a drop (or of an open-dialog choice): playlists are loaded at
// once, folders are scanned into the staging list and other files are staged, in the order
// given. The window only carries the plan out.

#include <string>
#include <vector>

namespace tv::playlist {

enum class DroppedKind { Playlist, Folder, File };

// A name is a folder when the file system says so (whatever dots its name holds), a playlist
// when its extension is ".m3u" or ".m3u8" in any case, and a media file otherwise (also when
// it has no extension or does not exist: it then fails when played, like any unplayable file).
DroppedKind ClassifyDroppedName(const std::string& name);

struct DropPlan {
    std::vector<std::string> playlists;  // to load first, in drop order
    struct Staged {
        DroppedKind kind;  // Folder or File
        std::string path;
    };
    std::vector<Staged> staged;  // to put on the staging list afterwards, in drop order
};

// Sorts the names of one drop; empty names are passed over.
DropPlan PlanDrop(const std::vector<std::string>& names);

// The staging list of a plan: each folder scanned with ScanDir (subfolders included, `masks`),
// each file as it is.
std::vector<std::string> StagePlan(const DropPlan& plan, const std::vector<std::string>& masks);

}  // namespace tv::playlist
