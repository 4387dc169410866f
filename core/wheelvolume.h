#pragma once

// The mouse wheel's volume: the hidden volume slider's knob offset, 0 to 100, which is the audio
// library's output volume (separate from the channel volume the fades return to). Each notch
// moves it by exactly 1 and sets the output volume to it.
//
// Threads: user-interface thread only.

#include "core/audio/audiolibrary.h"

namespace tv::core {

class WheelVolume {
public:
    explicit WheelVolume(audio::AudioLibrary& library) : m_library(library) {}
    // The knob offset starts at the output volume read at start-up (below 0, when the library
    // could not tell: 0).
    void Start(int outputVolume);
    int Offset() const { return m_offset; }
    // A notch up (below 100: +1) or down (above 0: -1); then the output volume := the offset.
    void Notch(bool up);

private:
    audio::AudioLibrary& m_library;
    int m_offset = 100;
};

}  // namespace tv::core
