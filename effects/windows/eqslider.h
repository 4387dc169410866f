#pragma once

// A band slider of the equalizer window. It behaves as a plain vertical QSlider (range, steps,
// keys, mouse) and only draws itself differently: a slim groove with a mark at 0 dB and a fill
// that runs from that mark to the knob, up for a boost and down for a cut, so a flat band shows
// no fill at all and equal boosts and cuts look equally large.
//
// Threads: user-interface thread only.

#include <QSlider>

namespace tv::effects {

class EqSlider : public QSlider {
public:
    explicit EqSlider(QWidget* parent = nullptr);

    // The row of the knob's centre at `value`, in the slider's own coordinates.
    int KnobCentreAt(int value) const;
    // The row of the 0 dB mark: where the knob's centre sits at the value 0 (the middle of the
    // range -15 ... 15), in the slider's own coordinates.
    int ZeroY() const;
    // The filled part of the groove: from ZeroY to the knob's centre; empty at 0 dB.
    QRect FillRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect HandleRect() const;  // where the style places the knob (mouse handling agrees)
    QRect GrooveRect() const;
};

}  // namespace tv::effects
