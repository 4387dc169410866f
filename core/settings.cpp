#include "core/settings.h"

#include <algorithm>
#include <cstdint>

namespace tv::core {

MainSettings LoadMainSettings(const IniFile& ini, int screenWidth, int screenHeight) {
    const char* s = kSettingsSection;
    MainSettings m;
    m.mainWidth = ini.GetInt(s, "MainWidth", m.mainWidth);
    m.mainHeight = ini.GetInt(s, "MainHeight", m.mainHeight);
    m.mainPosX = ini.GetInt(s, "MainPosX", screenWidth / 2 - m.mainWidth / 2);
    m.mainPosY = ini.GetInt(s, "MainPosY", screenHeight / 2 - m.mainHeight / 2);
    // The channel volume feeds every fade; a hand-edited value outside 0..100 would ask the
    // audio library for a volume it does not have.
    m.volume = std::clamp(ini.GetInt(s, "Volume", m.volume), 0, 100);
    m.trackPos = ini.GetInt(s, "TrackPos", m.trackPos);
    m.equalizer = ini.GetBool(s, "Equalizer", m.equalizer);
    m.random = ini.GetBool(s, "Random", m.random);
    m.replay = ini.GetInt(s, "Replay", m.replay);
    m.timeMode = ini.GetInt(s, "TimeMode", m.timeMode);
    m.spectrumMode = ini.GetInt(s, "SpectrumMode", m.spectrumMode);
    m.spectrumSpeed = ini.GetInt(s, "SpectrumSpeed", m.spectrumSpeed);
    m.peak = ini.GetBool(s, "Peak", m.peak);
    return m;
}

MainSettings BoundMainSettings(MainSettings s, const std::vector<ScreenArea>& screens) {
    s.spectrumSpeed = std::max(s.spectrumSpeed, kMinSpectrumSpeed);
    int maxWidth = 0;
    int maxHeight = 0;
    for (const ScreenArea& screen : screens) {
        maxWidth = std::max(maxWidth, screen.width);
        maxHeight = std::max(maxHeight, screen.height);
    }
    // A screen smaller than the design minimum wins: the window must fit.
    s.mainWidth = std::max(s.mainWidth, kMainMinWidth);
    s.mainHeight = std::max(s.mainHeight, kMainMinHeight);
    if (screens.empty())
        return s;
    s.mainWidth = std::min(s.mainWidth, maxWidth);
    s.mainHeight = std::min(s.mainHeight, maxHeight);
    for (const ScreenArea& screen : screens) {
        const int64_t left = std::max<int64_t>(s.mainPosX, screen.x);
        const int64_t right =
            std::min<int64_t>(int64_t(s.mainPosX) + s.mainWidth, int64_t(screen.x) + screen.width);
        const bool stripInside =
            int64_t(s.mainPosY) >= screen.y &&
            int64_t(s.mainPosY) + kTitleStripHeight <= int64_t(screen.y) + screen.height;
        if (stripInside && right - left >= std::min(kTitleStripOnScreen, s.mainWidth))
            return s;
    }
    const ScreenArea& first = screens.front();
    s.mainPosX = std::clamp(s.mainPosX, first.x, first.x + std::max(0, first.width - s.mainWidth));
    s.mainPosY =
        std::clamp(s.mainPosY, first.y, first.y + std::max(0, first.height - s.mainHeight));
    return s;
}

void StoreMainSettings(IniFile& ini, const MainSettings& m) {
    const char* s = kSettingsSection;
    ini.SetInt(s, "MainWidth", m.mainWidth);
    ini.SetInt(s, "MainHeight", m.mainHeight);
    ini.SetInt(s, "MainPosX", m.mainPosX);
    ini.SetInt(s, "MainPosY", m.mainPosY);
    ini.SetInt(s, "Volume", m.volume);
    ini.SetInt(s, "TrackPos", m.trackPos);
    ini.SetBool(s, "Equalizer", m.equalizer);
    ini.SetBool(s, "Random", m.random);
    ini.SetInt(s, "Replay", m.replay);
    ini.SetInt(s, "TimeMode", m.timeMode);
    ini.SetInt(s, "SpectrumMode", m.spectrumMode);
    ini.SetInt(s, "SpectrumSpeed", m.spectrumSpeed);
    ini.SetBool(s, "Peak", m.peak);
}

OpenFolderSettings LoadOpenFolderSettings(const IniFile& ini) {
    const char* s = kSettingsSection;
    OpenFolderSettings o;
    o.path = ini.Get(s, "Path");
    o.subdirectories = ini.GetBool(s, "Subdirectories", o.subdirectories);
    o.openWidth = ini.GetInt(s, "OpenWidth", o.openWidth);
    o.openHeight = ini.GetInt(s, "OpenHeight", o.openHeight);
    o.openPosX = ini.GetInt(s, "OpenPosX", o.openPosX);
    o.openPosY = ini.GetInt(s, "OpenPosY", o.openPosY);
    return o;
}

void StoreOpenFolderSettings(IniFile& ini, const OpenFolderSettings& o) {
    const char* s = kSettingsSection;
    ini.Set(s, "Path", o.path.value_or(""));
    ini.SetBool(s, "Subdirectories", o.subdirectories);
    ini.SetInt(s, "OpenWidth", o.openWidth);
    ini.SetInt(s, "OpenHeight", o.openHeight);
    ini.SetInt(s, "OpenPosX", o.openPosX);
    ini.SetInt(s, "OpenPosY", o.openPosY);
}

ButtonLook RandomButtonLook(bool on) {
    return on ? ButtonLook{"iRnd3", "Random"} : ButtonLook{"iRnd1", "Not Random"};
}

std::optional<ButtonLook> ReplayButtonLook(int mode) {
    switch (mode) {
        case 0:
            return ButtonLook{"iRpl1", "Not Replay"};
        case 1:
            return ButtonLook{"iRpl3", "Replay All"};
        case 2:
            return ButtonLook{"iRpl5", "Replay One"};
        default:
            return std::nullopt;
    }
}

ReplayGainSettings LoadReplayGainSettings(const IniFile& ini) {
    const char* s = kSettingsSection;
    ReplayGainSettings r;
    const int mode = ini.GetInt(s, "ReplayGain", r.mode);
    r.mode = mode >= 0 && mode <= 3 ? mode : r.mode;
    // A preamp beyond +-20 dB is a typing slip, not a level anyone listens at.
    r.preampTenths = std::clamp(ini.GetInt(s, "ReplayGainPreamp", r.preampTenths), -200, 200);
    r.clip = ini.GetBool(s, "ReplayGainClip", r.clip);
    return r;
}

void StoreReplayGainSettings(IniFile& ini, const ReplayGainSettings& r) {
    const char* s = kSettingsSection;
    ini.SetInt(s, "ReplayGain", r.mode);
    ini.SetInt(s, "ReplayGainPreamp", r.preampTenths);
    ini.SetBool(s, "ReplayGainClip", r.clip);
}

}  // namespace tv::core
