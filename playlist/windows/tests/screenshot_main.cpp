// Renders the open-folder window offscreen into a PNG file:
//   tv_open_folder_screenshot <out.png> [folder to select]
// The window's keys go to a settings file in a temporary folder, never to the user's own.

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "playlist/windows/tfrmopen.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <out.png> [folder]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    tv::playlist::TfrmOpen window((home.path() + QStringLiteral("/settings.ini")).toStdString());
    window.SelectPath(argc > 2 ? argv[2] : "/usr");
    window.show();
    // The folder tree is read in the background; give it a moment to fill in.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 1500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    window.hide();
    window.show();  // shows the selected folder again now that the folders above it are read
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
