#include "effects/effectchain.h"

#include <algorithm>

namespace tv::effects {

EffectChain::EffectChain(audio::AudioLibrary& library, ChannelQuery query)
    : m_library(library),
      m_query(std::move(query)),
      m_single{{{kFlagFlanger, audio::kFxFlanger, 0, audio::FlangerParams{}},
                {kFlagChorus, audio::kFxChorus, 0, audio::ChorusParams{}},
                {kFlagEcho, audio::kFxEcho, 0, audio::EchoParams{}},
                {kFlagReverb, audio::kFxReverb, 0, audio::ReverbParams{}}}} {
    m_presetIndex = 0;
    InitEffectParameters(0x2F);
}

void EffectChain::InitEffectParameters(uint8_t mask) {
    if (mask & kFlagEqualizer)
        m_paramEq.fBandwidth = 9.0f;
}

audio::Handle EffectChain::EffectHandle(uint8_t flag) const {
    for (const auto& e : m_single)
        if (e.flag == flag)
            return e.handle;
    return 0;
}

void EffectChain::RemoveAllEffects() {
    const audio::Handle channel = Current().channel;
    auto remove = [&](audio::Handle& handle) {
        if (handle != 0 && m_library.ChannelRemoveFX(channel, handle))
            handle = 0;
    };
    for (auto& e : m_single)
        remove(e.handle);
    for (auto& h : m_bandFx)
        remove(h);
}

void EffectChain::ForgetEffectHandles() {
    for (auto& e : m_single)
        e.handle = 0;
    m_bandFx.fill(0);
}

void EffectChain::AttachBand(audio::Handle channel, int band, int8_t gain) {
    audio::Handle& handle = m_bandFx[band];
    if (handle == 0)
        handle = m_library.ChannelSetFX(channel, audio::kFxParamEq, 1);
    m_paramEq.fCenter = static_cast<float>(EqBandFrequencies[band]);
    m_paramEq.fGain = static_cast<float>(gain);
    // Sent even when the attach failed; the library refuses handle 0 and that is ignored.
    m_library.FXSetParameters(handle, m_paramEq);
}

void EffectChain::ApplyEffects(uint8_t flags) {
    const ChannelState current = Current();
    if (!current.live)
        return;
    const audio::Handle channel = current.channel;
    RemoveAllEffects();

    for (auto& e : m_single) {
        if (!(flags & e.flag))
            continue;
        if (e.handle == 0)
            e.handle = m_library.ChannelSetFX(channel, e.type, 1);
        if (e.handle != 0 && m_library.FXGetParameters(e.handle, e.record))
            m_library.FXSetParameters(e.handle, e.record);
    }

    const bool turbo = (flags & kFlagTurboBass) != 0;
    if (flags & kFlagEqualizer) {
        for (int i = 0; i < kBandCount; ++i)
            AttachBand(channel, i, turbo && i <= 2 ? TurboBassGains[i] : m_eqGains[i]);
    } else if (turbo) {
        for (int i = 0; i <= 2; ++i)
            AttachBand(channel, i, TurboBassGains[i]);
    }
}

void EffectChain::SetSlidersFromPreset(const EqRecord& record) {
    for (int i = 0; i < kBandCount; ++i)
        SetSliderPosition(i, -record[i]);
}

void EffectChain::boxEQSelectChange() {
    m_presetLoading = true;
    if (m_presetIndex >= 0 && m_presetIndex < kPresetCount) {
        m_eqGains = EqPresets[m_presetIndex];
        SetSlidersFromPreset(EqPresets[m_presetIndex]);
    }
    m_presetLoading = false;
    m_effectFlags |= kFlagEqualizer;
    ApplyEffects(m_effectFlags);
}

void EffectChain::barEQChange(int band) {
    m_eqGains.at(band) = static_cast<int8_t>(-m_sliders.at(band));
    if (!m_presetLoading)
        m_presetIndex = kPresetCustom;
    m_effectFlags |= kFlagEqualizer;
    ApplyEffects(m_effectFlags);
}

void EffectChain::chEqualizerClick() {
    if (m_chEqualizer)
        m_effectFlags |= kFlagEqualizer;
    else
        m_effectFlags &= 0xDF;
    m_eqControlsEnabled = m_chEqualizer;
    ApplyEffects(m_effectFlags);
}

void EffectChain::SwitchClick(DjEffect effect, uint8_t flag) {
    if (EffectChecked(effect))
        m_effectFlags |= flag;
    else
        m_effectFlags &= static_cast<uint8_t>(~flag);
    ApplyEffects(m_effectFlags);
}

void EffectChain::UpdateRotation() {
    const audio::Handle channel = Current().channel;
    if (EffectChecked(DjEffect::Rotate)) {
        // No processor of ours is attached at this point, so the mixing thread is not
        // reading the phase while it is reset.
        m_rotate.RotatePhase.store(kRotateStartPhase, std::memory_order_relaxed);
        m_rotateDsp = m_library.ChannelSetDSP(channel, &RotateDspProc, &m_rotate, 0);
    } else {
        m_library.ChannelRemoveDSP(channel, m_rotateDsp);
    }
}

void EffectChain::SetEqualizerChecked(bool checked) {
    if (m_chEqualizer == checked)
        return;
    m_chEqualizer = checked;
    chEqualizerClick();
}

void EffectChain::SetSliderPosition(int band, int position) {
    position = std::clamp(position, kSliderMin, kSliderMax);
    if (m_sliders.at(band) == position)
        return;
    m_sliders[band] = position;
    barEQChange(band);
}

void EffectChain::SetEffectChecked(DjEffect effect, bool checked) {
    bool& box = m_djChecks.at(static_cast<int>(effect));
    if (box == checked)
        return;
    box = checked;
    switch (effect) {
        case DjEffect::Flange:
            chFlangeClick();
            break;
        case DjEffect::Chorus:
            chChorusClick();
            break;
        case DjEffect::Echo:
            chEchoClick();
            break;
        case DjEffect::Reverb:
            chReverbClick();
            break;
        case DjEffect::Bass:
            chBassClick();
            break;
        case DjEffect::Rotate:
            chRotateClick();
            break;
    }
}

}  // namespace tv::effects
