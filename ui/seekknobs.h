#pragma once

// The seek slider's mouse routing on the main window: a press on the track Image4 or on the
// drag knob Image10 lets the user place the knob, the release seeks (audio: through the track
// advance; video: the video window's position bar; at the far right: Next), and a press on
// the position label switches the time mode. The main timer is held during the seek.
//
// Threads: user-interface thread only.

#include <QObject>
#include <functional>

#include "core/playermodel.h"

class QLabel;
class QTimer;
class QWidget;

namespace tv::ui {

class SkinPicture;

struct SeekKnobParts {
    QWidget* window = nullptr;     // the main window (pointer places are in its coordinates)
    SkinPicture* track = nullptr;  // Image4
    SkinPicture* knob = nullptr;   // Image10
    QLabel* posLen = nullptr;      // lbPosLen
    QTimer* mainTimer = nullptr;   // tmrMain
    int trackLeft = 0;
    int knobWidth = 0;
    int travel = 0;
};

class SeekKnobs : public QObject {
public:
    // `videoSeek(x, travel)` sets the video's position bar; `startMainTimer` restarts the
    // main timer at the interval of the play state. Parts and the model outlive this object.
    SeekKnobs(const SeekKnobParts& parts, core::PlayerModel& model,
              std::function<void(int x, int travel)> videoSeek,
              std::function<void()> startMainTimer);

    // True while the user drags the knob or presses on the track.
    bool Dragging() const { return m_trackDrag || m_knobDrag; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place(int x);
    void Release();

    SeekKnobParts m_parts;
    core::PlayerModel& m_model;
    std::function<void(int, int)> m_videoSeek;
    std::function<void()> m_startMainTimer;
    bool m_trackDrag = false;
    bool m_knobDrag = false;
    int m_dragStartX = 0;
    int m_dragStartKnob = 0;
};

}  // namespace tv::ui
