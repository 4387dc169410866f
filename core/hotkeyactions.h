#pragma once

// The actions of the eight global hotkeys (Ctrl+Alt with Insert, Home, Page Up, Page Down,
// Right, Left, Up, Down), as plain logic over the player and track advance: the first four
// are the Play, Pause, Back and Next buttons' own commands; the seeks jump 5 s without a fade
// and leave video alone; the volume steps change ChannelVolume by 1 within 0..100 and glide
// the channel to it over 200 ms (the new value is saved with the settings at exit).
//
// Threads: user-interface thread only.

#include <array>

#include "core/audio/audiolibrary.h"
#include "core/player.h"
#include "core/trackadvance.h"

namespace tv::core {

inline constexpr int kHotkeyCount = 8;
inline constexpr int kHotkeySeekStepMs = 5000;

// The hotkey table in its order: the identifier's name and the key (an X keysym name).
struct HotkeyEntry {
    const char* atomName;
    const char* keyName;
};
inline constexpr std::array<HotkeyEntry, kHotkeyCount> kHotkeyTable = {{
    {"Hotkey1", "Insert"},
    {"Hotkey2", "Home"},
    {"Hotkey3", "Prior"},  // Page Up
    {"Hotkey4", "Next"},   // Page Down
    {"Hotkey5", "Right"},
    {"Hotkey6", "Left"},
    {"Hotkey7", "Up"},
    {"Hotkey8", "Down"},
}};

class HotkeyActions {
public:
    // Every reference must outlive this object.
    HotkeyActions(audio::AudioLibrary& library, Player& player, TrackAdvance& advance);

    // Runs the action of table row `index` (0..7); other values do nothing.
    void Run(int index);

    void Forward();     // p + 5 s, or 1 ms before the end when that would pass it
    void Back();        // p - 5 s, or the start
    void VolumeUp();    // +1 up to 100, then the 200 ms glide (also at 100)
    void VolumeDown();  // -1 down to 0, then the glide

private:
    bool AudioLoaded() const;
    void SlideToChannelVolume();

    audio::AudioLibrary& m_library;
    Player& m_player;
    TrackAdvance& m_advance;
};

}  // namespace tv::core
