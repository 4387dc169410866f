#pragma once

// Extended M3U files: the playlist's own `default.m3u` and any playlist the user opens or drops.
//
// Written form, one line each, every line ending in CR LF, UTF-8:
//   #EXTM3U
//   #EXTINF:<seconds>,<title>      (seconds -1 for an entry whose length is not known yet)
//   <path>
//
// The reader takes that form back exactly and reads foreign playlists sensibly: the header may
// be missing or in another case, blank lines and comment lines are passed over, a path without
// an "#EXTINF" line is an entry titled by its file name, "#EXTINF:-1" gives an empty duration,
// fractional seconds are rounded, and a relative path is taken relative to the playlist's
// folder. A line it cannot understand is skipped; the rest of the file still loads.
//
// Threads: user-interface thread only. Nothing here throws.

#include <string>
#include <string_view>

#include "playlist/playlist.h"

namespace tv::playlist {

// Appends the entries of the playlist file at `path` to `model`, numbered on from its last
// row, then sets the entry counter to the row count, rebuilds the random order and notifies
// the listener. A missing or unreadable file appends nothing. Returns the number of entries
// appended.
int LoadPlaylistFile(PlaylistModel& model, const std::string& path);

// The same for playlist text already in memory; relative paths are resolved against
// `baseFolder` (left as they are when it is empty). Does not rebuild the random order or
// notify; LoadPlaylistFile does both.
int LoadPlaylistText(PlaylistModel& model, std::string_view text, const std::string& baseFolder);

// The whole playlist in the written form above.
std::string PlaylistFileText(const PlaylistModel& model);

// Writes the whole playlist to `path` safely: the text goes to a new temporary file beside it
// (TemporaryPlaylistPath), opened exclusively so that nothing already at that name - a stale
// file or a planted symbolic link - is written through, is flushed to disk and then renamed
// over `path` in one step. On any failure `path` is left as it was, the temporary file is
// removed and false is returned.
bool SavePlaylistFile(const PlaylistModel& model, const std::string& path);

// The name of the temporary file SavePlaylistFile writes before renaming it over `path`.
std::string TemporaryPlaylistPath(const std::string& path);

}  // namespace tv::playlist
