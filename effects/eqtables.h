#pragma once

// Fixed tables of the equalizer: the effect switches, the band centres, the turbo-bass gains
// and the presets of the preset box.

#include <array>
#include <cstdint>

namespace tv::effects {

// Bits of EffectFlags.
inline constexpr uint8_t kFlagFlanger = 0x01;
inline constexpr uint8_t kFlagChorus = 0x02;
inline constexpr uint8_t kFlagEcho = 0x04;
inline constexpr uint8_t kFlagReverb = 0x08;
inline constexpr uint8_t kFlagTurboBass = 0x10;
inline constexpr uint8_t kFlagEqualizer = 0x20;

inline constexpr int kBandCount = 10;

using EqRecord = std::array<int8_t, kBandCount>;

inline constexpr std::array<int16_t, kBandCount> EqBandFrequencies = {
    80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 14000};

// The texts shown above the band sliders.
inline constexpr std::array<const char*, kBandCount> kBandLabels = {
    "80", "170", "310", "600", "1K", "3K", "6K", "10K", "12K", "14K"};

inline constexpr std::array<int8_t, 3> TurboBassGains = {6, 5, 4};

inline constexpr int kPresetCount = 10;
inline constexpr int kPresetCustom = 9;

// Items of the preset box, in order; "Custom" shares the all-zero record of "Default".
inline constexpr std::array<const char*, kPresetCount> kPresetNames = {
    "Default", "Rock", "Rap", "Grunge", "Metal", "Techno", "Pop", "Classic", "Voice", "Custom"};

inline constexpr std::array<EqRecord, kPresetCount> EqPresets = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {-2, 1, 3, 7, -2, -2, 0, 0, 7, 7},
    {-2, 0, 1, 7, -2, -2, 0, 0, 7, 9},
    {-5, 0, 0, -2, 0, 0, 2, 3, 0, -3},
    {-5, 0, 0, 0, 0, 0, 3, 0, 3, 2},
    {-7, 2, 4, -2, -2, -3, 0, 0, 5, 5},
    {-1, 4, 5, 2, -1, -2, 0, 0, 4, 4},
    {0, 0, 0, 4, 5, 3, 7, 3, 0, 0},
    {-8, -6, -4, 1, 0, 0, 0, -4, -6, -8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
}};

// Slider range of every band; a slider's position is the negated gain.
inline constexpr int kSliderMin = -15;
inline constexpr int kSliderMax = 15;

// The six items of the effect list, in the order of the check boxes they drive.
enum class DjEffect : int { Flange = 0, Chorus, Echo, Reverb, Bass, Rotate };
inline constexpr int kDjEffectCount = 6;

}  // namespace tv::effects
