// WMA: the header object walk, the content descriptions and the plausibility test.
#include <cstddef>
#include <cstdint>

#include "tags/wmafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::tags;
    MemoryStream stream({data, size});
    TWMAfile wma;
    if (wma.Analyze(stream) && wma.Valid()) {
        volatile double sink = wma.Duration() + wma.BitRate() + wma.Track() +
                               double(wma.Title().size() + wma.Artist().size() +
                                      wma.Comment().size() + wma.Genre().size());
        (void)sink;
    }
    return 0;
}
