// torvanell: the player. Composes the player model, its windows and the desktop around them
// in their fixed order, runs the event loop and tears everything down in the reverse order.

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "app/commandline.h"
#include "app/wiring.h"
#include "core/programfolder.h"
#include "core/tagtrackinfo.h"
#include "render/render.h"
#include "ui/application.h"

namespace {

// The close fade was timed on the window thread; the device still holds up to a few blocks of
// it. They play before the output closes, so the fade ends in silence, not a click.
constexpr std::chrono::milliseconds kOutputDrain{150};

}  // namespace

int main(int argc, char** argv) {
    // Rendering needs no window, so it runs before the application object exists.
    if (argc > 1 && std::string(argv[1]) == "--render")
        return tv::effects::RunRenderCommand({argv + 2, argv + argc}, std::cerr);
    const tv::app::CommandLine line = tv::app::ParseCommandLine(argc, argv);
    if (line.exitStatus)
        return *line.exitStatus;
    const auto socket = tv::app::HandOffToRunningPlayer(argv[0], line.names, line.newInstance);
    if (!socket)
        return 0;  // the running player took the names

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    tv::ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvanell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Torvanell"));
    // The application id (Wayland's app id): the name of the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.torvanell.Torvanell"));
    tv::audio::Engine engine;
    tv::app::DropoutReport dropouts(engine, line.verbose);
    tv::core::TagTrackInfo trackInfo;
    tv::core::PlayerModel model(
        engine, trackInfo,
        tv::core::ProgramFolder(QCoreApplication::applicationDirPath().toStdString()),
        tv::ui::MainTrackGeometry());
    model.SetCommandLine(line.names);
    // The main window is created, and its creation completed, before any other window.
    auto main = std::make_unique<tv::ui::TfrmMain>(model);
    if (const auto exitStatus = main->FormCreate())
        return *exitStatus;
    tv::app::OtherWindows windows(*main, model);
    tv::app::InstallTerminationSignals(&app, [&main] { main->close(); });
    tv::app::RemoteControl remote(model, *main, trackInfo);
    main->show();
    tv::app::SecondStarts secondStarts(*main, *socket);

    const int status = app.exec();
    secondStarts.Close();
    remote.Close();
    main->FormDestroy();
    std::this_thread::sleep_for(kOutputDrain);
    return status;  // the other windows go first, then the main window, the model, the engine
}
