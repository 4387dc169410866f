#pragma once

// The tag readers behind the title builder: artist, title and play time of MPEG files (.mp3,
// .mp2) from their ID3v2 and ID3v1 tags and the stream analysis, of Ogg Vorbis files from their
// comments and of WMA files (.wma, .wm) from their ASF header. Every other file (and an .ogg
// file that holds no Vorbis stream) is asked of the audio library's probe: the length its
// container states and the artist and title of the container's own tags. What the probe does
// not recognise gets the MPEG analysis for its length and no tags; its title then comes from
// the file name.

#include "core/trackentry.h"

namespace tv::core {

class TagTrackInfo : public TrackInfoReader {
public:
    // Never throws; an unreadable file gives an empty record.
    TrackFacts Read(const std::string& path, const std::string& extension) override;
};

}  // namespace tv::core
