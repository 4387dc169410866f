#pragma once

// The pieces main() composes around the player model and the main window: the single-instance
// hand-off and listener, the termination signals, the desktop's remote control, the other
// windows and the --verbose dropout report. Each is built in main's order and torn down by
// its destructor (or Close) in the reverse order.
//
// Threads: user-interface thread only (the signal handler only writes one byte).

#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/audio/engine.h"
#include "core/mediacontrol.h"
#include "core/playermodel.h"
#include "desktop/instanceserver.h"
#include "desktop/mprisservice.h"
#include "effects/windows/tfrmequalizer.h"
#include "playlist/windows/tfrmopen.h"
#include "ui/aboutwindow.h"
#include "ui/mainwindow.h"

namespace tv::app {

// One player per settings folder: hands `names` (made absolute) to a running player. nullopt
// when it took them (this start ends with status 0); otherwise the socket this player listens
// on (empty: none, as with --new-instance or a player that does not answer).
std::optional<std::filesystem::path> HandOffToRunningPlayer(const char* argv0,
                                                            const std::vector<std::string>& names,
                                                            bool newInstance);

// SIGTERM and SIGINT run `onSignal` on the event loop (an orderly close: fade, state saved).
void InstallTerminationSignals(QObject* owner, std::function<void()> onSignal);

// The open-folder, equalizer and About windows, created after the main window and known to it.
class OtherWindows {
public:
    OtherWindows(ui::TfrmMain& main, core::PlayerModel& model);
    ~OtherWindows();  // the open-folder window writes its keys as it goes

private:
    ui::TfrmMain& m_main;
    std::unique_ptr<playlist::TfrmOpen> m_open;
    std::unique_ptr<effects::TfrmEqualizer> m_equalizer;
    std::unique_ptr<ui::TfrmAbout> m_about;
};

// The desktop's remote control on the session bus; without a bus the player runs without it.
class RemoteControl {
public:
    RemoteControl(core::PlayerModel& model, ui::TfrmMain& main, core::TrackInfoReader& trackInfo);
    void Close() { m_mpris.reset(); }

private:
    core::MediaControl m_control;
    std::unique_ptr<desktop::MprisService> m_mpris;
};

// Names of later starts, taken one message at a time and in their order: taking one lets
// events run (fades, titles filling in), and the next must not cut into it.
class SecondStarts {
public:
    SecondStarts(ui::TfrmMain& main, const std::filesystem::path& socket);
    void Close() { m_server.Close(); }

private:
    void Take(const std::vector<std::string>& names);

    ui::TfrmMain& m_main;
    std::deque<std::vector<std::string>> m_pending;
    bool m_taking = false;
    desktop::InstanceServer m_server;
};

// --verbose: the engine's dropout count, printed when it changes and once at the end.
class DropoutReport {
public:
    DropoutReport(audio::Engine& engine, bool on);
    ~DropoutReport();

private:
    audio::Engine& m_engine;
    bool m_on;
    uint64_t m_shown = 0;
    QTimer m_timer;
};

}  // namespace tv::app
