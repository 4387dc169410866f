// A stand-in for the desktop portal's GlobalShortcuts on a private session bus, for the
// whole-player test: it owns org.freedesktop.portal.Desktop, answers CreateSession and
// BindShortcuts the way the portal does (a request object whose Response signal carries the
// results), writes each bound shortcut to LOG as "id<TAB>preferred trigger<TAB>description"
// and a "closed" line when a session is closed, and emits Activated for the last session when
// the test calls org.torvanell.test.MockPortal.Trigger(s id) on it.
//
// usage: tv_mock_portal LOG  (prints "ready" on standard output once it owns the name)

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFile>
#include <cstdio>

namespace {

struct Shortcut {
    QString id;
    QVariantMap properties;
};
using ShortcutList = QList<Shortcut>;

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

}  // namespace

Q_DECLARE_METATYPE(Shortcut)
Q_DECLARE_METATYPE(ShortcutList)

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

class MockPortal : public QDBusVirtualObject {
public:
    explicit MockPortal(const QString& logPath) : m_log(logPath) {
        m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (message.interface() == kShortcuts && member == QLatin1String("CreateSession") &&
            args.size() == 1) {
            const QVariantMap options = qdbus_cast<QVariantMap>(args[0]);
            m_session = Handle(message, QStringLiteral("session"),
                               options.value(QStringLiteral("session_handle_token")).toString());
            Answer(message, bus, options, {{QStringLiteral("session_handle"), m_session}});
            return true;
        }
        if (message.interface() == kShortcuts && member == QLatin1String("BindShortcuts") &&
            args.size() == 4) {
            const ShortcutList shortcuts = qdbus_cast<ShortcutList>(args[1]);
            for (const Shortcut& s : shortcuts)
                Log(s.id + QLatin1Char('\t') +
                    s.properties.value(QStringLiteral("preferred_trigger")).toString() +
                    QLatin1Char('\t') +
                    s.properties.value(QStringLiteral("description")).toString());
            Answer(message, bus, qdbus_cast<QVariantMap>(args[3]),
                   {{QStringLiteral("shortcuts"), QVariant::fromValue(shortcuts)}});
            return true;
        }
        if (member == QLatin1String("Close") && message.path() == m_session) {
            Log(QStringLiteral("closed"));
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("Trigger") && args.size() == 1) {
            QDBusMessage activated =
                QDBusMessage::createSignal(kRoot, kShortcuts, QStringLiteral("Activated"));
            activated << QVariant::fromValue(QDBusObjectPath(m_session)) << args[0].toString()
                      << qulonglong(0) << QVariantMap();
            bus.send(message.createReply());
            bus.send(activated);
            return true;
        }
        bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
        return true;
    }

private:
    static QString Handle(const QDBusMessage& message, const QString& kind, QString token) {
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        if (token.isEmpty())
            token = QStringLiteral("t%1").arg(++s_count);
        return kRoot + QLatin1Char('/') + kind + QLatin1Char('/') + sender + QLatin1Char('/') +
               token;
    }

    // The reply names the request object; its Response follows, as the portal does it.
    void Answer(const QDBusMessage& message, const QDBusConnection& bus, const QVariantMap& options,
                const QVariantMap& results) {
        const QString request = Handle(message, QStringLiteral("request"),
                                       options.value(QStringLiteral("handle_token")).toString());
        bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << uint(0) << results;
        bus.send(response);
    }

    void Log(const QString& line) { m_log.write((line + QLatin1Char('\n')).toUtf8()); }

    static inline int s_count = 0;
    QFile m_log;
    QString m_session;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tv_mock_portal LOG\n");
        return 2;
    }
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<ShortcutList>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    MockPortal portal(QString::fromLocal8Bit(argv[1]));
    if (!bus.registerVirtualObject(kRoot, &portal, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "tv_mock_portal: cannot take the portal's name\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
