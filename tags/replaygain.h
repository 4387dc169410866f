#pragma once

// Loudness-levelling values stored in a file's tags: the gains (dB relative to the 89 dB
// reference level) and peaks (linear, 1.0 = full scale) of the track and of its album.
//
// Read from ID3v2 "TXXX" frames (at the start of the file), the Vorbis comments of Ogg Vorbis
// and FLAC files and the comments of Ogg Opus files ("R128_TRACK_GAIN" and "R128_ALBUM_GAIN",
// Q7.8 dB relative to -23 LUFS, taken 5 dB louder to share the reference). Field names are
// compared without regard to case.
//
// Threads: any. Never throws: an unreadable file or a malformed value reads as absent.

#include <filesystem>
#include <optional>
#include <string_view>

#include "tags/bytestream.h"

namespace tv::tags {

struct ReplayGainTags {
    std::optional<double> trackGain;  // dB
    std::optional<double> trackPeak;  // linear
    std::optional<double> albumGain;
    std::optional<double> albumPeak;
};

ReplayGainTags ReadReplayGain(const std::filesystem::path& path);
ReplayGainTags ReadReplayGain(ByteStream& stream);

// One tag field, as a comment "NAME=value" or an ID3v2 user text frame holds it: fills the
// matching member of `tags` when the name is one of the levelling fields and the value reads
// as a finite number. Other names are ignored.
void TakeReplayGainField(std::string_view name, std::string_view value, ReplayGainTags& tags);

}  // namespace tv::tags
