#pragma once
// What the playlist needs of an MPEG file, read with one open and a few reads: the ID3v2 and
// ID3v1 artist and title and the analyser's play time.

#include <filesystem>
#include <string>

#include "tags/bytestream.h"

namespace tv::tags {

struct MpegTrackInfo {
    bool Opened = false;      // the file could be opened and read
    std::string ID3v2Artist;  // trimmed; empty when there is none
    std::string ID3v2Title;
    std::string ID3v1Artist;  // trimmed; the long Lyrics3 form when there is one
    std::string ID3v1Title;
    double Duration = 0;  // TMPEGaudio::Duration(), seconds; 0 without MPEG frames

    // ID3v2 first, ID3v1 as fallback.
    const std::string& Artist() const { return ID3v2Artist.empty() ? ID3v1Artist : ID3v2Artist; }
    const std::string& Title() const { return ID3v2Title.empty() ? ID3v1Title : ID3v2Title; }
};

// Reads the file once: its head (the ID3v2 tag and the first audio blocks) and its tail (ID3v1,
// Lyrics3 and the encoder-signature block) come from two reads, and the ID3v2, ID3v1 and MPEG
// readers are served from them; the results equal those of the readers run one by one.
// Never throws; an unreadable file gives Opened false and empty fields.
MpegTrackInfo ReadMpegTrackInfo(const std::filesystem::path& path);

// The same over a stream that is already open (tests, the tag tool).
MpegTrackInfo ReadMpegTrackInfo(ByteStream& stream);

// Opens `path` into `stream` and caches the head and tail every reader of an MPEG file looks at.
bool OpenForTagReading(FileStream& stream, const std::filesystem::path& path);

}  // namespace tv::tags
