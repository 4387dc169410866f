// Decodes a file through the engine with the whole effect chain switched on (the "Rock"
// preset on ten bands, flanger, chorus, echo, reverb, rotation) and renders it offline as
// fast as it goes. With --no-effects the same file is rendered with nothing attached.
// Usage: tv_effects_chain_bench FILE [--no-effects]
// Prints the seconds of audio, the process CPU time and the speed against real time; exit
// status 1 when the file does not open.

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/audio/engine.h"
#include "core/audio/nulloutput.h"
#include "effects/effectchain.h"

namespace {
double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    using namespace tv;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [--no-effects]\n", argv[0]);
        return 1;
    }
    const bool effectsOn = !(argc > 2 && std::strcmp(argv[2], "--no-effects") == 0);
    audio::Engine engine(std::make_unique<audio::NullOutput>());
    audio::Handle h = 0;
    for (int f = 0; f < audio::kStreamFormatCount && !h; ++f)
        h = engine.StreamCreateFile(static_cast<audio::StreamFormat>(f), argv[1], 0);
    if (!h)
        h = engine.MusicLoad(argv[1], audio::kMusicPrescan);
    if (!h)
        return 1;

    effects::EffectChain chain(engine, [h] { return effects::ChannelState{h, true}; });
    if (effectsOn) {
        chain.SetEqualizerChecked(true);
        chain.SetPresetIndex(1);
        chain.boxEQSelectChange();
        for (auto e :
             {effects::DjEffect::Flange, effects::DjEffect::Chorus, effects::DjEffect::Echo,
              effects::DjEffect::Reverb, effects::DjEffect::Rotate})
            chain.SetEffectChecked(e, true);
    }
    std::vector<float> block(4096 * 2);
    int64_t frames = 0;
    while (const int64_t got = engine.RenderOffline(h, block.data(), 4096))
        frames += got;
    const double seconds = double(frames) / audio::kOutputRate;
    const double cpu = CpuSeconds();
    std::printf("effects %s seconds %.2f cpu %.3f realtime x%.0f\n", effectsOn ? "on" : "off",
                seconds, cpu, seconds / cpu);
    return 0;
}
