#pragma once

// Appending the staging list (the paths every adding command collects) to the playlist.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "playlist/playlist.h"

namespace tv::playlist {

// How often the completion of new rows lets window events run: often enough that the window
// answers and the rows are seen filling in, seldom enough that the list is not drawn again for
// every row (drawing the visible rows costs far more than completing one).
inline constexpr std::chrono::milliseconds kAppendEventInterval{50};

// What AppendStagedFiles needs from the player.
struct AppendCallbacks {
    // Completes row `row` (title and duration from the file's tags): the player's BuildTrackEntry.
    // It lets no events run itself.
    std::function<void(const std::string& path, int row)> buildTrackEntry;
    // Lets pending window events run (and so repaints the list); called once per batch of
    // completed rows, so the window stays responsive.
    std::function<void()> processEvents;
    // True once the application is closing; the completion stops at the next entry.
    std::function<bool()> terminating;
    // The length of a batch: events run after the first row, then when this much time has
    // passed since the last pass (zero: after every row), and once more after the last row.
    std::chrono::milliseconds eventInterval = kAppendEventInterval;
    // The clock batches are measured with; std::chrono::steady_clock when empty.
    std::function<std::chrono::steady_clock::time_point()> now;
};

// Appends every staged path as a new row ("n. <file name>", empty duration), rebuilds the
// random order, notifies the listener, then completes the new rows one by one through
// `callbacks.buildTrackEntry`, calling `processEvents` after each batch (see eventInterval)
// and after the last row. Rows that already carry a duration are not completed again.
//
// Events run inside the loop may remove or clear rows: each new row is looked up where it has
// moved to, a removed one is passed over, so a completion never lands on another file's row.
// `staged` is taken as a copy: events run in between may refill the shared staging list (a
// drop during the completion) without disturbing this append. Any callback may be empty.
// Returns the number of rows appended. The entry counter equals the row count when it returns.
int AppendStagedFiles(PlaylistModel& model, std::vector<std::string> staged,
                      const AppendCallbacks& callbacks);

}  // namespace tv::playlist
