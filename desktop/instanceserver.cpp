#include "desktop/instanceserver.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include "core/instancemessage.h"
#include "desktop/instanceclient.h"

namespace tv::desktop {

namespace {

// A client that sends nothing complete in this time is dropped.
constexpr int kClientTimeoutMs = 10000;

}  // namespace

InstanceServer::InstanceServer(NamesHandler onNames, std::function<bool()> accepting,
                               QObject* parent)
    : QObject(parent), m_onNames(std::move(onNames)), m_accepting(std::move(accepting)) {}

InstanceServer::~InstanceServer() {
    Close();
}

void InstanceServer::Close() {
    if (m_server)
        m_server->close();  // removes the socket file
}

bool InstanceServer::Listen(const std::filesystem::path& socketPath) {
    if (socketPath.empty())
        return false;
    const QString name = QString::fromStdString(socketPath.string());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        // Taken: by a live player (keep out of its way) or by a file a crashed one left.
        if (m_server->serverError() != QAbstractSocket::AddressInUseError ||
            PlayerListening(socketPath) || !QLocalServer::removeServer(name) ||
            !m_server->listen(name)) {
            delete m_server;
            m_server = nullptr;
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::Accept);
    return true;
}

void InstanceServer::Accept() {
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        // Only the same user hands names over, whatever the folder's permissions let through.
        if (!core::PeerIsUser(static_cast<int>(client->socketDescriptor()), getuid())) {
            client->abort();
            client->deleteLater();
            continue;
        }
        auto buffer = std::make_shared<std::string>();
        QPointer<QLocalSocket> guard(client);
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        QTimer::singleShot(kClientTimeoutMs, client, [guard] {
            if (guard)
                guard->abort();
        });
        connect(client, &QLocalSocket::readyRead, this, [this, client, buffer] {
            const QByteArray bytes = client->readAll();
            buffer->append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            bool malformed = false;
            const auto names = core::DecodeOpenMessage(*buffer, &malformed);
            if (malformed || (names && !m_accepting())) {
                client->abort();
                return;
            }
            if (!names)
                return;
            buffer->clear();
            client->write(core::kInstanceReply);
            client->flush();
            client->disconnectFromServer();
            // Taken after the answer, so the second start ends while titles fill in.
            QTimer::singleShot(0, this, [this, names = *names] { m_onNames(names); });
        });
    }
}

}  // namespace tv::desktop
