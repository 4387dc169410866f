#pragma once
// Which files the tag tool may write: only the formats the player itself writes tags into, MPEG
// audio (ID3), Ogg Vorbis and Opus (comment packets) and FLAC (comment block), recognised by
// their bytes. A FLAC stream named ".mp3"
// or a WAV file must never get an ID3v2 tag in front of it.

#include <filesystem>
#include <string>

namespace tv::tags::tool {

enum class WritableKind { None, Mpeg, OggVorbis, Opus, Flac };

struct WritableCheck {
    WritableKind Kind = WritableKind::None;
    // For None: what the file is ("a FLAC file", "not audio the tool knows", ...).
    std::string What;
};

// Looks at the file's content (after an ID3v2 tag in front, if any). Never throws; a file that
// cannot be read gives None with What "cannot read the file".
WritableCheck CheckWritable(const std::filesystem::path& path);

// What the first bytes of a file (after an ID3v2 tag in front) say it is; "show" picks its
// reader by this, never by the name.
enum class ContentKind { Other, OggVorbis, Opus, OtherOgg, Flac, Asf };
ContentKind SniffContent(const std::filesystem::path& path);

}  // namespace tv::tags::tool
