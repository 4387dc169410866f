// FLAC metadata: the block walk (an ID3v2 tag in front, STREAMINFO, the comment block, padding
// and pictures) and the comment list inside it. Nothing may read past the input or allocate
// more than the input holds.
#include <cstddef>
#include <cstdint>

#include "tags/bytestream.h"
#include "tags/flacmeta.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::tags;
    MemoryStream layoutStream({data, size});
    FlacLayout layout;
    ReadFlacLayout(layoutStream, layout);
    MemoryStream stream({data, size});
    TFlacFile flac;
    if (flac.Analyze(stream)) {
        const VorbisFields& f = flac.Fields();
        volatile double sink = flac.Duration() + flac.BitRate() + flac.Channels() +
                               double(f.Title().size() + f.Artist().size() + f.Album().size() +
                                      f.Date().size() + f.Genre().size() + f.Vendor().size());
        (void)sink;
    }
    return 0;
}
