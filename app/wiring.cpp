#include "app/wiring.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/instancemessage.h"
#include "core/programfolder.h"
#include "desktop/instanceclient.h"

namespace tv::app {

namespace {

int g_signalPipe[2] = {-1, -1};
// How long a second start waits for the running player to take its names.
constexpr int kHandOffTimeoutMs = 5000;
// How often --verbose looks at the engine's dropout count.
constexpr int kVerboseCheckMs = 250;

void OnTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

// The folder of the running program, known before the application object exists.
std::filesystem::path ExecutableDir(const char* argv0) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return self.parent_path();
    return std::filesystem::absolute(argv0, error).parent_path();
}

std::vector<std::string> AbsoluteNames(const std::vector<std::string>& names) {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    std::vector<std::string> out;
    for (const std::string& name : names)
        out.push_back(error ? name : core::AbsoluteName(name, here));
    return out;
}

}  // namespace

std::optional<std::filesystem::path> HandOffToRunningPlayer(const char* argv0,
                                                            const std::vector<std::string>& names,
                                                            bool newInstance) {
    if (newInstance)
        return std::filesystem::path();
    std::string refusal;
    const std::filesystem::path socketFolder = core::InstanceSocketFolder(&refusal);
    if (!refusal.empty()) {
        std::fprintf(stderr, "torvanell: %s; this player runs on its own\n", refusal.c_str());
        return std::filesystem::path();
    }
    const std::filesystem::path socket =
        core::InstanceSocketPath(socketFolder, core::ProgramFolder(ExecutableDir(argv0)));
    switch (desktop::HandOff(socket, AbsoluteNames(names), kHandOffTimeoutMs)) {
        case desktop::HandOffResult::Delivered:
            return std::nullopt;
        case desktop::HandOffResult::NoAnswer:
            std::fprintf(stderr,
                         "torvanell: the running player does not answer; starting another\n");
            return std::filesystem::path();  // leave its socket alone
        case desktop::HandOffResult::NoPlayer:
            break;
    }
    return socket;
}

void InstallTerminationSignals(QObject* owner, std::function<void()> onSignal) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [onSignal] {
        char buffer[16];
        [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], buffer, sizeof buffer);
        onSignal();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

OtherWindows::OtherWindows(ui::TfrmMain& main, core::PlayerModel& model)
    : m_main(main),
      m_open(std::make_unique<playlist::TfrmOpen>(model.SettingsPath())),
      m_equalizer(std::make_unique<effects::TfrmEqualizer>(model.Chain())),
      m_about(std::make_unique<ui::TfrmAbout>()) {
    main.SetOpenWindow(m_open.get());
    QObject::connect(m_open.get(), &playlist::TfrmOpen::StagedFilesReady, &main,
                     [&main] { main.btnOpenClick(); });
    main.SetEqualizerWindow(m_equalizer.get());
    main.SetAboutWindow(m_about.get());
}

OtherWindows::~OtherWindows() {
    m_main.SetAboutWindow(nullptr);
    m_about.reset();
    m_main.SetEqualizerWindow(nullptr);
    m_equalizer.reset();
    m_main.SetOpenWindow(nullptr);
    m_open.reset();
}

RemoteControl::RemoteControl(core::PlayerModel& model, ui::TfrmMain& main,
                             core::TrackInfoReader& trackInfo)
    : m_control(model.GetPlayer(), model.Advance(), model.Playlist(), model.Modes(), model.Views(),
                trackInfo),
      m_mpris(std::make_unique<desktop::MprisService>(
          m_control,
          desktop::MprisHooks{[&main] { main.RaiseWindow(); }, [&main] { main.close(); },
                              [&main](const std::vector<std::string>& n) { main.OpenNames(n); }})) {
    m_mpris->Register();
}

SecondStarts::SecondStarts(ui::TfrmMain& main, const std::filesystem::path& socket)
    : m_main(main),
      m_server([this](const std::vector<std::string>& names) { Take(names); },
               [&main] { return !main.Closing(); }) {
    if (!socket.empty())
        m_server.Listen(socket);
}

void SecondStarts::Take(const std::vector<std::string>& names) {
    m_pending.push_back(names);
    if (m_taking)
        return;
    m_taking = true;
    while (!m_pending.empty()) {
        const std::vector<std::string> next = std::move(m_pending.front());
        m_pending.pop_front();
        m_main.OpenNames(next);
    }
    m_taking = false;
}

DropoutReport::DropoutReport(audio::Engine& engine, bool on) : m_engine(engine), m_on(on) {
    if (!on)
        return;
    // The window thread reads the count (the mixing thread only bumps it).
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const uint64_t count = m_engine.UnderrunCount();
        if (count == m_shown)
            return;
        m_shown = count;
        std::fprintf(stderr, "torvanell: audio dropouts: %llu\n",
                     static_cast<unsigned long long>(count));
    });
    m_timer.start(kVerboseCheckMs);
}

DropoutReport::~DropoutReport() {
    m_timer.stop();
    if (m_on)
        std::fprintf(stderr, "torvanell: audio dropouts in total: %llu\n",
                     static_cast<unsigned long long>(m_engine.UnderrunCount()));
}

}  // namespace tv::app
