#include "core/tagtrackinfo.h"

#include "core/audio/trackprobe.h"

#include "tags/oggvorbis.h"
#include "tags/textcodec.h"
#include "tags/trackinfo.h"
#include "tags/wmafile.h"

namespace tv::core {

namespace {

// Whole seconds; fractions are cut off.
uint32_t WholeSeconds(double duration) {
    return duration > 0 && duration < 4294967295.0 ? static_cast<uint32_t>(duration) : 0;
}

// The audio library's probe: the length its header states and the container's own tags.
TrackFacts ProbedFacts(const std::string& path) {
    const audio::TrackProbe probe = audio::ProbeTrack(std::filesystem::path(path));
    TrackFacts facts;
    facts.artist = tags::Trim(probe.artist);
    facts.title = tags::Trim(probe.title);
    facts.durationSeconds = WholeSeconds(probe.durationSeconds);
    return facts;
}

}  // namespace

TrackFacts TagTrackInfo::Read(const std::string& path, const std::string& extension) {
    TrackFacts facts;
    if (ClassifyFile(path) == kKindVideo) {
        facts.durationSeconds = VideoDurationSeconds(path);  // its title is its name
        return facts;
    }
    if (extension == ".mp3" || extension == ".mp2") {
        const tags::MpegTrackInfo info = tags::ReadMpegTrackInfo(std::filesystem::path(path));
        facts.artist = info.Artist();
        facts.title = info.Title();
        facts.durationSeconds = WholeSeconds(info.Duration);
    } else if (extension == ".ogg") {
        tags::TOggVorbis ogg;
        if (ogg.Analyze(std::filesystem::path(path))) {
            facts.artist = tags::Trim(ogg.Artist());
            facts.title = tags::Trim(ogg.Title());
            // Without a last page the reader can only estimate from the nominal rate; the
            // audio library's probe reads the stream instead.
            const uint32_t probed = ogg.Samples() > 0 ? 0 : ProbedFacts(path).durationSeconds;
            facts.durationSeconds = probed > 0 ? probed : WholeSeconds(ogg.Duration());
        } else {
            facts = ProbedFacts(path);  // Opus, Speex or FLAC in an Ogg file
        }
    } else if (extension == ".wma" || extension == ".wm") {
        tags::TWMAfile wma;
        if (wma.Analyze(std::filesystem::path(path))) {
            facts.artist = tags::Trim(wma.Artist());
            facts.title = tags::Trim(wma.Title());
            facts.durationSeconds = WholeSeconds(wma.Duration());
        }
    } else {
        facts = ProbedFacts(path);
        // Content the probe does not know gets the MPEG analysis, which also finds MPEG
        // audio behind another name.
        if (facts.durationSeconds == 0)
            facts.durationSeconds =
                WholeSeconds(tags::ReadMpegTrackInfo(std::filesystem::path(path)).Duration);
    }
    return facts;
}

}  // namespace tv::core
