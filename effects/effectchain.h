#pragma once

// The effect chain and the never-shown controls of the main window that carry its state: the
// equalizer switch, the ten band sliders, the preset box and the "DJ Module" check boxes.
// Their setters behave like the controls they stand for (a slider or check box whose value
// changes runs its handler; setting the preset box's index does not), so the equalizer
// window forwards to them exactly as it would to real controls.
//
// Threads: everything here runs on the user-interface thread; only RotateDspProc, attached by
// UpdateRotation, runs on the mixing thread, and it touches only the rotation's phase.

#include <array>
#include <cstdint>
#include <functional>

#include "core/audio/audiolibrary.h"
#include "effects/eqtables.h"
#include "effects/rotation.h"

namespace tv::effects {

// The current channel as the player core sees it. `live` is true while something plays or is
// paused, and while a newly created channel is being opened.
struct ChannelState {
    audio::Handle channel = 0;
    bool live = false;
};
using ChannelQuery = std::function<ChannelState()>;

class EffectChain {
public:
    // `query` tells the current channel; it may be empty (then no channel is ever live).
    // InitEffectParameters(0x2F) and the preset box's index 0 are set up here.
    EffectChain(audio::AudioLibrary& library, ChannelQuery query);

    void SetChannelQuery(ChannelQuery query) { m_query = std::move(query); }

    // --- operations ---------------------------------------------------------------------
    // Rebuilds the chain on the current channel from `flags`; does nothing unless it is live.
    void ApplyEffects(uint8_t flags);
    // Detaches every attached effect; a handle whose removal fails is kept.
    void RemoveAllEffects();
    // Sets all fourteen handles to 0 without calling the library (a new channel was opened).
    void ForgetEffectHandles();
    // Bit 0x20 of `mask` sets the equalizer record's bandwidth to 9 semitones.
    void InitEffectParameters(uint8_t mask);
    // Puts each band slider at the negated gain of `record` (running the handlers of those
    // that move).
    void SetSlidersFromPreset(const EqRecord& record);
    // Attaches the rotation when "Rotate" is ticked (restarting it at pi/4), detaches it
    // otherwise.
    void UpdateRotation();

    // --- handlers of the never-shown controls --------------------------------------------
    void boxEQSelectChange();
    void barEQChange(int band);
    void barEQ80Change() { barEQChange(0); }
    void barEQ170Change() { barEQChange(1); }
    void barEQ310Change() { barEQChange(2); }
    void barEQ600Change() { barEQChange(3); }
    void barEQ1KChange() { barEQChange(4); }
    void barEQ3KChange() { barEQChange(5); }
    void barEQ6KChange() { barEQChange(6); }
    void barEQ10KChange() { barEQChange(7); }
    void barEQ12KChange() { barEQChange(8); }
    void barEQ14KChange() { barEQChange(9); }
    void chEqualizerClick();
    void chFlangeClick() { SwitchClick(DjEffect::Flange, kFlagFlanger); }
    void chChorusClick() { SwitchClick(DjEffect::Chorus, kFlagChorus); }
    void chEchoClick() { SwitchClick(DjEffect::Echo, kFlagEcho); }
    void chReverbClick() { SwitchClick(DjEffect::Reverb, kFlagReverb); }
    void chBassClick() { SwitchClick(DjEffect::Bass, kFlagTurboBass); }
    void chRotateClick() { UpdateRotation(); }

    // --- the controls as values -----------------------------------------------------------
    // The equalizer switch; a change runs chEqualizerClick.
    void SetEqualizerChecked(bool checked);
    bool EqualizerChecked() const { return m_chEqualizer; }
    // A band slider's position (-15..15, clamped); a change runs that band's handler.
    void SetSliderPosition(int band, int position);
    int SliderPosition(int band) const { return m_sliders.at(band); }
    // The preset box's item index (-1 = none); setting it runs nothing.
    void SetPresetIndex(int index) { m_presetIndex = index; }
    int PresetIndex() const { return m_presetIndex; }
    // Clicks of the hidden buttons: Button5, btnEQ80 ... btnEQ14K, btnEqualizer.
    void ClickButton5() { boxEQSelectChange(); }
    void ClickBandButton(int band) { barEQChange(band); }
    void ClickBtnEqualizer() { chEqualizerClick(); }
    // Whether the sliders, the preset box and the dB labels of the group are enabled.
    bool EqControlsEnabled() const { return m_eqControlsEnabled; }
    // A "DJ Module" check box; a change runs its click handler.
    void SetEffectChecked(DjEffect effect, bool checked);
    bool EffectChecked(DjEffect effect) const { return m_djChecks.at(static_cast<int>(effect)); }

    // --- state ------------------------------------------------------------------------------
    uint8_t EffectFlags() const { return m_effectFlags; }
    const EqRecord& EqGains() const { return m_eqGains; }
    bool PresetLoading() const { return m_presetLoading; }
    const audio::ParamEqParams& ParamEqRecord() const { return m_paramEq; }
    audio::Handle BandHandle(int band) const { return m_bandFx.at(band); }
    // Handles of flanger, chorus, echo and reverb, by the switch bit.
    audio::Handle EffectHandle(uint8_t flag) const;
    audio::Handle RotateDsp() const { return m_rotateDsp; }
    RotateState& Rotation() { return m_rotate; }

private:
    struct SingleEffect {
        uint8_t flag;
        uint32_t type;
        audio::Handle handle = 0;
        audio::FxParams record;
    };
    ChannelState Current() const { return m_query ? m_query() : ChannelState{}; }
    void SwitchClick(DjEffect effect, uint8_t flag);
    void AttachBand(audio::Handle channel, int band, int8_t gain);

    audio::AudioLibrary& m_library;
    ChannelQuery m_query;

    uint8_t m_effectFlags = 0;
    EqRecord m_eqGains{};
    bool m_presetLoading = false;
    audio::ParamEqParams m_paramEq;
    std::array<SingleEffect, 4> m_single;
    std::array<audio::Handle, kBandCount> m_bandFx{};

    bool m_chEqualizer = false;
    bool m_eqControlsEnabled = false;
    std::array<int, kBandCount> m_sliders{};
    int m_presetIndex = -1;
    std::array<bool, kDjEffectCount> m_djChecks{};

    RotateState m_rotate;
    audio::Handle m_rotateDsp = 0;
};

}  // namespace tv::effects
