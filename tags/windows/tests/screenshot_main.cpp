// Renders the two tag windows into PNG files, each showing a copy of a file given here:
//   tv_tag_windows_screenshot <file.mp3> <mp3-tag.png> <file.ogg> <ogg-tag.png>
// The windows only read the files.

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"

namespace {

bool Shoot(tv::tags::windows::TagWindow& window, const char* file, const char* png) {
    window.SetPath(file);
    window.ReadTags();
    window.show();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const bool ok = window.grab().save(QString::fromLocal8Bit(png));
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", png);
    window.hide();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <file.mp3> <mp3.png> <file.ogg> <ogg.png>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    tv::tags::windows::TfrmMP3Tag mp3;
    tv::tags::windows::TfrmOGGTag ogg;
    const bool ok = Shoot(mp3, argv[1], argv[2]) && Shoot(ogg, argv[3], argv[4]);
    return ok ? 0 : 1;
}
