#pragma once

// The spectrum display on the main window: a 100 x 24 box that shows the painter's frames,
// owns the refresh timer tmrFFT and the pop-up menu SpectrumMenu, and forwards every user
// action to its SpectrumController. The main window places it (at 111, 30), shows or hides
// it, enables or disables the timer through Controller().SetTimerEnabled, and loads and
// saves the settings keys through Controller().
//
// Threads: user-interface thread only.

#include <array>

#include <QImage>
#include <QWidget>

#include "spectrum/spectrumcontroller.h"

class QAction;
class QMenu;
class QTimer;

namespace tv::spectrum {

class SpectrumView : public QWidget {
    Q_OBJECT

public:
    // With the background picture from the program's resources.
    SpectrumView(audio::AudioLibrary& library, SpectrumController::PlayStateFn playState,
                 SpectrumController::ChannelFn channel, QWidget* parent = nullptr);
    SpectrumView(audio::AudioLibrary& library, SpectrumController::PlayStateFn playState,
                 SpectrumController::ChannelFn channel, const QImage& background,
                 QWidget* parent = nullptr);

    SpectrumController& Controller() { return m_controller; }
    const QTimer& tmrFFT() const { return *m_timer; }
    // The pop-up menu and its items, ticks refreshed from the controller's menu model.
    QMenu* SpectrumMenu();
    QAction* MenuAction(SpectrumMenuItem item) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildMenu();
    void RefreshMenuTicks();
    void ApplyTimer();
    void tmrFFTTimer();

    SpectrumController m_controller;
    QTimer* m_timer = nullptr;
    QMenu* m_menu = nullptr;
    std::array<QAction*, kSpectrumMenuItemCount> m_actions{};
    bool m_leftPressed = false;
};

}  // namespace tv::spectrum
