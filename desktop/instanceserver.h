#pragma once

// The running player's end of the one-player rule: listens on the program folder's socket
// and hands every complete message of a second start to `onNames` (after answering it).
//
// Threads: user-interface thread only; `onNames` runs from the event loop.

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLocalServer;

namespace tv::desktop {

class InstanceServer : public QObject {
    Q_OBJECT
public:
    using NamesHandler = std::function<void(const std::vector<std::string>&)>;
    // `accepting` says whether names are taken now (false once the player is closing: the
    // second start is then not told that they were taken, and runs a player of its own).
    InstanceServer(NamesHandler onNames, std::function<bool()> accepting,
                   QObject* parent = nullptr);
    ~InstanceServer() override;

    // Listens on `socketPath`. A socket file left by a player that crashed (nobody answers
    // on it) is removed first. False when another live player holds it or it cannot be made;
    // the player then simply runs without taking names.
    bool Listen(const std::filesystem::path& socketPath);

    // Stops listening and removes the socket file.
    void Close();

private:
    void Accept();

    NamesHandler m_onNames;
    std::function<bool()> m_accepting;
    QLocalServer* m_server = nullptr;
};

}  // namespace tv::desktop
