// Ogg Vorbis: page walk, packet reassembly, identification and comment headers, the search for
// the last page; then the page layout of the packets found must read back as the same packets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tags/oggpage.h"
#include "tags/oggvorbis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::tags;
    MemoryStream stream({data, size});
    TOggVorbis ogg;
    if (ogg.Analyze(stream)) {
        volatile double sink = ogg.Duration() + ogg.BitRate() + ogg.Valid() +
                               double(ogg.Title().size() + ogg.Comment().size() +
                                      ogg.Vendor().size() + ogg.ChannelMode().size());
        (void)sink;
    }
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, 0, 3, 1 << 20);
    if (headers.Packets.empty())
        return 0;
    std::vector<uint8_t> rebuilt;
    for (const auto& page : PaginateOggPackets(headers.Packets, 5, 0, true))
        rebuilt.insert(rebuilt.end(), page.begin(), page.end());
    MemoryStream again(rebuilt);
    const OggHeaderPackets back = ReadOggHeaderPackets(again, 0, 3, 1 << 20);
    if (back.Packets != headers.Packets || !back.EndsOnPageBoundary)
        std::abort();
    for (const auto& page : back.Pages)
        if (!page.ChecksumOk())
            std::abort();
    return 0;
}
