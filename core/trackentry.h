#pragma once

// File kinds by extension and the title rules of a playlist row.

#include <cstdint>
#include <string>

namespace tv::core {

enum FileKind : int { kKindOther = 0, kKindAudio = 1, kKindVideo = 2, kKindFlash = 3 };

// The extension in lower case from the last "." of the file name, dot included; empty when
// the file name has no dot.
std::string LowerExtension(const std::string& path);
// The part of `path` after its last "/".
std::string FileNameOf(const std::string& path);
// The file name without its extension ("song.flac" gives "song", "tune.it" gives "tune").
std::string NameWithoutExtension(const std::string& path);

// ClassifyFile: 1 audio, 2 video, 3 ".swf", 0 anything else (including no extension).
int ClassifyFile(const std::string& path);

// The clean-up every title gets: "_" become spaces, then leading digits, ".", ",", "!", "?",
// blanks, "_" and "-" are dropped, unless that would leave nothing.
std::string CleanTitle(const std::string& title);

// What the tag readers say about a file: artist and title from its tags (empty when it has
// none), and the readers' (or the audio library probe's) duration in seconds, 0 when unknown.
struct TrackFacts {
    std::string artist;
    std::string title;
    uint32_t durationSeconds = 0;
};

// The tag readers as the player sees them.
class TrackInfoReader {
public:
    virtual ~TrackInfoReader() = default;
    // `extension` is LowerExtension(path). Must not throw for a bad file: it then returns
    // what it could read (an empty record at worst).
    virtual TrackFacts Read(const std::string& path, const std::string& extension) = 0;
};

class NoTrackInfo : public TrackInfoReader {
public:
    TrackFacts Read(const std::string&, const std::string&) override { return {}; }
};

// What a video file's container states, as the probe gives it for audio files: its length in
// whole seconds (fractions cut off), 0 when unknown or when the file cannot be read. Reads the
// container's header on the calling thread; never throws.
uint32_t VideoDurationSeconds(const std::string& path);

// The title of a row from the facts: "Artist - Title", the one that is there, or the file
// name without extension; then cleaned up. Video files always use the name.
std::string TrackTitle(const std::string& path, const TrackFacts& facts);

}  // namespace tv::core
