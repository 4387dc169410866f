#include "playlist/windows/insertfiles.h"

#include "playlist/dropplan.h"
#include "playlist/m3u.h"
#include "playlist/scandir.h"

namespace tv::playlist {

int InsertFiles(const std::vector<std::string>& names, std::vector<std::string>& staging,
                PlaylistModel& model, const std::vector<std::string>& masks,
                const InsertCallbacks& callbacks) {
    if (names.empty())
        return 0;  // the dialog was cancelled
    int added = 0;
    staging.clear();
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        switch (ClassifyDroppedName(name)) {
            case DroppedKind::Playlist:
                // Loaded now, so its entries come before everything staged by this command.
                added += LoadPlaylistFile(model, name);
                break;
            case DroppedKind::Folder:
                ScanDir(name, masks, true, staging);
                break;
            case DroppedKind::File:
                staging.push_back(name);
                break;
        }
    }
    added += AppendStagedFiles(model, staging, callbacks.append);
    const bool stopped = !callbacks.playState || callbacks.playState() == 0;
    if (stopped && callbacks.play)
        callbacks.play();
    return added;
}

}  // namespace tv::playlist
