#pragma once

// What the playlist needs to know about an audio file without playing it: its length and the
// artist and title of the container's own tags (Vorbis comments of FLAC and Ogg streams, MP4
// atoms, APEv2, RIFF INFO, an ID3v2 tag in front of the stream).
//
// The probe is cheap by construction: it reads the container's header (and, for Ogg, the
// last page for the final granule position), takes the length the header states, and decodes
// nothing for it. Only streams whose header states no length (raw AAC or AC-3 frames) are
// measured further: a short look at their first packets gives the bit rate, and the length
// follows from the file size. Modules are loaded by the module library, which computes their
// play time by walking the song without rendering it.

#include <filesystem>
#include <string>

namespace tv::audio {

struct TrackProbe {
    bool known = false;          // the content holds audio this probe recognised
    double durationSeconds = 0;  // 0 when no length could be found
    std::string artist;          // UTF-8, as stored (not trimmed); empty when absent
    std::string title;
};

// Never throws; logs nothing. A missing, unreadable or unknown file gives an empty record.
// Runs on the calling thread and reads the file.
TrackProbe ProbeTrack(const std::filesystem::path& path);

}  // namespace tv::audio
