// Plays files one after the other through the engine's default (SDL2) output, each following
// the one before without a gap (queued five seconds before its end, as the player does), and
// exits when the last has ended.
// Usage: tv_audio_play FILE... [max-seconds]   (a last argument that is a number is the limit)
// Exit status: 0 played to its end, 1 bad usage, 2 no device, 3 no opener took a file,
// 4 did not end in time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/audio/engine.h"

namespace {

using namespace tv::audio;

bool IsNumber(const char* s) {
    char* end = nullptr;
    std::strtod(s, &end);
    return end != s && *end == '\0';
}

Handle OpenStream(Engine& engine, const char* path) {
    for (int f = 0; f < kStreamFormatCount; ++f)
        if (Handle h = engine.StreamCreateFile(static_cast<StreamFormat>(f), path, 0))
            return h;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> files(argv + 1, argv + argc);
    double maxSeconds = 30.0;
    if (files.size() > 1 && IsNumber(files.back())) {
        maxSeconds = std::atof(files.back());
        files.pop_back();
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s FILE... [max-seconds]\n", argv[0]);
        return 1;
    }
    Engine engine;
    if (!engine.Init(1, 44100, kInitFlag3D))
        return 2;
    Handle channel = OpenStream(engine, files[0]);
    const bool module = channel == 0;
    if (module)
        channel = engine.MusicLoad(files[0], kMusicPrescan);
    if (!channel)
        return 3;
    engine.ChannelPlay(channel, true);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<int>(maxSeconds * 1000));
    size_t queued = 0;  // the index of the last file queued (or playing)
    int status = 4;
    while (std::chrono::steady_clock::now() < deadline) {
        const int64_t length = engine.ChannelGetLength(channel);
        const int64_t position = engine.ChannelGetPosition(channel);
        if (engine.ChannelTrackChanges(channel) == queued && queued + 1 < files.size() && !module &&
            engine.ChannelBytes2Seconds(channel, length - position) < 5.0) {
            const Handle next = OpenStream(engine, files[queued + 1]);
            if (!next || !engine.ChannelQueueNext(channel, next))
                return 3;
            ++queued;
        }
        if (length > 0 && position >= length && engine.ChannelTrackChanges(channel) == queued) {
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
