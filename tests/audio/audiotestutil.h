#pragma once

// Helpers shared by the audio engine tests: fixture paths, an engine on a pulled null output,
// and small measurements of rendered sound.

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/audio/engine.h"
#include "core/audio/nulloutput.h"

namespace tv::testing {

inline std::filesystem::path Fixture(const std::string& name) {
    return std::filesystem::path(TV_TEST_DATA_DIR) / name;
}

// An engine whose output is a NullOutput the test pulls by hand.
struct PulledEngine {
    audio::NullOutput* output = nullptr;
    std::unique_ptr<audio::Engine> engine;

    PulledEngine() {
        auto out = std::make_unique<audio::NullOutput>();
        output = out.get();
        engine = std::make_unique<audio::Engine>(std::move(out));
    }
    audio::Engine* operator->() { return engine.get(); }
    audio::Engine& operator*() { return *engine; }

    std::vector<float> Pull(int frames) {
        std::vector<float> block(static_cast<size_t>(frames) * 2, -9.0f);
        output->Pull(block.data(), frames);
        return block;
    }
};

// Opens `path` the way the player does: the stream openers in order, then the module loader.
inline audio::Handle OpenAny(audio::Engine& engine, const std::filesystem::path& path) {
    for (int f = 0; f < audio::kStreamFormatCount; ++f)
        if (audio::Handle h = engine.StreamCreateFile(static_cast<audio::StreamFormat>(f), path, 0))
            return h;
    return engine.MusicLoad(path, audio::kMusicPrescan);
}

// Renders up to `frames` frames offline (fewer at the end).
inline std::vector<float> Render(audio::Engine& engine, audio::Handle h, int64_t frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    int64_t done = 0;
    while (done < frames) {
        const int64_t got = engine.RenderOffline(h, out.data() + done * 2, frames - done);
        if (got == 0)
            break;
        done += got;
    }
    out.resize(static_cast<size_t>(done) * 2);
    return out;
}

inline double Rms(const std::vector<float>& samples, size_t from = 0) {
    double sum = 0;
    for (size_t i = from; i < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    return samples.size() > from ? std::sqrt(sum / double(samples.size() - from)) : 0.0;
}

}  // namespace tv::testing
