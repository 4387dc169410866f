// End to end on a real X server: the video window with the libmpv plug-in plays the generated
// test picture, its position follows, seeks land, pause holds and stop frees the stream.
// Skipped without a display (run under xvfb-run).

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QWheelEvent>

#include <cstdlib>

#include "video/mpvvideoplugin.h"
#include "video/videowindow.h"

namespace tv::video {
namespace {

void Pump(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QImage GrabPanel(const TfrmVideo& window) {
    const QWidget* panel = window.VideoPnl();
    const QPoint at = panel->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), panel->width(), panel->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

int NonBlack(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            count += qGray(image.pixel(x, y)) > 24;
    return count;
}

int Differing(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); y += 2)
        for (int x = 0; x < a.width(); x += 2)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(MpvPlayback, PlaysSeeksPausesAndStops) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    int mainStops = 0;
    VideoMainHooks hooks;
    hooks.selectedPath = [] { return std::string(TV_TEST_DATA_DIR) + "/testsrc2-5s.avi"; };
    hooks.clickMainStop = [&] { ++mainStops; };
    TfrmVideo window(std::make_unique<MpvVideoPlugin>("null"), hooks);
    window.move(40, 40);
    window.show();
    Pump(200);
    window.btnPlay()->click();
    ASSERT_TRUE(window.Plugin().MediaStreamAvailable());
    EXPECT_EQ(window.lblen()->text(), QStringLiteral("5000"));

    // The core starts at its own pace on a busy machine: wait for the picture to move.
    QElapsedTimer started;
    started.start();
    while (window.Logic().PosBar().Position() < 400 && started.elapsed() < 10000)
        Pump(50);
    const QImage first = GrabPanel(window);
    const int positionFirst = window.Logic().PosBar().Position();
    Pump(1000);
    const QImage second = GrabPanel(window);
    const int positionSecond = window.Logic().PosBar().Position();
    const int samples = first.width() * first.height() / 4;
    EXPECT_GT(NonBlack(first), samples / 4);
    EXPECT_GT(Differing(first, second), samples / 50);
    EXPECT_GT(positionFirst, 300);
    EXPECT_GT(positionSecond, positionFirst + 500);

    // Pause holds the position.
    window.btnPause()->click();
    Pump(300);
    const int64_t paused = window.Plugin().getMediaStreamPos();
    Pump(500);
    EXPECT_EQ(window.Plugin().getMediaStreamPos(), paused);

    // A seek through the position bar lands within 0.5 s.
    window.Logic().SetPosBarPosition(1000);
    Pump(500);
    const int64_t landed = window.Plugin().getMediaStreamPos() / 10000;
    EXPECT_LE(std::abs(landed - 1000), 500) << landed;

    window.btnStop()->click();
    EXPECT_FALSE(window.Plugin().MediaStreamPlayed());
    EXPECT_EQ(window.Plugin().getMediaStreamDuration(), 0);

    // A file that is no video leaves nothing loaded and says nothing.
    hooks.selectedPath = [] { return std::string(TV_TEST_DATA_DIR) + "/tone-1k.wav"; };
    window.Plugin().loadMediaFile(std::string(TV_TEST_DATA_DIR) + "/tone-1k.wav",
                                  window.VideoPnl()->winId());
    EXPECT_FALSE(window.Plugin().MediaStreamAvailable());
    window.Plugin().loadMediaFile("/no/such/file.avi", window.VideoPnl()->winId());
    EXPECT_FALSE(window.Plugin().MediaStreamAvailable());
    window.Plugin().freeMediaStream();  // nothing loaded: accepted
}

// The picture panel's filter once took every event on the panel for a mouse event before
// looking at its type: a wrong downcast that the sanitizer build stops on. Events of other
// kinds pass the filter and move nothing, on any platform (no stream is loaded).
TEST(VideoWindowFinding, PanelFilterTookEveryEventForAMouseEvent) {
    TfrmVideo window(std::make_unique<MpvVideoPlugin>("null"), VideoMainHooks{});
    window.move(60, 60);
    window.show();
    Pump(100);
    QWidget* panel = window.VideoPnl();
    const QPoint at = window.pos();
    const QPointF inside(20, 20);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QWheelEvent wheel(inside, panel->mapToGlobal(inside), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QEnterEvent enter(inside, inside, panel->mapToGlobal(inside));
    QHoverEvent hover(QEvent::HoverMove, inside, panel->mapToGlobal(inside), inside);
    QEvent leave(QEvent::Leave);
    QFocusEvent focus(QEvent::FocusIn);
    for (QEvent* event :
         std::initializer_list<QEvent*>{&key, &wheel, &enter, &hover, &leave, &focus})
        QCoreApplication::sendEvent(panel, event);
    EXPECT_EQ(window.pos(), at);
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace tv::video

int main(int argc, char** argv) {
    // A display means the X server this test is for; without one every case skips.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
