#pragma once

// The contract between the video window and whatever decodes and renders the picture. Every
// call is made on the GUI thread only; no call shows a message or throws. Times are signed
// 64-bit counts of 100 ns.

#include <cstdint>
#include <string>

namespace tv::video {

class VideoPlugin {
public:
    virtual ~VideoPlugin() = default;

    // Loads `path` for playing into the native window `windowHandle` (paused until
    // playMediaStream). A missing or unplayable file leaves nothing loaded.
    virtual void loadMediaFile(const std::string& path, uintptr_t windowHandle) = 0;
    // True when a stream was loaded and can be played.
    virtual bool MediaStreamAvailable() = 0;
    // True when the loaded stream has a picture.
    virtual bool VideoAvailable() = 0;
    // The picture's place inside the window given to loadMediaFile.
    virtual void setVideoPos(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void playMediaStream() = 0;
    // Pauses a playing stream and resumes a paused one.
    virtual void pauseMediaStream() = 0;
    // Above 0 while a stream is loaded.
    virtual int64_t getMediaStreamDuration() = 0;
    virtual int64_t getMediaStreamPos() = 0;
    virtual void setMediaStreamPos(int64_t position) = 0;
    // True while a stream is loaded.
    virtual bool MediaStreamPlayed() = 0;
    virtual void stopMediaStream() = 0;
    // Frees the loaded stream; accepts being called with nothing loaded.
    virtual void freeMediaStream() = 0;
    // True once a loaded stream has played to its end (it then holds its last picture).
    virtual bool MediaStreamEnded() = 0;
    virtual int32_t getFullScreenVideo() = 0;
    virtual void setFullScreenVideo(int32_t on) = 0;
};

}  // namespace tv::video
