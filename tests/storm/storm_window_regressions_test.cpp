// Faults the storm found in the main window itself, on the fake audio library.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
#include <filesystem>

#include "fakeaudiolibrary.h"
#include "testmain.h"
#include "ui/mainwindow.h"
#include "ui/warning.h"

namespace fs = std::filesystem;

namespace {

void Mouse(QWidget* target, QEvent::Type type, QPoint local) {
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

}  // namespace

// The knob let go at the far right asks for the next track; with the playlist emptied (or
// the player paused) nothing started, yet the slider left the main timer off: the track
// played on with no position display and no end test.
TEST(StormWindowFinding, KnobAtTheFarRightWithNothingNextLeftTheTimerOff) {
    std::string tmpl = (fs::temp_directory_path() / "tv-stormw-XXXXXX").string();
    const fs::path home = mkdtemp(tmpl.data());
    const tv::ui::WarningSink previous = tv::ui::SetWarningSink([](const std::string&) {});
    {
        tv::testing::FakeAudioLibrary lib;
        tv::core::NoEffects effects;
        tv::core::NoTrackInfo info;
        tv::testing::TestMain w(lib, effects, info, home, "");
        ASSERT_EQ(w.FormCreate(), std::nullopt);
        w.show();
        for (const bool paused : {false, true}) {
            lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
            w.Playlist().AppendPath("/m/a.mp3");
            w.Playlist().SetFocused(0);
            w.Player().btnPlayClick();
            if (paused)
                w.Player().btnPauseClick();
            else
                w.Playlist().ClearPlaylist();
            Mouse(w.Image10, QEvent::MouseButtonPress, QPoint(2, 2));
            Mouse(w.Image10, QEvent::MouseMove, QPoint(400, 2));
            Mouse(w.Image10, QEvent::MouseButtonRelease, QPoint(400, 2));
            EXPECT_EQ(w.Player().PlayState(),
                      paused ? tv::core::kAudioPaused : tv::core::kAudioPlaying);
            EXPECT_TRUE(w.tmrMain->isActive()) << (paused ? "paused" : "emptied");
            w.Player().btnStopClick();
            w.Playlist().ClearPlaylist();
        }
    }
    tv::ui::SetWarningSink(previous);
    fs::remove_all(home);
}
