#pragma once

// The keys of settings.ini, section "Settings": the main window's keys (read at first show,
// written at exit) and the open-folder window's keys (read when that window is created,
// written when it goes). Every key that is missing or is not a decimal integer where one is
// expected reads as its default. Reading and writing go through IniFile, so keys of others
// and unknown sections survive a rewrite.

#include <optional>
#include <string>
#include <vector>

#include "core/inifile.h"

namespace tv::core {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kSettingsFileName = "settings.ini";
inline constexpr int kDefaultChannelVolume = 80;
inline constexpr int kFadeTime = 200;  // ms, every fade of the playing channel

struct MainSettings {
    int mainWidth = 320;  // client size
    int mainHeight = 480;
    int mainPosX = 0;  // window left and top
    int mainPosY = 0;
    int volume = kDefaultChannelVolume;  // ChannelVolume, 0..100
    int trackPos = 0;                    // current entry; -1 none
    bool equalizer = false;
    bool random = false;     // RandomMode
    int replay = 0;          // ReplayMode: 0 none, 1 all, 2 one; other values are kept
    int timeMode = 0;        // 0 elapsed, 1 remaining
    int spectrumMode = 1;    // 0 lines, 1 big lines, 2 none
    int spectrumSpeed = 50;  // spectrum timer interval in ms
    bool peak = false;
};

// LoadSettings: reads the main window's keys. The default position centres the window (of the
// width and height just read) on a screen of the given size.
MainSettings LoadMainSettings(const IniFile& ini, int screenWidth, int screenHeight);
// A screen's area in desktop coordinates.
struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kMainMinWidth = 320;  // the player part of the design
inline constexpr int kMainMinHeight = 480;
inline constexpr int kTitleStripHeight = 20;    // the strip the window is dragged by
inline constexpr int kTitleStripOnScreen = 40;  // how much of it must be on a screen
inline constexpr int kMinSpectrumSpeed = 10;    // ms

// Settings read from a hand-edited or foreign file within sane bounds: the size between the
// design minimum and the largest screen, the position moved (onto the first screen) unless at
// least kTitleStripOnScreen pixels of the title strip lie on a screen, the spectrum interval at
// least kMinSpectrumSpeed. The window then shows the bounded values, and those are what the
// exit writes back. Without screens only the size minimum and the interval are applied.
MainSettings BoundMainSettings(MainSettings s, const std::vector<ScreenArea>& screens);

// SaveSettings: sets the main window's keys in their fixed order.
void StoreMainSettings(IniFile& ini, const MainSettings& s);

struct OpenFolderSettings {
    std::optional<std::string> path;  // nullopt: the folder tree keeps its own first folder
    bool subdirectories = true;
    int openWidth = 308;
    int openHeight = 284;
    int openPosX = 385;
    int openPosY = 197;
};

OpenFolderSettings LoadOpenFolderSettings(const IniFile& ini);
void StoreOpenFolderSettings(IniFile& ini, const OpenFolderSettings& s);

// What applying a mode value shows: the picture (by its name in the skin store) and the hint
// of a mode button. The spectrum menu's ticks belong to the spectrum display.
struct ButtonLook {
    std::string picture;
    std::string hint;
};
ButtonLook RandomButtonLook(bool on);
// nullopt for a replay value outside 0..2: the button stays as it is.
std::optional<ButtonLook> ReplayButtonLook(int mode);

// The loudness-levelling keys, kept after the main window's keys: "ReplayGain" (0 off, 1 track,
// 2 album, 3 album while the playlist plays in order and track in random order),
// "ReplayGainPreamp" (tenths of a dB) and "ReplayGainClip" (clipping prevention). A missing or
// unreadable key, or a mode outside 0..3, reads as its default.
struct ReplayGainSettings {
    int mode = 3;
    int preampTenths = 0;
    bool clip = true;
};

ReplayGainSettings LoadReplayGainSettings(const IniFile& ini);
void StoreReplayGainSettings(IniFile& ini, const ReplayGainSettings& r);

}  // namespace tv::core
