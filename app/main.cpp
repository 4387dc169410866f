// torvanell: the player. Creates the windows in their fixed order, runs the main window's
// life and turns SIGTERM and SIGINT into an orderly close (fade, settings and playlist saved).

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/audio/engine.h"
#include "core/effectchainhooks.h"
#include "core/instancemessage.h"
#include "core/mediacontrol.h"
#include "core/programfolder.h"
#include "core/tagtrackinfo.h"
#include "desktop/instanceclient.h"
#include "desktop/instanceserver.h"
#include "desktop/mprisservice.h"
#include "effects/effectchain.h"
#include "effects/windows/tfrmequalizer.h"
#include "playlist/windows/tfrmopen.h"
#include "render/render.h"
#include "ui/aboutwindow.h"
#include "ui/application.h"
#include "ui/mainwindow.h"

namespace {

int g_signalPipe[2] = {-1, -1};
constexpr int kOutputDrainMs = 150;
// How long a second start waits for the running player to take its names.
constexpr int kHandOffTimeoutMs = 5000;
// How often --verbose looks at the engine's dropout count.
constexpr int kVerboseCheckMs = 250;

void OnTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

void PrintHelp() {
    std::printf(
        "Usage: torvanell [OPTION] [NAME]...\n"
        "Adds each NAME (an audio or video file, a folder or an M3U playlist) to the playlist;\n"
        "plays the first one when it is a media file.\n\n"
        "When a player with the same settings folder is already running, the names go to it\n"
        "(added like a drop, the first played when it is a media file) and this start ends.\n\n"
        "Options:\n"
        "  --new-instance  start a player of its own even when one is running\n"
        "  --verbose  print diagnostic messages (the audio dropouts) to standard error\n"
        "  --help     show this help and exit\n"
        "  --version  show the program name, version and licence and exit\n"
        "  --render IN OUT.wav [--preset NAME] [--eq G80,...,G14K]\n"
        "           [--effects flanger,chorus,echo,reverb,bass,rotate] [--float]\n"
        "             write IN through the equalizer and effects to OUT.wav (44 100 Hz\n"
        "             stereo, 16-bit or with --float 32-bit float) without a window, then exit\n\n"
        "Environment:\n"
        "  TORVANELL_HOME                  folder of settings.ini and default.m3u\n"
        "  XDG_RUNTIME_DIR                 folder of the running player's socket\n"
        "                                  (else $TMPDIR/torvanell-UID, /tmp when unset)\n"
        "  TORVANELL_WARNINGS_TO_STDERR=1  print warnings to stderr instead of showing a box\n");
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
        out.push_back(error ? name : tv::core::AbsoluteName(name, here));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    // Rendering needs no window, so it runs before the application object exists.
    if (argc > 1 && std::string(argv[1]) == "--render")
        return tv::effects::RunRenderCommand({argv + 2, argv + argc}, std::cerr);
    std::vector<std::string> names;
    bool newInstance = false;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--new-instance") {
            newInstance = true;
            continue;
        }
        if (arg == "--verbose") {
            verbose = true;
            continue;
        }
        if (arg == "--version") {
            std::printf(
                "Torvanell %s\n"
                "Licence GPL-3.0-or-later: GNU GPL version 3 or later "
                "<https://gnu.org/licenses/gpl.html>.\n"
                "This is free software: you are free to change and redistribute it.\n"
                "There is NO WARRANTY, to the extent permitted by law.\n",
                TORVANELL_VERSION);
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        }
        if (arg == "--") {
            names.insert(names.end(), argv + i + 1, argv + argc);
            break;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "torvanell: unknown option %s (see --help)\n", arg.c_str());
            return 2;
        }
        names.push_back(arg);
    }
    const std::string firstArgument = names.empty() ? std::string() : names.front();

    // One player per settings folder: a running one takes the names and this start ends.
    std::filesystem::path instanceSocket;
    if (!newInstance) {
        std::string refusal;
        const std::filesystem::path socketFolder = tv::core::InstanceSocketFolder(&refusal);
        if (!refusal.empty())
            std::fprintf(stderr, "torvanell: %s; this player runs on its own\n", refusal.c_str());
        instanceSocket = tv::core::InstanceSocketPath(
            socketFolder, tv::core::ProgramFolder(ExecutableDir(argv[0])));
        switch (tv::desktop::HandOff(instanceSocket, AbsoluteNames(names), kHandOffTimeoutMs)) {
            case tv::desktop::HandOffResult::Delivered:
                return 0;
            case tv::desktop::HandOffResult::NoAnswer:
                std::fprintf(stderr,
                             "torvanell: the running player does not answer; starting another\n");
                instanceSocket.clear();  // leave its socket alone
                break;
            case tv::desktop::HandOffResult::NoPlayer:
                break;
        }
    }

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    tv::ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvanell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Torvanell"));
    // The application id (Wayland's app id): the name of the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.torvanell.Torvanell"));

    const std::filesystem::path folder =
        tv::core::ProgramFolder(QCoreApplication::applicationDirPath().toStdString());
    tv::audio::Engine engine;
    tv::effects::EffectChain chain(engine, {});
    tv::core::EffectChainHooks effects(chain);
    tv::core::TagTrackInfo trackInfo;

    // The main window is created, and its creation completed, before any other window.
    auto main =
        std::make_unique<tv::ui::TfrmMain>(engine, effects, trackInfo, folder, firstArgument);
    chain.SetChannelQuery(tv::core::EffectChainHooks::ChannelQuery(main->Player()));
    main->SetEffectChain(&chain);
    if (const auto exitStatus = main->FormCreate())
        return *exitStatus;
    auto frmOpen = std::make_unique<tv::playlist::TfrmOpen>(main->SettingsPath());
    main->SetOpenWindow(frmOpen.get());
    QObject::connect(frmOpen.get(), &tv::playlist::TfrmOpen::StagedFilesReady, main.get(),
                     [&main] { main->btnOpenClick(); });
    if (names.size() > 1)
        main->SetMoreArguments({names.begin() + 1, names.end()});
    auto frmEqualizer = std::make_unique<tv::effects::TfrmEqualizer>(chain);
    main->SetEqualizerWindow(frmEqualizer.get());
    auto frmAbout = std::make_unique<tv::ui::TfrmAbout>();
    main->SetAboutWindow(frmAbout.get());

    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, main.get(), [&main] {
            char buffer[16];
            [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], buffer, sizeof buffer);
            main->close();
        });
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }

    // The desktop's remote control; without a session bus the player runs without it.
    tv::core::MediaControl control(main->Player(), main->Advance(), main->Playlist(), main->Modes(),
                                   *main, trackInfo);
    auto mpris = std::make_unique<tv::desktop::MprisService>(
        control, tv::desktop::MprisHooks{
                     [&main] { main->RaiseWindow(); }, [&main] { main->close(); },
                     [&main](const std::vector<std::string>& n) { main->OpenNames(n); }});
    mpris->Register();

    main->show();

    // Names of later starts, taken one message at a time and in their order: taking one lets
    // events run (fades, titles filling in), and the next must not cut into it.
    std::deque<std::vector<std::string>> handedOver;
    bool takingNames = false;
    tv::desktop::InstanceServer instanceServer(
        [&](const std::vector<std::string>& received) {
            handedOver.push_back(received);
            if (takingNames)
                return;
            takingNames = true;
            while (!handedOver.empty()) {
                const std::vector<std::string> next = std::move(handedOver.front());
                handedOver.pop_front();
                main->OpenNames(next);
            }
            takingNames = false;
        },
        [&main] { return !main->Closing(); });
    if (!instanceSocket.empty())
        instanceServer.Listen(instanceSocket);

    // --verbose: the window thread reads the count (the mixing thread only bumps it).
    uint64_t dropoutsShown = 0;
    QTimer dropoutCheck;
    if (verbose) {
        QObject::connect(&dropoutCheck, &QTimer::timeout, [&engine, &dropoutsShown] {
            const uint64_t count = engine.UnderrunCount();
            if (count == dropoutsShown)
                return;
            dropoutsShown = count;
            std::fprintf(stderr, "torvanell: audio dropouts: %llu\n",
                         static_cast<unsigned long long>(count));
        });
        dropoutCheck.start(kVerboseCheckMs);
    }

    const int status = app.exec();
    dropoutCheck.stop();
    instanceServer.Close();
    mpris.reset();
    main->FormDestroy();
    // The close fade was timed on this thread; the device still holds up to a few blocks of
    // it. Let them play before the output closes, so the fade ends in silence, not a click.
    std::this_thread::sleep_for(std::chrono::milliseconds(kOutputDrainMs));
    // The open-folder window writes its keys as the windows go.
    main->SetAboutWindow(nullptr);
    frmAbout.reset();
    main->SetEqualizerWindow(nullptr);
    frmEqualizer.reset();
    main->SetOpenWindow(nullptr);
    frmOpen.reset();
    main.reset();
    if (verbose)
        std::fprintf(stderr, "torvanell: audio dropouts in total: %llu\n",
                     static_cast<unsigned long long>(engine.UnderrunCount()));
    return status;
}
