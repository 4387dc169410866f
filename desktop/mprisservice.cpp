#include "desktop/mprisservice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include "desktop/mprisadaptors.h"

namespace tv::desktop {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
constexpr int kPollMs = 100;

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

MprisService::MprisService(core::MediaControl& control, MprisHooks hooks, QObject* parent)
    : QObject(parent), m_control(control), m_hooks(std::move(hooks)) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

MprisService::~MprisService() {
    if (m_serviceName.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kObjectPath);
    bus.unregisterService(m_serviceName);
}

bool MprisService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    QString name = QStringLiteral("org.mpris.MediaPlayer2.torvanell");
    if (!bus.registerService(name)) {
        // A second player (started with --new-instance) takes a name of its own.
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(kObjectPath);
            return false;
        }
    }
    m_serviceName = name;
    m_announced = m_control.State();
    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &MprisService::AnnounceChanges);
    m_poll->start();
    return true;
}

QVariantMap MprisService::MetadataMap(const core::TrackMetadata& m) const {
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(Text(m.trackId))));
    if (m.trackId == core::kNoTrackId)
        return map;
    if (m.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), QVariant::fromValue(qlonglong(m.lengthUs)));
    map.insert(QStringLiteral("xesam:title"), Text(m.title));
    if (!m.artist.empty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{Text(m.artist)});
    map.insert(QStringLiteral("xesam:url"), Text(m.url));
    return map;
}

QVariant MprisService::PropertyValue(const std::string& name, const core::ControlState& s) const {
    if (name == "PlaybackStatus")
        return Text(s.playbackStatus);
    if (name == "LoopStatus")
        return Text(s.loopStatus);
    if (name == "Shuffle")
        return s.shuffle;
    if (name == "Volume")
        return s.volume;
    if (name == "Metadata")
        return MetadataMap(s.metadata);
    if (name == "CanGoNext")
        return s.canGoNext;
    return {};
}

void MprisService::AnnounceChanges() {
    if (m_serviceName.isEmpty())
        return;
    const core::ControlState now = m_control.State();
    const std::vector<std::string> changed = core::ChangedProperties(m_announced, now);
    m_announced = now;
    if (changed.empty())
        return;
    QVariantMap values;
    for (const std::string& name : changed) {
        values.insert(Text(name), PropertyValue(name, now));
        if (name == "CanGoNext") {  // the three follow the playlist together
            values.insert(QStringLiteral("CanGoPrevious"), now.canGoNext);
            values.insert(QStringLiteral("CanPlay"), now.canGoNext);
        }
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << values << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void MprisService::AnnounceSeek() {
    if (m_serviceName.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, kPlayerInterface, QStringLiteral("Seeked"));
    signal << qlonglong(m_control.PositionUs());
    QDBusConnection::sessionBus().send(signal);
}

void MprisService::RunInTurn(std::function<void()> command) {
    m_commands.push_back(std::move(command));
    // After the reply has gone: a remote should not wait for a fade to hear that its command
    // was taken.
    QTimer::singleShot(0, this, [this] {
        if (m_runningCommand)
            return;  // the running command's loop takes it when it is done
        m_runningCommand = true;
        while (!m_commands.empty()) {
            const std::function<void()> next = std::move(m_commands.front());
            m_commands.pop_front();
            next();
        }
        m_runningCommand = false;
    });
}

// --- org.mpris.MediaPlayer2 -------------------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"),       QStringLiteral("audio/ogg"),
            QStringLiteral("audio/flac"),       QStringLiteral("audio/x-wav"),
            QStringLiteral("audio/x-ms-wma"),   QStringLiteral("audio/x-mod"),
            QStringLiteral("audio/x-xm"),       QStringLiteral("audio/x-it"),
            QStringLiteral("audio/x-s3m"),      QStringLiteral("audio/x-mpegurl"),
            QStringLiteral("video/mp4"),        QStringLiteral("video/x-msvideo"),
            QStringLiteral("video/x-matroska"), QStringLiteral("video/mpeg")};
}

void MprisRootAdaptor::Raise() {
    if (m_service->Hooks().raise)
        m_service->Hooks().raise();
}

void MprisRootAdaptor::Quit() {
    // After the reply: the close fades out with events running.
    QTimer::singleShot(0, m_service, [service = m_service] {
        if (service->Hooks().quit)
            service->Hooks().quit();
    });
}

// --- org.mpris.MediaPlayer2.Player ------------------------------------------------------

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {
    setAutoRelaySignals(false);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return Text(m_service->Control().State().playbackStatus);
}

QString MprisPlayerAdaptor::LoopStatus() const {
    return Text(m_service->Control().State().loopStatus);
}

void MprisPlayerAdaptor::SetLoopStatus(const QString& status) {
    m_service->Control().SetLoopStatus(status.toStdString());
    m_service->AnnounceChanges();
}

bool MprisPlayerAdaptor::Shuffle() const {
    return m_service->Control().State().shuffle;
}

void MprisPlayerAdaptor::SetShuffle(bool on) {
    m_service->Control().SetShuffle(on);
    m_service->AnnounceChanges();
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
    return m_service->MetadataMap(m_service->Control().State().metadata);
}

double MprisPlayerAdaptor::Volume() const {
    return m_service->Control().State().volume;
}

void MprisPlayerAdaptor::SetVolume(double volume) {
    m_service->Control().SetVolume(volume);
    m_service->AnnounceChanges();
}

qlonglong MprisPlayerAdaptor::Position() const {
    return m_service->Control().PositionUs();
}

bool MprisPlayerAdaptor::CanGoNext() const {
    return m_service->Control().State().canGoNext;
}

// The transport commands run after the reply has gone: they wait for fades with events
// running, and a remote should not wait for a fade to hear that its command was taken.
#define TV_MPRIS_COMMAND(Name)                       \
    void MprisPlayerAdaptor::Name() {                \
        m_service->RunInTurn([service = m_service] { \
            service->Control().Name();               \
            service->AnnounceChanges();              \
        });                                          \
    }
TV_MPRIS_COMMAND(PlayPause)
TV_MPRIS_COMMAND(Play)
TV_MPRIS_COMMAND(Pause)
TV_MPRIS_COMMAND(Stop)
TV_MPRIS_COMMAND(Next)
TV_MPRIS_COMMAND(Previous)
#undef TV_MPRIS_COMMAND

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    m_service->RunInTurn([service = m_service, offset] {
        if (service->Control().Seek(offset))
            service->AnnounceSeek();
        service->AnnounceChanges();
    });
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    const std::string id = trackId.path().toStdString();
    m_service->RunInTurn([service = m_service, id, position] {
        if (service->Control().SetPosition(id, position))
            service->AnnounceSeek();
    });
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (!url.isLocalFile() || !m_service->Hooks().open)
        return;
    const std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
    m_service->RunInTurn([service = m_service, path] {
        service->Hooks().open({path});
        service->AnnounceChanges();
    });
}

}  // namespace tv::desktop
