// Plays one file through the engine's default (SDL2) output and exits when it has ended.
// Usage: tv_audio_play FILE [max-seconds]
// Exit status: 0 played to its end, 1 bad usage, 2 no device, 3 no opener took the file,
// 4 did not end in time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/audio/engine.h"

int main(int argc, char** argv) {
    using namespace tv::audio;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [max-seconds]\n", argv[0]);
        return 1;
    }
    const double maxSeconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    Engine engine;
    if (!engine.Init(1, 44100, kInitFlag3D))
        return 2;
    Handle channel = 0;
    for (int f = 0; f < kStreamFormatCount && !channel; ++f)
        channel = engine.StreamCreateFile(static_cast<StreamFormat>(f), argv[1], 0);
    const bool module = channel == 0;
    if (module)
        channel = engine.MusicLoad(argv[1], kMusicPrescan);
    if (!channel)
        return 3;
    engine.ChannelPlay(channel, true);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<int>(maxSeconds * 1000));
    int status = 4;
    while (std::chrono::steady_clock::now() < deadline) {
        const int64_t length = engine.ChannelGetLength(channel);
        if (length > 0 && engine.ChannelGetPosition(channel) >= length) {
            status = 0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Let the device play out the last block before closing.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (module)
        engine.MusicFree(channel);
    else
        engine.StreamFree(channel);
    return status;
}
