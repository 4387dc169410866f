#include "spectrum/spectrumcontroller.h"

#include <exception>

namespace tv::spectrum {

namespace {

const QColor kGrey(64, 64, 64);

}  // namespace

SpectrumController::SpectrumController(audio::AudioLibrary& library, PlayStateFn playState,
                                       ChannelFn channel, const QImage& background)
    : m_library(library),
      m_playState(std::move(playState)),
      m_channel(std::move(channel)),
      m_spectrum(kWidth, kHeight) {
    m_spectrum.SetBackground(true, background);
    m_spectrum.MaxLevel = kHeight;
    m_spectrum.BarColor = kGrey;
    m_spectrum.ShowPeaks = false;
    m_spectrum.PeakColor = kGrey;
    m_spectrum.Mode = kModeBigLines;
    m_spectrum.BarFall = 2;
    // Until the first frame the box shows its background picture.
    m_canvas = m_spectrum.BackgroundBitmap().copy();
    m_canvasPainter.begin(&m_canvas);
}

void SpectrumController::SetTimerEnabled(bool enabled) {
    if (m_timerEnabled == enabled)
        return;
    m_timerEnabled = enabled;
    NotifyTimer();
}

void SpectrumController::SetInterval(int intervalMs) {
    m_interval = intervalMs;
    NotifyTimer();
}

void SpectrumController::NotifyTimer() {
    if (m_timerListener)
        m_timerListener();
}

bool SpectrumController::tmrFFTTimer() {
    if (!m_playState || m_playState() != kPlayStateAudioPlaying)
        return false;
    try {
        const audio::Handle channel = m_channel ? m_channel() : 0;
        if (m_library.ChannelGetData(channel, m_request.data(), audio::kDataFft1024) >= 0)
            m_frame = m_request;
        m_spectrum.Draw(&m_canvasPainter, m_frame, 0, 0);
    } catch (const std::exception&) {
        // Nothing is reported from the display; the next tick simply tries again.
        return false;
    }
    return true;
}

void SpectrumController::ChooseMenuItem(SpectrumMenuItem item) {
    m_menu.Toggle(item);
    RunHandler(item);
}

void SpectrumController::RunHandler(SpectrumMenuItem item) {
    switch (item) {
        case SpectrumMenuItem::Mode21:
            Mode21Click();
            break;
        case SpectrumMenuItem::Mode11:
            Mode11Click();
            break;
        case SpectrumMenuItem::Mode31:
            Mode31Click();
            break;
        case SpectrumMenuItem::DPeak:
            DPeakClick();
            break;
        case SpectrumMenuItem::Low1:
            Low1Click();
            break;
        case SpectrumMenuItem::Normal1:
            Normal1Click();
            break;
        case SpectrumMenuItem::High1:
            High1Click();
            break;
        case SpectrumMenuItem::Ultra1:
            Ultra1Click();
            break;
    }
}

void SpectrumController::Mode21Click() {
    m_spectrum.Mode = kModeBigLines;
}
void SpectrumController::Mode11Click() {
    m_spectrum.Mode = kModeLines;
}
void SpectrumController::Mode31Click() {
    m_spectrum.Mode = kModeNone;
}
void SpectrumController::DPeakClick() {
    m_spectrum.ShowPeaks = m_menu.Checked(SpectrumMenuItem::DPeak);
}
void SpectrumController::Low1Click() {
    SetInterval(70);
}
void SpectrumController::Normal1Click() {
    SetInterval(50);
}
void SpectrumController::High1Click() {
    SetInterval(30);
}
void SpectrumController::Ultra1Click() {
    SetInterval(10);
}

void SpectrumController::boxPaintClick() {
    // The cycle follows the ticks, not Mode: a mode set from the settings file without a
    // menu item does not take part until a mode is chosen.
    SpectrumMenuItem next;
    if (m_menu.Checked(SpectrumMenuItem::Mode11))
        next = SpectrumMenuItem::Mode21;
    else if (m_menu.Checked(SpectrumMenuItem::Mode21))
        next = SpectrumMenuItem::Mode31;
    else if (m_menu.Checked(SpectrumMenuItem::Mode31))
        next = SpectrumMenuItem::Mode11;
    else
        return;
    RunHandler(next);
    m_menu.SetChecked(next, true);
}

void SpectrumController::ApplySpectrumMode(int mode) {
    m_spectrum.Mode = mode;
    if (auto item = SpectrumMenuModel::ItemForMode(mode))
        m_menu.SetChecked(*item, true);
}

void SpectrumController::ApplySpectrumSpeed(int intervalMs) {
    SetInterval(intervalMs);
    if (auto item = SpectrumMenuModel::ItemForSpeed(intervalMs))
        m_menu.SetChecked(*item, true);
}

void SpectrumController::ApplyPeak(bool peak) {
    m_spectrum.ShowPeaks = peak;
    m_menu.SetChecked(SpectrumMenuItem::DPeak, peak);
}

void SpectrumController::ApplySettings(const SpectrumSettings& settings) {
    ApplySpectrumMode(settings.mode);
    ApplySpectrumSpeed(settings.speed);
    ApplyPeak(settings.peak);
}

}  // namespace tv::spectrum
