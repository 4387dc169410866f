#include "core/hotkeyactions.h"

namespace tv::core {

HotkeyActions::HotkeyActions(audio::AudioLibrary& library, Player& player, TrackAdvance& advance)
    : m_library(library), m_player(player), m_advance(advance) {}

void HotkeyActions::Run(int index) {
    switch (index) {
        case 0:
            m_player.btnPlayClick();
            break;
        case 1:
            m_player.btnPauseClick();
            break;
        case 2:
            m_advance.btnBackClick();
            break;
        case 3:
            m_advance.btnNextClick();
            break;
        case 4:
            Forward();
            break;
        case 5:
            Back();
            break;
        case 6:
            VolumeUp();
            break;
        case 7:
            VolumeDown();
            break;
        default:
            break;
    }
}

bool HotkeyActions::AudioLoaded() const {
    const int state = m_player.PlayState();
    return state == kAudioPlaying || state == kAudioPaused;
}

void HotkeyActions::Forward() {
    if (!AudioLoaded())
        return;  // nothing for video; the engine refuses a seek when stopped anyway
    const uint32_t p = m_player.GetPositionMs();
    const uint32_t l = m_player.GetLengthMs();
    if (uint64_t(p) + kHotkeySeekStepMs > l)
        m_player.SeekToMs(l > 0 ? l - 1 : 0);
    else
        m_player.SeekToMs(p + kHotkeySeekStepMs);
}

void HotkeyActions::Back() {
    if (!AudioLoaded())
        return;
    const uint32_t p = m_player.GetPositionMs();
    m_player.SeekToMs(p > kHotkeySeekStepMs ? p - kHotkeySeekStepMs : 0);
}

void HotkeyActions::VolumeUp() {
    if (m_player.ChannelVolume() < 100)
        m_player.SetChannelVolume(m_player.ChannelVolume() + 1);
    SlideToChannelVolume();
}

void HotkeyActions::VolumeDown() {
    if (m_player.ChannelVolume() > 0)
        m_player.SetChannelVolume(m_player.ChannelVolume() - 1);
    SlideToChannelVolume();
}

void HotkeyActions::SlideToChannelVolume() {
    m_library.ChannelSlideAttributes(m_player.Channel(), -1, m_player.ChannelVolume(), -101,
                                     kFadeTime);
}

}  // namespace tv::core
