// The main window's track-advance controls: Next and Previous buttons, the mode buttons, the
// time label, a double click on a row, the main timer's tick and the seek knob at the far right.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>

#include "core/audio/audiolibrary.h"
#include "ui/mainwindow.h"
#include "ui/playlistview.h"
#include "ui/warning.h"

#include "fakeaudiolibrary.h"
#include "testmain.h"

namespace fs = std::filesystem;
using tv::testing::FakeAudioLibrary;

namespace {

class MainWindowAdvanceTest : public ::testing::Test {
protected:
    MainWindowAdvanceTest() {
        std::string tmpl = (fs::temp_directory_path() / "tv-adv-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        previousSink = tv::ui::SetWarningSink([](const std::string&) {});
        w = std::make_unique<tv::testing::TestMain>(lib, effects, info, home, "");
        EXPECT_EQ(w->FormCreate(), std::nullopt);
        w->show();
        for (const char* path : {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"}) {
            lib.streamFiles[path] = tv::audio::StreamFormat::Core;
            w->Playlist().AppendPath(path);
        }
        w->Playlist().RebuildRandomOrder();
    }
    ~MainWindowAdvanceTest() override {
        w.reset();
        tv::ui::SetWarningSink(previousSink);
        fs::remove_all(home);
    }
    void Press(QWidget* target, QEvent::Type type, QPoint local) {
        QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

    fs::path home;
    FakeAudioLibrary lib;
    tv::core::NoEffects effects;
    tv::core::NoTrackInfo info;
    tv::ui::WarningSink previousSink;
    std::unique_ptr<tv::ui::TfrmMain> w;
};

}  // namespace

TEST_F(MainWindowAdvanceTest, NextAndBackButtonsMoveTheCurrentEntryWithWrap) {
    w->bNext->click();
    EXPECT_EQ(w->Playlist().Current(), 0);
    w->bBack->click();
    EXPECT_EQ(w->Playlist().Current(), 2);
    EXPECT_EQ(w->Player().CurrentPath(), "/m/c.mp3");
    EXPECT_EQ(w->Player().PlayState(), tv::core::kStopped);  // stopped: nothing starts
}

TEST_F(MainWindowAdvanceTest, ModeButtonsToggleWithHintsAndPictures) {
    w->btnrnd->click();
    EXPECT_TRUE(w->Modes().random);
    EXPECT_EQ(w->btnrnd->toolTip(), "Random");
    EXPECT_EQ(w->btnrnd->property("picture").toString(), "iRnd3");
    w->btnrnd->click();
    EXPECT_EQ(w->btnrnd->toolTip(), "Not Random");
    EXPECT_EQ(w->btnrnd->property("picture").toString(), "iRnd1");

    w->btnrpl->click();
    EXPECT_EQ(w->Modes().replay, 1);
    EXPECT_EQ(w->btnrpl->toolTip(), "Replay All");
    EXPECT_EQ(w->btnrpl->property("picture").toString(), "iRpl3");
    w->btnrpl->click();
    EXPECT_EQ(w->btnrpl->toolTip(), "Replay One");
    EXPECT_EQ(w->btnrpl->property("picture").toString(), "iRpl5");
}

TEST_F(MainWindowAdvanceTest, TickEndsTrackAndShowsRemainingTimeAfterLabelClick) {
    lib.lengthBytes = 176400LL * 200;
    w->PlayList->onActivate();  // no focused row: nothing plays
    EXPECT_EQ(w->Player().PlayState(), tv::core::kStopped);
    Press(w->PlayList, QEvent::MouseButtonDblClick, QPoint(20, tv::playlist::kRowHeight + 3));
    EXPECT_EQ(w->Playlist().Current(), 1);
    ASSERT_EQ(w->Player().PlayState(), tv::core::kAudioPlaying);
    EXPECT_TRUE(w->tmrMain->isActive());

    Press(w->lbPosLen, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_EQ(w->Modes().timeMode, 1);
    lib.positionBytes = 176400LL * 38 + 88200;
    w->tmrMainTimer();
    EXPECT_EQ(w->lbPosLen->text(), "- 02:41");

    lib.positionBytes = lib.lengthBytes;  // the end: Not Replay moves on to the next entry
    w->tmrMainTimer();
    EXPECT_EQ(w->Playlist().Current(), 2);
    EXPECT_EQ(w->Player().CurrentPath(), "/m/c.mp3");
    EXPECT_TRUE(w->tmrMain->isActive());
}

TEST_F(MainWindowAdvanceTest, KnobReleasedAtTheFarRightPlaysTheNextEntry) {
    w->Playlist().SetFocused(0);
    w->Player().btnPlayClick();
    lib.positionBytes = 0;
    w->tmrMainTimer();
    // Drag the knob past the right end of the track and let go.
    Press(w->Image10, QEvent::MouseButtonPress, QPoint(2, 2));
    Press(w->Image10, QEvent::MouseMove, QPoint(400, 2));
    Press(w->Image10, QEvent::MouseButtonRelease, QPoint(400, 2));
    EXPECT_EQ(w->Playlist().Current(), 1);
    EXPECT_EQ(w->Player().PlayState(), tv::core::kAudioPlaying);
}

// Holding Right during audio playback fades out once, seeks in 5-second steps, stops 1 ms
// before the end and fades back in on the real release; repeats do not fade back in.
TEST_F(MainWindowAdvanceTest, HeldRightSeeksWithOneFadeAndStopsBeforeTheEnd) {
    lib.lengthBytes = 176400LL * 12;
    w->Playlist().Select(0);
    QTest::keyClick(w->PlayList, Qt::Key_Return);
    ASSERT_EQ(w->Player().PlayState(), tv::core::kAudioPlaying);
    const auto channel = std::to_string(w->Player().Channel());
    lib.ClearCalls();
    auto send = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_Right, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(w->PlayList, &event);
    };
    send(QEvent::KeyPress, false);
    EXPECT_EQ(w->Player().GetPositionMs(), 5000u);
    EXPECT_TRUE(w->PlayList->SeekFading());
    for (int i = 0; i < 3; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    const uint32_t end = w->Player().GetPositionMs();
    EXPECT_GE(end, 11998u);
    EXPECT_LT(end, 12000u);
    EXPECT_EQ(lib.CallsStartingWith("ChannelSlideAttributes"),
              std::vector<std::string>{"ChannelSlideAttributes(" + channel + ",-1,0,-101,200)"});
    send(QEvent::KeyRelease, false);
    EXPECT_FALSE(w->PlayList->SeekFading());
    const auto slides = lib.CallsStartingWith("ChannelSlideAttributes");
    ASSERT_EQ(slides.size(), 2u);
    EXPECT_EQ(slides[1], "ChannelSlideAttributes(" + channel + ",-1," +
                             std::to_string(w->Player().ChannelVolume()) + ",-101,200)");
    // Left steps back and stops at the start.
    QTest::keyClick(w->PlayList, Qt::Key_Left);
    EXPECT_EQ(w->Player().GetPositionMs(), end - 5000);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w->PlayList, Qt::Key_Left);
    EXPECT_EQ(w->Player().GetPositionMs(), 0u);
}

// Wheel notches set the output volume only over the hidden volume strip (188, 54; 120 x 8,
// edges included): ten notches raise it by 10 and never past 100; a notch outside the strip
// or over the playlist changes nothing.
TEST_F(MainWindowAdvanceTest, WheelOverTheVolumeStripStepsTheOutputVolume) {
    auto notch = [&](QPoint local, int delta) {
        QWheelEvent event(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w.get(), &event);
    };
    const int start = w->OutputVolume();
    lib.ClearCalls();
    notch(QPoint(187, 58), 120);   // just left of the strip
    notch(QPoint(248, 63), 120);   // just below it
    notch(QPoint(100, 200), 120);  // over the playlist
    EXPECT_TRUE(lib.CallsStartingWith("SetVolume").empty());
    const int before = std::min(start, 90);
    for (int i = 0; i < start - before; ++i)
        notch(QPoint(188, 54), -120);  // the top left corner counts
    for (int i = 0; i < 10; ++i)
        notch(QPoint(308, 62), 120);  // so does the bottom right one
    EXPECT_EQ(lib.volume, before + 10);
    for (int i = 0; i < 15; ++i)
        notch(QPoint(250, 58), 120);
    EXPECT_EQ(lib.volume, 100);
    EXPECT_EQ(w->OutputVolume(), 100);
}
