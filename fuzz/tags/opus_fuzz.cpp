// Ogg Opus: the identification header, the comment packet reassembled from its pages and the
// last granule position. Nothing may read past the input or allocate more than it holds.
#include <cstddef>
#include <cstdint>

#include "tags/bytestream.h"
#include "tags/opusfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::tags;
    MemoryStream stream({data, size});
    TOpusFile opus;
    if (opus.Analyze(stream)) {
        const VorbisFields& f = opus.Fields();
        volatile double sink = opus.Duration() + opus.BitRate() + opus.Channels() + opus.PreSkip() +
                               opus.OutputGain() +
                               double(f.Title().size() + f.Artist().size() + f.Vendor().size());
        (void)sink;
    }
    return 0;
}
