// Arbitrary bytes as a media file: offered to the stream openers in the player's order, then
// to the module loader; whatever opens is decoded and mixed offline for one second (with an
// effect on the chain) and freed.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/audio/engine.h"
#include "core/audio/nulloutput.h"

namespace {

using tv::audio::StreamFormat;

constexpr StreamFormat kOrder[] = {StreamFormat::Core, StreamFormat::WMA,  StreamFormat::FLAC,
                                   StreamFormat::WV,   StreamFormat::AAC,  StreamFormat::MP4,
                                   StreamFormat::AC3,  StreamFormat::ALAC, StreamFormat::APE,
                                   StreamFormat::MPC,  StreamFormat::SPX,  StreamFormat::TTA};

tv::audio::Engine& TheEngine() {
    static auto* engine = new tv::audio::Engine(std::make_unique<tv::audio::NullOutput>());
    return *engine;
}

const std::filesystem::path& InputPath() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tv-fuzz-decoder-" + std::to_string(::getpid()));
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto& path = InputPath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    auto& engine = TheEngine();
    tv::audio::Handle channel = 0;
    bool module = false;
    for (const StreamFormat format : kOrder)
        if ((channel = engine.StreamCreateFile(format, path, 0)) != 0)
            break;
    if (channel == 0) {
        channel = engine.MusicLoad(path, tv::audio::kMusicPrescan);
        module = channel != 0;
    }
    if (channel != 0) {
        engine.ChannelSetFX(channel, tv::audio::kFxEcho, 1);
        std::vector<float> block(2 * 4096);
        for (int64_t done = 0; done < 44100;) {
            const int64_t n = engine.RenderOffline(channel, block.data(), 4096);
            if (n <= 0)
                break;
            done += n;
        }
        if (module)
            engine.MusicFree(channel);
        else
            engine.StreamFree(channel);
    }
    std::filesystem::remove(path);
    return 0;
}
