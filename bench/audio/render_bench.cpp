// Decodes a file through the engine's whole chain (decoder, resampler, DSP and effect lists,
// volume, spectrum tap, output volume) without a device, as fast as it goes.
// Usage: tv_audio_render_bench FILE
// Prints the frames rendered and the process CPU time; exit status 1 when the file does not
// open.

#include <sys/resource.h>

#include <cstdio>
#include <vector>

#include "core/audio/engine.h"
#include "core/audio/nulloutput.h"

namespace {
double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    using namespace tv::audio;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 1;
    }
    Engine engine(std::make_unique<NullOutput>());
    Handle h = 0;
    for (int f = 0; f < kStreamFormatCount && !h; ++f)
        h = engine.StreamCreateFile(static_cast<StreamFormat>(f), argv[1], 0);
    if (!h)
        h = engine.MusicLoad(argv[1], kMusicPrescan);
    if (!h)
        return 1;
    std::vector<float> block(4096 * 2);
    int64_t frames = 0;
    while (const int64_t got = engine.RenderOffline(h, block.data(), 4096))
        frames += got;
    std::printf("frames %lld seconds %.2f cpu %.3f\n", static_cast<long long>(frames),
                double(frames) / kOutputRate, CpuSeconds());
    return 0;
}
