#pragma once

// Appending the staging list (the paths every adding command collects) to the playlist.

#include <functional>
#include <string>
#include <vector>

#include "playlist/playlist.h"

namespace tv::playlist {

// What AppendStagedFiles needs from the player.
struct AppendCallbacks {
    // Completes row `row` (title and duration from the file's tags): the player's BuildTrackEntry.
    std::function<void(const std::string& path, int row)> buildTrackEntry;
    // Lets pending window events run; called between entries so the window stays responsive.
    std::function<void()> processEvents;
    // True once the application is closing; the completion stops at the next entry.
    std::function<bool()> terminating;
};

// Appends every staged path as a new row ("n. <file name>", empty duration), rebuilds the
// random order, notifies the listener, then completes the new rows one by one through
// `callbacks.buildTrackEntry`, calling `processEvents` after each. Rows that already carry a
// duration are not completed again.
//
// Events run inside the loop may remove or clear rows: each new row is looked up where it has
// moved to, a removed one is passed over, so a completion never lands on another file's row.
// `staged` is taken as a copy: events run in between may refill the shared staging list (a
// drop during the completion) without disturbing this append. Any callback may be empty.
// Returns the number of rows appended. The entry counter equals the row count when it returns.
int AppendStagedFiles(PlaylistModel& model, std::vector<std::string> staged,
                      const AppendCallbacks& callbacks);

}  // namespace tv::playlist
