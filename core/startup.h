#pragma once

// The main window's creation as far as the audio library is concerned: the version check,
// the initialisation of the output device, its start, the device facts and the output volume
// the window starts with, in that order. The window only shows what this returns.
//
// Threads: user-interface thread only.

#include <optional>

#include "core/audio/audiolibrary.h"
#include "core/playerview.h"

namespace tv::core {

// Exit statuses of a start that cannot go on.
inline constexpr int kExitWrongLibraryVersion = 4;
inline constexpr int kExitLibraryNotInitialised = 5;

struct StartUpResult {
    // Set when the program must end now with this status (the warning has been shown).
    std::optional<int> exitStatus;
    // The device's output volume, 0..100 (0 when the library cannot tell).
    int outputVolume = 0;
};

// Checks the library's version (exit 4 with a warning when it is not the expected one),
// initialises the default device at 44 100 Hz with 3D (exit 5 with a warning on failure),
// starts it, warns when the device's effect interface is older than version 8, sets the EAX
// environment when the device has one, and reads the output volume. Warnings go through
// `view.ShowWarning`; nothing is thrown.
StartUpResult StartUp(audio::AudioLibrary& library, PlayerView& view);

}  // namespace tv::core
