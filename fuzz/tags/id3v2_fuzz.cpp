// ID3v2: the header, the frame walk of every version and the text decoding.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tags/id3v2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::tags;
    MemoryStream stream({data, size});
    TID3v2 tag;
    if (!tag.ReadTag(stream) || !tag.Exists())
        return 0;
    volatile size_t sink = tag.Title().size() + tag.Comment().size() + tag.Link().size() +
                           tag.Genre().size() + tag.Track();
    // The writer walks the whole tag with unlimited frame data to keep unmanaged frames.
    ID3v2Header header{};
    std::memcpy(&header, data, sizeof header);
    Internal::WalkID3v2Frames(stream, header, Internal::TagTotalSize(header, int64_t(size)),
                              SIZE_MAX, [&](Internal::ID3v2Frame& f) {
                                  sink = sink + Internal::DecodeFrameText(f.Data).size() +
                                         Internal::ExtractDescribedText(f.Data, true, false).size();
                                  return true;
                              });
    (void)sink;
    return 0;
}
