#pragma once

// A recording stand-in for the audio library: every call is appended to `calls` as one line
// such as "ChannelSlideAttributes(1,-1,0,-101,200)", and the answers come from plain fields
// that a test sets up. No device, no threads, no files are touched.

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/audio/audiolibrary.h"

namespace tv::testing {

using audio::Handle;

inline const char* StreamFormatName(audio::StreamFormat f) {
    static const char* const kNames[] = {"Core", "WMA",  "FLAC", "WV",  "AAC", "MP4",
                                         "AC3",  "ALAC", "APE",  "MPC", "SPX", "TTA"};
    return kNames[static_cast<int>(f)];
}

class FakeAudioLibrary : public audio::AudioLibrary {
public:
    // --- set-up -----------------------------------------------------------------------
    uint32_t version = audio::kExpectedVersion;
    bool initResult = true;
    audio::DeviceInfo deviceInfo{9, false};
    // path -> the opener that accepts it (others return 0); "module" paths go to MusicLoad.
    std::map<std::string, audio::StreamFormat> streamFiles;
    std::set<std::string> moduleFiles;
    uint32_t infoFlags = 0;             // ChannelGetInfo flags of every channel
    int64_t lengthBytes = 176400 * 10;  // 10 s at 44.1 kHz 16-bit stereo
    int64_t positionBytes = 0;
    double bytesPerSecond = 176400.0;
    Handle nextHandle = 1;
    Handle nextFx = 100;
    Handle nextDsp = 500;
    bool fxFails = false;        // ChannelSetFX returns 0
    bool removeFxFails = false;  // ChannelRemoveFX returns false
    int volume = 100;

    // --- what happened ----------------------------------------------------------------
    std::vector<std::string> calls;
    std::map<Handle, audio::FxParams> fxParams;
    std::set<Handle> liveChannels;
    std::map<Handle, float> gains;  // ChannelSetGain, kept apart from the call log

    void ClearCalls() { calls.clear(); }
    // Calls whose text starts with `prefix`.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        return out;
    }

    // --- AudioLibrary -----------------------------------------------------------------
    uint32_t GetVersion() override { return Log("GetVersion()"), version; }
    bool Init(int device, uint32_t freq, uint32_t flags) override {
        Log("Init(" + Args(device, freq, flags) + ")");
        return initResult;
    }
    bool Start() override { return Log("Start()"), true; }
    bool GetInfo(audio::DeviceInfo& info) override {
        Log("GetInfo()");
        info = deviceInfo;
        return true;
    }
    bool SetEAXParameters(int env, float vol, float decay, float damp) override {
        Log("SetEAXParameters(" + Args(env, vol, decay, damp) + ")");
        return true;
    }
    int GetVolume() override { return Log("GetVolume()"), volume; }
    bool SetVolume(int v) override {
        Log("SetVolume(" + Args(v) + ")");
        volume = v;
        return true;
    }
    Handle StreamCreateFile(audio::StreamFormat format, const std::filesystem::path& path,
                            uint32_t flags) override {
        Log(std::string("StreamCreateFile(") + StreamFormatName(format) + "," + path.string() +
            "," + Args(flags) + ")");
        auto it = streamFiles.find(path.string());
        if (it == streamFiles.end() || it->second != format)
            return 0;
        return Open();
    }
    Handle MusicLoad(const std::filesystem::path& path, uint32_t flags) override {
        Log("MusicLoad(" + path.string() + "," + Args(flags) + ")");
        return moduleFiles.count(path.string()) ? Open() : 0;
    }
    bool ChannelGetInfo(Handle h, audio::ChannelInfo& info) override {
        Log("ChannelGetInfo(" + Args(h) + ")");
        if (!liveChannels.count(h))
            return false;
        info = {44100, 2, infoFlags};
        return true;
    }
    bool StreamFree(Handle h) override { return Log("StreamFree(" + Args(h) + ")"), Close(h); }
    bool MusicFree(Handle h) override { return Log("MusicFree(" + Args(h) + ")"), Close(h); }
    bool ChannelPlay(Handle h, bool restart) override {
        Log("ChannelPlay(" + Args(h, restart ? 1 : 0) + ")");
        return liveChannels.count(h) > 0;
    }
    bool ChannelPause(Handle h) override {
        return Log("ChannelPause(" + Args(h) + ")"), liveChannels.count(h) > 0;
    }
    bool ChannelStop(Handle h) override {
        return Log("ChannelStop(" + Args(h) + ")"), liveChannels.count(h) > 0;
    }
    bool ChannelSlideAttributes(Handle h, int freq, int vol, int pan, uint32_t ms) override {
        Log("ChannelSlideAttributes(" + Args(h, freq, vol, pan, ms) + ")");
        return liveChannels.count(h) > 0;
    }
    bool ChannelSetGain(Handle h, float gain) override {
        if (!liveChannels.count(h))
            return false;
        gains[h] = gain;
        return true;
    }
    int64_t ChannelGetLength(Handle h) override {
        Log("ChannelGetLength(" + Args(h) + ")");
        return liveChannels.count(h) ? lengthBytes : -1;
    }
    int64_t ChannelGetPosition(Handle h) override {
        Log("ChannelGetPosition(" + Args(h) + ")");
        return liveChannels.count(h) ? positionBytes : -1;
    }
    double ChannelBytes2Seconds(Handle h, int64_t bytes) override {
        Log("ChannelBytes2Seconds(" + Args(h, bytes) + ")");
        return bytes < 0 ? -1.0 : static_cast<double>(bytes) / bytesPerSecond;
    }
    int64_t ChannelSeconds2Bytes(Handle h, double seconds) override {
        Log("ChannelSeconds2Bytes(" + Args(h, seconds) + ")");
        return static_cast<int64_t>(seconds * bytesPerSecond);
    }
    bool ChannelSetPosition(Handle h, int64_t bytes) override {
        Log("ChannelSetPosition(" + Args(h, bytes) + ")");
        if (!liveChannels.count(h))
            return false;
        positionBytes = bytes;
        return true;
    }
    int32_t ChannelGetData(Handle h, float* buffer, uint32_t flags) override {
        Log("ChannelGetData(" + Args(h, flags) + ")");
        if (!liveChannels.count(h))
            return -1;
        for (int i = 0; i < 512; ++i)
            buffer[i] = fftValue;
        return 4096;
    }
    float fftValue = 0.0f;
    Handle ChannelSetDSP(Handle h, audio::DspProc proc, void* user, int priority) override {
        Log("ChannelSetDSP(" + Args(h, priority) + ")");
        (void)user;
        if (!liveChannels.count(h))
            return 0;
        lastDsp = proc;
        return nextDsp++;
    }
    audio::DspProc lastDsp = nullptr;
    bool ChannelRemoveDSP(Handle h, Handle dsp) override {
        Log("ChannelRemoveDSP(" + Args(h, dsp) + ")");
        return liveChannels.count(h) > 0 && dsp != 0;
    }
    Handle ChannelSetFX(Handle h, uint32_t type, int priority) override {
        Log("ChannelSetFX(" + Args(h, type, priority) + ")");
        if (fxFails || !liveChannels.count(h))
            return 0;
        Handle fx = nextFx++;
        fxParams[fx] = DefaultsFor(type);
        return fx;
    }
    bool ChannelRemoveFX(Handle h, Handle fx) override {
        Log("ChannelRemoveFX(" + Args(h, fx) + ")");
        if (removeFxFails)
            return false;
        return fxParams.erase(fx) > 0;
    }
    bool FXGetParameters(Handle fx, audio::FxParams& p) override {
        Log("FXGetParameters(" + Args(fx) + ")");
        auto it = fxParams.find(fx);
        if (it == fxParams.end())
            return false;
        p = it->second;
        return true;
    }
    bool FXSetParameters(Handle fx, const audio::FxParams& p) override {
        std::string detail;
        if (auto* eq = std::get_if<audio::ParamEqParams>(&p))
            detail = "," + Args(eq->fCenter, eq->fBandwidth, eq->fGain);
        Log("FXSetParameters(" + Args(fx) + detail + ")");
        auto it = fxParams.find(fx);
        if (it == fxParams.end() || it->second.index() != p.index())
            return false;
        it->second = p;
        return true;
    }

    static audio::FxParams DefaultsFor(uint32_t type) {
        switch (type) {
            case audio::kFxChorus:
                return audio::ChorusParams{};
            case audio::kFxEcho:
                return audio::EchoParams{};
            case audio::kFxFlanger:
                return audio::FlangerParams{};
            case audio::kFxParamEq:
                return audio::ParamEqParams{};
            default:
                return audio::ReverbParams{};
        }
    }

private:
    void Log(const std::string& s) { calls.push_back(s); }
    Handle Open() {
        Handle h = nextHandle++;
        liveChannels.insert(h);
        return h;
    }
    bool Close(Handle h) { return liveChannels.erase(h) > 0; }

    template <typename... T>
    static std::string Args(const T&... values) {
        std::ostringstream out;
        const char* sep = "";
        ((out << sep << values, sep = ","), ...);
        return out.str();
    }
};

}  // namespace tv::testing
