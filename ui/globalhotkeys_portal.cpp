// The global hotkeys through the desktop portal's GlobalShortcuts interface on the session bus,
// which Wayland desktops offer instead of key grabs: one session per player, the eight
// actions bound in it with the table's Ctrl+Alt keys as preferred triggers (the desktop may
// let the user choose others in its settings), and the portal's Activated signal naming the
// action by its identifier ("Hotkey1"...). Every call is asynchronous: a desktop without the
// portal answers with an error, and the hotkeys then silently do nothing.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QTimer>
#include <array>

#include "core/hotkeyactions.h"
#include "ui/globalhotkeys.h"

namespace tv::ui {

namespace Internal {

// One entry of the portal's shortcut list, (sa{sv}) on the bus.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

}  // namespace Internal

}  // namespace tv::ui

Q_DECLARE_METATYPE(tv::ui::Internal::PortalShortcut)
Q_DECLARE_METATYPE(tv::ui::Internal::PortalShortcutList)

namespace tv::ui {

namespace {

using Internal::PortalShortcut;
using Internal::PortalShortcutList;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// What the desktop's settings show for each row of the hotkey table, and its keys in the
// portal's trigger notation (modifiers, then the key's XKB name).
struct PortalEntry {
    const char* description;
    const char* trigger;
};
constexpr std::array<PortalEntry, core::kHotkeyCount> kPortalTable = {{
    {"Play", "CTRL+ALT+Insert"},
    {"Pause", "CTRL+ALT+Home"},
    {"Previous title", "CTRL+ALT+Page_Up"},
    {"Next title", "CTRL+ALT+Page_Down"},
    {"Forward 5 seconds", "CTRL+ALT+Right"},
    {"Back 5 seconds", "CTRL+ALT+Left"},
    {"Volume up", "CTRL+ALT+Up"},
    {"Volume down", "CTRL+ALT+Down"},
}};

class PortalHotkeys : public QObject, public GlobalHotkeys {
    Q_OBJECT
public:
    explicit PortalHotkeys(const QDBusConnection& bus) : m_bus(bus) {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<PortalShortcutList>();
    }
    ~PortalHotkeys() override { UnregisterAll(); }

    void RegisterAll(std::function<void(int)> onHotkey) override {
        UnregisterAll();
        m_onHotkey = std::move(onHotkey);
        m_registered = true;
        const QString token = NextToken();
        Request(QStringLiteral("CreateSession"),
                {QVariantMap{{QStringLiteral("handle_token"), token},
                             {QStringLiteral("session_handle_token"), token}}},
                token, SLOT(OnSessionCreated(uint, QVariantMap)));
    }

    void UnregisterAll() override {
        if (!m_registered)
            return;
        m_registered = false;
        DropRequest();
        if (!m_session.isEmpty()) {
            m_bus.disconnect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                             SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
            // Closing the session removes the bindings; nobody waits for the answer.
            m_bus.asyncCall(QDBusMessage::createMethodCall(
                kService, m_session, QStringLiteral("org.freedesktop.portal.Session"),
                QStringLiteral("Close")));
            m_session.clear();
        }
        m_held = 0;
        m_onHotkey = nullptr;
    }

    int HeldCount() const override { return m_held; }

private slots:
    void OnSessionCreated(uint response, const QVariantMap& results) {
        DropRequest();
        if (response != 0 || !m_registered)
            return;  // refused or cancelled: no hotkeys
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_session = handle.canConvert<QDBusObjectPath>()
                        ? qvariant_cast<QDBusObjectPath>(handle).path()
                        : handle.toString();
        if (m_session.isEmpty())
            return;
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                      SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        PortalShortcutList shortcuts;
        for (int i = 0; i < core::kHotkeyCount; ++i)
            shortcuts.append(
                {QString::fromLatin1(core::kHotkeyTable[i].atomName),
                 {{QStringLiteral("description"), QString::fromUtf8(kPortalTable[i].description)},
                  {QStringLiteral("preferred_trigger"),
                   QString::fromLatin1(kPortalTable[i].trigger)}}});
        const QString token = NextToken();
        Request(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
                 QString(), QVariantMap{{QStringLiteral("handle_token"), token}}},
                token, SLOT(OnBound(uint, QVariantMap)));
    }

    void OnBound(uint response, const QVariantMap& results) {
        DropRequest();
        if (response != 0)
            return;
        PortalShortcutList bound;
        const QVariant list = results.value(QStringLiteral("shortcuts"));
        if (list.canConvert<QDBusArgument>())
            qvariant_cast<QDBusArgument>(list) >> bound;
        m_held = 0;
        for (const PortalShortcut& shortcut : bound)
            m_held += IndexOf(shortcut.id) >= 0 ? 1 : 0;
    }

    void OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                     const QVariantMap&) {
        const int index = IndexOf(id);
        if (session.path() != m_session || index < 0)
            return;
        // Run after the bus's dispatch: the actions wait for fades with events running.
        QTimer::singleShot(0, this, [this, index] {
            if (m_onHotkey)
                m_onHotkey(index);
        });
    }

private:
    static int IndexOf(const QString& id) {
        for (int i = 0; i < core::kHotkeyCount; ++i)
            if (id == QLatin1String(core::kHotkeyTable[i].atomName))
                return i;
        return -1;
    }

    QString NextToken() { return QStringLiteral("torvanell%1").arg(++m_tokenCount); }

    // Calls a portal method whose answer comes as the Response signal of a request object.
    // The signal is subscribed to on the path the portal will use before the call is made, so
    // a quick answer is not missed; a call that fails (no portal) ends the attempt.
    void Request(const QString& method, const QVariantList& arguments, const QString& token,
                 const char* slot) {
        QString sender = m_bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        m_requestPath = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
        m_requestSlot = slot;
        m_bus.connect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                      slot);
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        call.setArguments(arguments);
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* w) {
                    w->deleteLater();
                    if (w->isError())
                        DropRequest();
                });
    }

    void DropRequest() {
        if (m_requestPath.isEmpty())
            return;
        m_bus.disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"),
                         this, m_requestSlot);
        m_requestPath.clear();
    }

    QDBusConnection m_bus;
    std::function<void(int)> m_onHotkey;
    QString m_session;
    QString m_requestPath;
    const char* m_requestSlot = nullptr;
    int m_tokenCount = 0;
    int m_held = 0;
    bool m_registered = false;
};

}  // namespace

std::unique_ptr<GlobalHotkeys> CreatePortalHotkeys() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    return std::make_unique<PortalHotkeys>(bus);
}

}  // namespace tv::ui

#include "globalhotkeys_portal.moc"
