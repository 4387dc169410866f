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
#include "tags/saferewrite.h"

namespace tv::playlist {

// Appends the entries of the playlist file at `path` to `model`, numbered on from its last
// row, then sets the entry counter to the row count, rebuilds the random order and notifies
// the listener. A missing or unreadable file appends nothing. Returns the number of entries
// appended.
int LoadPlaylistFile(PlaylistModel& model, const std::string& path);

// How a load went: the entries appended, and why a file that exists could not be read (no
// permission, a folder, a named pipe, a read error, too large; empty when it was read or does
// not exist).
struct PlaylistLoad {
    int added = 0;
    std::string error;
};
PlaylistLoad LoadPlaylistFileStatus(PlaylistModel& model, const std::string& path);

// The same for playlist text already in memory; relative paths are resolved against
// `baseFolder` (left as they are when it is empty). Does not rebuild the random order or
// notify; LoadPlaylistFile does both.
int LoadPlaylistText(PlaylistModel& model, std::string_view text, const std::string& baseFolder);

// The whole playlist in the written form above.
std::string PlaylistFileText(const PlaylistModel& model);

// Writes the whole playlist to `path` with the program's one safe-write recipe
// (tags::SafeWriteFile): a temporary file beside it, flushed and renamed over it in one step; a
// symbolic link is written through to its target; a file that already holds exactly this text
// is not touched. On any failure `path` is left as it was, nothing is left beside it, false is
// returned and `error` (optional) says why.
bool SavePlaylistFile(const PlaylistModel& model, const std::string& path,
                      std::string* error = nullptr, tags::FileOps& ops = tags::SystemFileOps());

// The first name the recipe gives the temporary file of `path` (where the file system has no
// unnamed files, or just before the rename).
std::string TemporaryPlaylistPath(const std::string& path);

// The playlist kept between runs (default.m3u): read at the first show, written at exit. A file
// that exists but cannot be read is never overwritten: the playlist is then saved beside it
// (its name + ".new"). Load and Save return the warning to show, "" when all went well.
class KeptPlaylist {
public:
    explicit KeptPlaylist(std::string path);
    std::string Load(PlaylistModel& model);
    std::string Save(const PlaylistModel& model) const;
    // Where Save writes.
    std::string SavePath() const;

private:
    std::string m_path;
    bool m_unreadable = false;
};

}  // namespace tv::playlist
