#include "playlist/stagedfiles.h"

namespace tv::playlist {

int AppendStagedFiles(PlaylistModel& model, const std::vector<std::string>& staged,
                      const AppendCallbacks& callbacks) {
    const int first = model.Count();
    model.SetEntryCounter(first);
    model.Reserve(first + static_cast<int>(staged.size()));
    for (const std::string& path : staged) model.AppendPath(path);
    model.SetEntryCounter(model.Count());
    model.RebuildRandomOrder();
    model.NotifyChanged();

    for (size_t i = 0; i < staged.size(); ++i) {
        if (callbacks.terminating && callbacks.terminating()) break;
        const int row = first + static_cast<int>(i);
        model.SetEntryCounter(row);
        // The rows may have moved while events ran: complete only a row still holding its file.
        const bool inPlace = row < model.Count() && model.At(row).path == staged[i];
        if (inPlace && model.At(row).duration.empty() && callbacks.buildTrackEntry) {
            callbacks.buildTrackEntry(staged[i], row);
        }
        if (callbacks.processEvents) callbacks.processEvents();
    }
    model.SetEntryCounter(model.Count());
    return static_cast<int>(staged.size());
}

}  // namespace tv::playlist
