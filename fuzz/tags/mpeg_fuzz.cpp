// MPEG audio analysis: frame search, Xing/VBRI headers, vendor search and the derived values.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "tags/mpegaudio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tv::tags::MemoryStream stream({data, size});
    tv::tags::TMPEGaudio mpeg;
    if (mpeg.Analyze(stream)) {
        volatile double sink = mpeg.Duration() + mpeg.BitRate() + mpeg.SampleRate() +
                               double(mpeg.Valid()) + double(mpeg.ChannelMode().size()) +
                               double(mpeg.VendorID().size());
        (void)sink;
    }
    return 0;
}
