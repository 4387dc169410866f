#include "core/tagtrackinfo.h"

#include "tags/trackinfo.h"

namespace tv::core {

TrackFacts TagTrackInfo::Read(const std::string& path, const std::string& extension) {
    TrackFacts facts;
    if (extension == ".mp3" || extension == ".mp2") {
        const tags::MpegTrackInfo info = tags::ReadMpegTrackInfo(std::filesystem::path(path));
        facts.artist = info.Artist();
        facts.title = info.Title();
        // Fractions of a second are cut off.
        if (info.Duration > 0 && info.Duration < 4294967295.0)
            facts.durationSeconds = static_cast<uint32_t>(info.Duration);
    }
    return facts;
}

}  // namespace tv::core
