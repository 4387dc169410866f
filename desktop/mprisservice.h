#pragma once

// The player on the session bus as a media player that desktops and remotes drive
// (bus name org.mpris.MediaPlayer2.torvanell, object /org/mpris/MediaPlayer2, interfaces
// org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player). A thin layer: the state and the
// commands are core::MediaControl's; this object only marshals them and announces changes.
//
// Changes are announced with org.freedesktop.DBus.Properties.PropertiesChanged: the state is
// compared with the last announced one after every command that came over the bus and on a
// 100 ms timer, so a change made by a button, a key, a hotkey or a track's end reaches the
// remote as well.
//
// Threads: user-interface thread only.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <deque>
#include <functional>

#include "core/mediacontrol.h"

class QTimer;

namespace tv::desktop {

struct MprisHooks {
    std::function<void()> raise;  // shows the main window on top
    std::function<void()> quit;   // closes the main window (fade, settings, playlist)
    // OpenUri: the names of a local file URL, taken like a second start's command line.
    std::function<void(const std::vector<std::string>&)> open;
};

class MprisService : public QObject {
    Q_OBJECT
public:
    // `control` must outlive the service.
    MprisService(core::MediaControl& control, MprisHooks hooks, QObject* parent = nullptr);
    ~MprisService() override;

    // Registers the object and the bus name (org.mpris.MediaPlayer2.torvanell, or with
    // ".instance<pid>" appended when another player holds it). False, with nothing
    // registered, when there is no session bus: the player then runs without it.
    bool Register();
    // The bus name taken; empty before Register or when it failed.
    QString ServiceName() const { return m_serviceName; }

    core::MediaControl& Control() { return m_control; }
    const MprisHooks& Hooks() const { return m_hooks; }
    // Announces the properties that changed since the last announcement.
    void AnnounceChanges();
    // Tells the remote that the position jumped (signal Seeked).
    void AnnounceSeek();
    // Runs `command` once the bus reply has gone and every command taken before it has ended.
    // A transport command waits for its fade with events running; a command that arrives
    // meanwhile (a seek right after Next, a Stop during a fade) must act on the state that
    // command leaves, not on the track that is fading out, so it waits its turn.
    void RunInTurn(std::function<void()> command);

    // The D-Bus forms of the state.
    QVariantMap MetadataMap(const core::TrackMetadata& m) const;
    QVariant PropertyValue(const std::string& name, const core::ControlState& s) const;

private:
    core::MediaControl& m_control;
    MprisHooks m_hooks;
    core::ControlState m_announced;
    QTimer* m_poll = nullptr;
    QString m_serviceName;
    std::deque<std::function<void()>> m_commands;  // taken, not yet run
    bool m_runningCommand = false;
};

}  // namespace tv::desktop
