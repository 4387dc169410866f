#pragma once

// The "Insert file" command once the open dialog has returned its names: playlists among them
// are loaded at once, folders are scanned into the staging list, other names are staged, the
// staging list is appended to the playlist in one step, and playback starts when nothing was
// playing. Plain logic: the dialog, the player and the window events come in as callbacks.
//
// Threads: user-interface thread only.

#include <functional>
#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/stagedfiles.h"

namespace tv::playlist {

// What InsertFiles needs from the main window.
struct InsertCallbacks {
    AppendCallbacks append;          // handed to AppendStagedFiles
    std::function<int()> playState;  // PlayState; 0 is stopped
    std::function<void()> play;      // presses Play (btnPlay)
};

// N2Click after the dialog: `names` in the dialog's order. An empty list is a cancelled dialog
// and does nothing. Otherwise `staging` is emptied; each name that is a playlist (".m3u" or
// ".m3u8", any case) is loaded into `model` right away, each existing folder is scanned with
// ScanDir (subfolders included, `masks`) into `staging`, and every other name is put on
// `staging` as it is. Then AppendStagedFiles appends `staging` (which keeps its paths until
// the next command), and Play is pressed when `playState` reports 0. Empty callbacks are
// skipped (an empty `playState` counts as stopped). Returns the number of rows added.
int InsertFiles(const std::vector<std::string>& names, std::vector<std::string>& staging,
                PlaylistModel& model, const std::vector<std::string>& masks,
                const InsertCallbacks& callbacks);

}  // namespace tv::playlist
