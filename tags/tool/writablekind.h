#pragma once
// Which files the tag tool may write: only the formats the player itself writes tags into, MPEG
// audio (ID3) and Ogg Vorbis (comments), recognised by their bytes. A FLAC stream named ".mp3"
// or a WAV file must never get an ID3v2 tag in front of it.

#include <filesystem>
#include <string>

namespace tv::tags::tool {

enum class WritableKind { None, Mpeg, OggVorbis };

struct WritableCheck {
    WritableKind Kind = WritableKind::None;
    // For None: what the file is ("a FLAC file", "not audio the tool knows", ...).
    std::string What;
};

// Looks at the file's content (after an ID3v2 tag in front, if any). Never throws; a file that
// cannot be read gives None with What "cannot read the file".
WritableCheck CheckWritable(const std::filesystem::path& path);

}  // namespace tv::tags::tool
