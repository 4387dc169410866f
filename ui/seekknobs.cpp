#include "ui/seekknobs.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "ui/skin/skinpicture.h"

namespace tv::ui {

SeekKnobs::SeekKnobs(const SeekKnobParts& parts, core::PlayerModel& model,
                     std::function<void(int, int)> videoSeek, std::function<void()> startMainTimer)
    : m_parts(parts),
      m_model(model),
      m_videoSeek(std::move(videoSeek)),
      m_startMainTimer(std::move(startMainTimer)) {
    for (QObject* watched :
         {static_cast<QObject*>(m_parts.track), static_cast<QObject*>(m_parts.knob),
          static_cast<QObject*>(m_parts.posLen)})
        watched->installEventFilter(this);
}

void SeekKnobs::Place(int x) {
    m_parts.knob->move(m_parts.trackLeft + std::clamp(x, 0, m_parts.travel), m_parts.knob->y());
}

bool SeekKnobs::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    auto* me = static_cast<QMouseEvent*>(event);
    if (watched == m_parts.posLen) {
        if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton)
            m_model.Advance().lbPosLenClick();
        return false;
    }
    const int windowX = m_parts.window->mapFromGlobal(me->globalPosition().toPoint()).x();
    const int centred = windowX - m_parts.trackLeft - m_parts.knobWidth / 2;
    if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
        if (watched == m_parts.knob && m_model.GetPlayer().PlayState() != core::kStopped) {
            m_knobDrag = true;
            m_dragStartX = windowX;
            m_dragStartKnob = m_parts.knob->x() - m_parts.trackLeft;
        } else if (watched == m_parts.track) {
            m_trackDrag = true;
            Place(centred);
        }
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (m_trackDrag)
            Place(centred);
        if (m_knobDrag)
            Place(m_dragStartKnob + windowX - m_dragStartX);
        return Dragging();
    }
    if (type == QEvent::MouseButtonRelease && Dragging()) {
        m_trackDrag = m_knobDrag = false;
        Release();
        return true;
    }
    return false;
}

void SeekKnobs::Release() {
    const int state = m_model.GetPlayer().PlayState();
    const int x = m_parts.knob->x() - m_parts.trackLeft;
    QTimer* timer = m_parts.mainTimer;
    if (state == core::kVideoPlaying || state == core::kVideoPaused) {
        timer->stop();
        if (x >= m_parts.travel)
            m_model.Advance().btnNextClick();
        else
            m_videoSeek(x, m_parts.travel);
    } else {
        if ((state != core::kAudioPlaying && state != core::kAudioPaused) ||
            !m_model.Advance().KnobsIdle())
            return;
        timer->stop();
        m_model.Advance().SeekKnobReleased(x, m_parts.travel);
    }
    // A next track started at the far right runs its own timer; when nothing started (an
    // empty playlist, a pause) the track still there needs its timer back.
    if (!timer->isActive())
        m_startMainTimer();
}

}  // namespace tv::ui
