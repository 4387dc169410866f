// Saves a picture of the playlist area (40 entries, one current, a few selected, the scroller
// and the search box) to the file named by the first argument.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "playlist/playlist.h"
#include "ui/playlistview.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    tv::playlist::PlaylistModel model;
    const char* artists[] = {"Northern Lights", "The Quiet Rooms", "Mara Vey", "Old Harbour"};
    for (int i = 0; i < 40; ++i)
        model.AppendEntry(std::string(artists[i % 4]) + " - Song " + std::to_string(i + 1),
                          tv::playlist::DurationText(150 + 17 * i), "/m/" + std::to_string(i));
    model.SetCurrent(12);
    model.Select(15);
    model.Select(16);
    model.Select(17);

    QWidget window;  // the part of the main window below the transport controls
    window.resize(320, 340);
    window.setStyleSheet(QStringLiteral("background: rgb(168,168,168);"));
    auto* mainPanel = new QWidget(&window);
    mainPanel->setGeometry(5, 5, 296, 294);
    mainPanel->setStyleSheet(QStringLiteral("background: rgb(0,32,64);"));
    tv::ui::PlaylistView view(model, mainPanel, &window);
    view.setGeometry(0, 0, 295, 294);
    view.Scroller()->setGeometry(305, 5, 10, 294);
    view.UpdateScrollerVisibility();
    view.ScrollToCurrent();
    auto* label = new QLabel(QStringLiteral("Search:"), &window);
    label->move(10, 315);
    auto* search = new QLineEdit(&window);
    search->setGeometry(60, 315, 200, 13);
    search->setFrame(false);
    search->setPlaceholderText(QStringLiteral("Search"));
    search->setStyleSheet(QStringLiteral("background: silver; font-size: 10px;"));
    window.show();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
