// ID3v1 with the Lyrics3 block: detection and the field walk over arbitrary trailing bytes.
#include <cstddef>
#include <cstdint>

#include "tags/id3v1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tv::tags::MemoryStream stream({data, size});
    tv::tags::TID3v1 tag;
    if (tag.ReadTag(stream)) {
        volatile size_t sink = tag.Title().size() + tag.Artist().size() + tag.Album().size() +
                               tag.Comment().size() + tag.Lyrics().size() + tag.Author().size() +
                               size_t(tag.TrailerSize());
        (void)sink;
    }
    tv::tags::TID3v1 scan;
    scan.ScanTag(stream, false);
    return 0;
}
