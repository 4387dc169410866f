#include "desktop/instanceclient.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/instancemessage.h"

namespace tv::desktop {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// A connected socket, or -1 when nobody listens.
int Connect(const std::filesystem::path& socketPath) {
    const std::string path = socketPath.string();
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);  // ENOENT: no player; ECONNREFUSED: the file of a crashed one
        return -1;
    }
    return fd;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = poll(&p, 1, RemainingMs(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

}  // namespace

bool PlayerListening(const std::filesystem::path& socketPath) {
    const Fd fd(Connect(socketPath));
    return fd.get() >= 0;
}

HandOffResult HandOff(const std::filesystem::path& socketPath,
                      const std::vector<std::string>& names, int timeoutMs) {
    const Fd fd(Connect(socketPath));
    if (fd.get() < 0)
        return HandOffResult::NoPlayer;
    // Names go only to a player of the same user.
    if (!core::PeerIsUser(fd.get(), getuid()))
        return HandOffResult::NoAnswer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) | O_NONBLOCK);
    const std::string message = core::EncodeOpenMessage(names);
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n =
            send(fd.get(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd.get(), POLLOUT, deadline))
                return HandOffResult::NoAnswer;
        } else {
            return HandOffResult::NoAnswer;
        }
    }
    const std::string expected = core::kInstanceReply;
    std::string reply;
    while (reply.size() < expected.size()) {
        if (!WaitFor(fd.get(), POLLIN, deadline))
            return HandOffResult::NoAnswer;
        char buffer[16];
        const ssize_t n = recv(fd.get(), buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return HandOffResult::NoAnswer;
        if (n > 0)
            reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply.compare(0, expected.size(), expected) == 0 ? HandOffResult::Delivered
                                                            : HandOffResult::NoAnswer;
}

}  // namespace tv::desktop
