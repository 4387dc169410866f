#pragma once

// A recording stand-in for the video plug-in: every call is appended to `calls` by name (with
// its arguments where it has any), and the answers come from plain fields a test sets up.

#include <string>
#include <vector>

#include "video/videoplugin.h"

namespace tv::testing {

class FakeVideoPlugin : public video::VideoPlugin {
public:
    // --- set-up -----------------------------------------------------------------------
    bool loadable = true;  // loadMediaFile succeeds
    bool hasVideo = true;
    int64_t duration = 900'000'000;
    int64_t position = 0;
    int32_t fullScreen = 0;
    bool ended = false;  // the loaded stream is at its end

    // --- record -----------------------------------------------------------------------
    std::vector<std::string> calls;
    bool loaded = false;
    int frees = 0;  // frees of a loaded stream
    std::string lastPath;

    void loadMediaFile(const std::string& path, uintptr_t) override {
        calls.push_back("loadMediaFile(" + path + ")");
        lastPath = path;
        loaded = loadable;
    }
    bool MediaStreamAvailable() override { return Log("MediaStreamAvailable"), loaded; }
    bool VideoAvailable() override { return Log("VideoAvailable"), loaded && hasVideo; }
    void setVideoPos(int32_t x, int32_t y, int32_t w, int32_t h) override {
        calls.push_back("setVideoPos(" + std::to_string(x) + "," + std::to_string(y) + "," +
                        std::to_string(w) + "," + std::to_string(h) + ")");
    }
    void playMediaStream() override { Log("playMediaStream"); }
    void pauseMediaStream() override { Log("pauseMediaStream"); }
    int64_t getMediaStreamDuration() override {
        Log("getMediaStreamDuration");
        return loaded ? duration : 0;
    }
    int64_t getMediaStreamPos() override { return Log("getMediaStreamPos"), position; }
    void setMediaStreamPos(int64_t p) override {
        calls.push_back("setMediaStreamPos(" + std::to_string(p) + ")");
        position = p;
    }
    bool MediaStreamPlayed() override { return Log("MediaStreamPlayed"), loaded; }
    void stopMediaStream() override { Log("stopMediaStream"); }
    void freeMediaStream() override {
        Log("freeMediaStream");
        if (loaded)
            ++frees;
        loaded = false;
    }
    bool MediaStreamEnded() override { return Log("MediaStreamEnded"), loaded && ended; }
    int32_t getFullScreenVideo() override { return Log("getFullScreenVideo"), fullScreen; }
    void setFullScreenVideo(int32_t on) override {
        calls.push_back("setFullScreenVideo(" + std::to_string(on) + ")");
        fullScreen = on;
    }

private:
    void Log(const char* name) { calls.emplace_back(name); }
};

}  // namespace tv::testing
