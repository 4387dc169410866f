#include "ui/mainwindow.h"

#include "spectrum/widget/spectrumview.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/audio/audiolibrary.h"
#include "ui/warning.h"

#include "fakeaudiolibrary.h"
#include "testmain.h"

namespace fs = std::filesystem;
using tv::testing::FakeAudioLibrary;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        std::string tmpl = (fs::temp_directory_path() / "tv-ui-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        previousSink =
            tv::ui::SetWarningSink([this](const std::string& t) { warnings.push_back(t); });
    }
    ~MainWindowTest() override {
        tv::ui::SetWarningSink(previousSink);
        fs::remove_all(home);
    }
    std::unique_ptr<tv::ui::TfrmMain> Make(const std::string& argument = "") {
        return std::make_unique<tv::testing::TestMain>(lib, effects, info, home, argument);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(home / name, std::ios::binary) << text;
    }

    fs::path home;
    FakeAudioLibrary lib;
    tv::core::NoEffects effects;
    tv::core::NoTrackInfo info;
    std::vector<std::string> warnings;
    tv::ui::WarningSink previousSink;
};

}  // namespace

TEST_F(MainWindowTest, CreationChecksTheLibraryInItsOrder) {
    lib.deviceInfo = {9, true};
    lib.volume = 37;
    auto w = Make();
    EXPECT_EQ(w->FormCreate(), std::nullopt);
    EXPECT_EQ(lib.calls,
              (std::vector<std::string>{"GetVersion()", "Init(1,44100,4)", "Start()", "GetInfo()",
                                        "SetEAXParameters(25,1,20,2)", "GetVolume()"}));
    EXPECT_EQ(w->OutputVolume(), 37);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(MainWindowTest, CreationFailuresWarnAndGiveTheirExitStatus) {
    lib.version = 0x00020001;
    EXPECT_EQ(Make()->FormCreate(), 4);
    EXPECT_EQ(lib.calls, std::vector<std::string>{"GetVersion()"});

    lib = FakeAudioLibrary{};
    lib.initResult = false;
    EXPECT_EQ(Make()->FormCreate(), 5);
    EXPECT_EQ(lib.CallsStartingWith("Start"), std::vector<std::string>{});

    lib = FakeAudioLibrary{};
    lib.deviceInfo = {7, false};  // old effect interface: reported, the program goes on
    EXPECT_EQ(Make()->FormCreate(), std::nullopt);
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "BASS library version 2.2 not loaded", "BASS not initialized",
                            "DirectX 8.0 is not installed on your computer"}));
}

TEST_F(MainWindowTest, FirstShowWithoutFilesCentresTheDefaultWindow) {
    auto w = Make();
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    w->show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w->width(), 320);
    EXPECT_EQ(w->height(), 480);
    EXPECT_EQ(w->x(), screen.width() / 2 - 160);
    EXPECT_EQ(w->y(), screen.height() / 2 - 240);
    EXPECT_EQ(w->Player().ChannelVolume(), 80);
    EXPECT_EQ(w->Player().PlayState(), tv::core::kStopped);
    EXPECT_EQ(w->btnrnd->toolTip(), "Not Random");
    EXPECT_EQ(w->btnrpl->toolTip(), "Not Replay");
    EXPECT_EQ(w->TickedSpectrumItems(), (std::vector<std::string>{"Big Lines", "Normal"}));
    EXPECT_EQ(w->tmrFFT->interval(), 50);
    EXPECT_EQ(w->Playlist().Count(), 0);
}

TEST_F(MainWindowTest, FirstShowAppliesSettingsAndKeepsDesignedLooksForOddValues) {
    Write("default.m3u",
          "#EXTM3U\r\n#EXTINF:10,One\r\n/m/one.mp3\r\n#EXTINF:20,Two\r\n"
          "/m/two.mp3\r\n");
    Write("settings.ini",
          "[Settings]\nMainWidth=626\nMainPosX=50\nMainPosY=60\nVolume=40\n"
          "TrackPos=1\nRandom=1\nReplay=7\nSpectrumMode=0\nSpectrumSpeed=20\n"
          "Peak=1\n");
    auto w = Make();
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    w->show();
    w->show();  // later shows change nothing
    EXPECT_EQ(w->width(), 626);
    EXPECT_EQ(w->x(), 50);  // away from the edges: not snapped
    EXPECT_EQ(w->Player().ChannelVolume(), 40);
    EXPECT_EQ(w->Playlist().Count(), 2);
    EXPECT_EQ(w->Playlist().Current(), 1);
    EXPECT_EQ(w->Playlist().Focused(), 1);
    EXPECT_EQ(w->btnrnd->toolTip(), "Random");
    EXPECT_EQ(w->btnrnd->property("picture").toString(), "iRnd3");
    EXPECT_EQ(w->Modes().replay, 7);
    EXPECT_EQ(w->btnrpl->toolTip(), "Not Replay");  // as designed
    EXPECT_EQ(w->tmrFFT->interval(), 20);
    EXPECT_EQ(w->TickedSpectrumItems(), (std::vector<std::string>{"Lines", "Normal", "Peak"}));
    EXPECT_TRUE(lib.CallsStartingWith("StreamCreateFile").empty());  // nothing starts
}

TEST_F(MainWindowTest, FileOnTheCommandLineIsAppendedAndPlayed) {
    Write("default.m3u", "#EXTM3U\r\n#EXTINF:10,One\r\n/m/one.mp3\r\n");
    Write("settings.ini", "[Settings]\nTrackPos=0\n");
    lib.streamFiles["/m/03_-_New_Song.mp3"] = tv::audio::StreamFormat::Core;
    auto w = Make("/m/03_-_New_Song.mp3");
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    w->show();
    ASSERT_EQ(w->Playlist().Count(), 2);
    EXPECT_EQ(w->Playlist().At(1).display, "2. New Song");
    EXPECT_EQ(w->Playlist().At(1).path, "/m/03_-_New_Song.mp3");
    EXPECT_EQ(w->Playlist().Current(), 1);
    EXPECT_EQ(w->Playlist().SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(w->Player().PlayState(), tv::core::kAudioPlaying);
    EXPECT_EQ(w->Player().CurrentPath(), "/m/03_-_New_Song.mp3");
    EXPECT_EQ(w->lbTitle->text(), "New Song");
    EXPECT_TRUE(w->tmrMain->isActive());
}

TEST_F(MainWindowTest, CloseFadesAndDestroySavesSettingsAndPlaylist) {
    Write("settings.ini", "[Settings]\nMine=keep\n[Other]\nA=1\n");
    lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
    {
        auto w = Make("/m/a.mp3");
        ASSERT_EQ(w->FormCreate(), std::nullopt);
        w->show();
        lib.ClearCalls();
        EXPECT_TRUE(w->close());
        // The fade, then only the main timer's display ticks while the wait lets them run.
        ASSERT_FALSE(lib.calls.empty());
        EXPECT_EQ(lib.calls.front(), "ChannelSlideAttributes(1,-1,0,-101,200)");
        EXPECT_EQ(lib.CallsStartingWith("ChannelGetLength").size(),
                  lib.CallsStartingWith("ChannelGetPosition").size());
        EXPECT_GE(lib.CallsStartingWith("ChannelGetPosition").size(), 2u);
        EXPECT_EQ(lib.CallsStartingWith("ChannelSlideAttributes").size(), 1u);
        EXPECT_TRUE(lib.CallsStartingWith("ChannelStop").empty());
        w->FormDestroy();
    }
    const std::string ini = ReadAll(home / "settings.ini");
    EXPECT_EQ(ini.rfind("[Settings]\nMine=keep\nMainWidth=320\nMainHeight=480\n", 0), 0u) << ini;
    for (const char* key : {"Volume=80\n", "TrackPos=0\n", "Replay=0\n", "SpectrumSpeed=50\n",
                            "Peak=0\n", "[Other]\nA=1\n"})
        EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
    EXPECT_NE(ReadAll(home / "default.m3u").find("/m/a.mp3"), std::string::npos);
}

// A termination signal in the first second arrives while the first show completes the command
// line's file and lets events run; closed there, the window came up anyway and never closed.
TEST_F(MainWindowTest, CloseDuringTheFirstShow_ClosesOnceTheWindowStands) {
    lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
    auto w = Make("/m/a.mp3");
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    QTimer::singleShot(0, w.get(), [&w] { w->close(); });  // runs inside the show's events
    w->show();
    EXPECT_FALSE(w->Closing());
    EXPECT_TRUE(w->isVisible());
    for (int i = 0; i < 50 && w->isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(w->Closing());
    EXPECT_FALSE(w->isVisible());
    w->FormDestroy();
    EXPECT_NE(ReadAll(home / "default.m3u").find("/m/a.mp3"), std::string::npos);
}

namespace {

void Mouse(QWidget* target, QEvent::Type type, int windowX, QWidget* window) {
    const QPoint local = target->mapFrom(window, QPoint(windowX, target->y() + 4));
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent event(type, local, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

}  // namespace

TEST_F(MainWindowTest, SeekTrackPressAndReleaseSeeksToTheKnobPlace) {
    lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
    lib.lengthBytes = 176400LL * 200;  // 200 s
    auto w = Make();
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    w->show();

    // Stopped: the knob moves but nothing seeks.
    Mouse(w->Image4, QEvent::MouseButtonPress, 160, w.get());
    Mouse(w->Image4, QEvent::MouseButtonRelease, 160, w.get());
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSetPosition").empty());

    w->Playlist().AppendPath("/m/a.mp3");
    w->Playlist().SetFocused(0);
    w->Player().btnPlayClick();
    lib.ClearCalls();
    // The knob's centre goes under the pointer: window x 160 puts its left edge 140 pixels
    // into the 280-pixel travel, half of 200 s.
    Mouse(w->Image4, QEvent::MouseButtonPress, 160, w.get());
    Mouse(w->Image4, QEvent::MouseMove, 400, w.get());  // clamped to the travel ...
    Mouse(w->Image4, QEvent::MouseMove, 160, w.get());  // ... and back
    Mouse(w->Image4, QEvent::MouseButtonRelease, 160, w.get());
    EXPECT_EQ(w->Image10->x(), 10 + 140);
    EXPECT_EQ(lib.CallsStartingWith("ChannelSetPosition"),
              std::vector<std::string>{"ChannelSetPosition(1,17640000)"});
    EXPECT_EQ(lib.CallsStartingWith("ChannelSlideAttributes"),
              (std::vector<std::string>{"ChannelSlideAttributes(1,-1,0,-101,0)",
                                        "ChannelSlideAttributes(1,-1,80,-101,200)"}));
    EXPECT_TRUE(w->tmrMain->isActive());
}

namespace {

void Send(QWidget* target, QEvent::Type type, Qt::MouseButton button, QPoint windowPos,
          QWidget* window) {
    const QPoint local = target->mapFrom(window, windowPos);
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

}  // namespace

TEST_F(MainWindowTest, OnlyALeftDragOfTheBackgroundMovesTheWindow) {
    lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
    auto w = Make();
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    w->show();
    w->move(300, 200);
    w->Playlist().AppendPath("/m/a.mp3");
    w->Playlist().SetCurrent(0);
    w->bPlay->click();
    ASSERT_TRUE(w->boxPaint->isVisible());
    struct Case {
        const char* what;
        QWidget* target;
        QPoint at;  // in the window
        Qt::MouseButton button;
        QPoint travel;
        bool moves;
    };
    const Case cases[] = {
        {"left drag of the background", w.get(), {200, 10}, Qt::LeftButton, {30, 20}, true},
        {"left click of the background", w.get(), {200, 10}, Qt::LeftButton, {0, 0}, false},
        {"left press with a 3-pixel tremor", w.get(), {200, 10}, Qt::LeftButton, {2, 1}, false},
        {"right drag of the background", w.get(), {200, 10}, Qt::RightButton, {30, 20}, false},
        {"middle drag of the background", w.get(), {200, 10}, Qt::MiddleButton, {30, 20}, false},
        {"left drag from the time display", w->lbPosLen, {40, 40}, Qt::LeftButton, {30, 20}, false},
        {"left drag from the spectrum", w->boxPaint, {150, 40}, Qt::LeftButton, {30, 20}, false},
        {"left drag over the title display", w.get(), {100, 70}, Qt::LeftButton, {30, 20}, true},
    };
    for (const Case& c : cases) {
        const QPoint before = w->pos();
        Send(c.target, QEvent::MouseButtonPress, c.button, c.at, w.get());
        Send(c.target, QEvent::MouseMove, c.button, c.at + c.travel, w.get());
        Send(c.target, QEvent::MouseButtonRelease, c.button, c.at + c.travel, w.get());
        EXPECT_EQ(w->pos(), c.moves ? before + c.travel : before) << c.what;
    }
}

TEST_F(MainWindowTest, SpectrumCountsEveryClickAndTheContextMenuOffersThePlayerCommands) {
    lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
    auto w = Make();
    ASSERT_EQ(w->FormCreate(), std::nullopt);
    w->show();
    w->Playlist().AppendPath("/m/a.mp3");
    w->Playlist().SetCurrent(0);
    w->bPlay->click();
    const std::vector<std::string> modes[] = {
        {"Big Lines", "Normal"}, {"None", "Normal"}, {"Lines", "Normal"}};
    ASSERT_EQ(w->TickedSpectrumItems(), modes[0]);
    for (int click = 1; click <= 4; ++click) {
        Send(w->boxPaint, QEvent::MouseButtonPress, Qt::LeftButton, {150, 40}, w.get());
        Send(w->boxPaint, QEvent::MouseButtonRelease, Qt::LeftButton, {150, 40}, w.get());
        EXPECT_EQ(w->TickedSpectrumItems(), modes[click % 3]) << "click " << click;
    }

    QStringList captions;
    for (QAction* action : w->ContextMenu()->actions())
        if (!action->isSeparator())
            captions << action->text().section(QLatin1Char('\t'), 0, 0);
    EXPECT_EQ(captions, (QStringList{"Play", "Pause", "Stop", "Next", "Previous", "Insert file",
                                     "Insert folder", "Equalizer", "About", "Exit"}));
    ASSERT_EQ(w->Player().PlayState(), tv::core::kAudioPlaying);
    w->ContextMenu()->actions()[2]->trigger();  // "Stop", as the button
    EXPECT_EQ(w->Player().PlayState(), tv::core::kStopped);
    EXPECT_FALSE(w->boxPaint->isVisible());
    w->ContextMenu()->actions()[0]->trigger();  // "Play"
    EXPECT_EQ(w->Player().PlayState(), tv::core::kAudioPlaying);
}
