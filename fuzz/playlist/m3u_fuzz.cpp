// Fuzz target of the M3U reader: any bytes must load without a crash, and whatever loads must
// survive writing and reading back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "playlist/m3u.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::playlist;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    PlaylistModel model;
    model.SeedRandom(1);
    LoadPlaylistText(model, text, "/base");
    model.RebuildRandomOrder();

    PlaylistModel again;
    LoadPlaylistText(again, PlaylistFileText(model), "/base");
    if (again.Count() != model.Count())
        std::abort();
    for (int i = 0; i < model.Count(); ++i) {
        const Entry& a = model.At(i);
        const Entry& b = again.At(i);
        if (a.display != b.display || a.duration != b.duration || a.path != b.path)
            std::abort();
    }
    return 0;
}
