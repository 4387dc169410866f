// The main window together with the secondary windows it shows and the display it carries.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "effects/effectchain.h"
#include "effects/windows/tfrmequalizer.h"
#include "fakeaudiolibrary.h"
#include "playlist/windows/tfrmopen.h"
#include "spectrum/widget/spectrumview.h"
#include "testmain.h"
#include "ui/aboutwindow.h"
#include "ui/mainwindow.h"
#include "ui/playlistview.h"
#include "ui/warning.h"

namespace fs = std::filesystem;
using tv::testing::FakeAudioLibrary;

namespace {

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class MainWindowWindowsTest : public ::testing::Test {
protected:
    MainWindowWindowsTest() {
        std::string tmpl = (fs::temp_directory_path() / "tv-uiw-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        previousSink = tv::ui::SetWarningSink([](const std::string&) {});
    }
    ~MainWindowWindowsTest() override {
        tv::ui::SetWarningSink(previousSink);
        fs::remove_all(home);
    }
    void Write(const std::string& name, const std::string& text) {
        fs::create_directories((home / name).parent_path());
        std::ofstream(home / name, std::ios::binary) << text;
    }
    // A folder of media files (and one that is not), as a scan lists them: the subfolder's
    // files first, then the folder's own by mask.
    std::vector<std::string> MakeFolder(const std::string& name) {
        for (const char* f :
             {"02_-_Beta.ogg", "01_-_Alpha.mp3", "sub/03_-_Gamma.flac", "notes.txt"})
            Write(name + "/" + f, "x");
        const std::string d = (home / name).string();
        return {d + "/sub/03_-_Gamma.flac", d + "/01_-_Alpha.mp3", d + "/02_-_Beta.ogg"};
    }
    // A drag that enters the window and drops there, delivered to the window as the
    // platform delivers it (posted when `post`; `data` must then outlive the events).
    static void Drop(QWidget* target, QMimeData* data, bool post = false) {
        auto* enter = new QDragEnterEvent(QPoint(150, 300), Qt::CopyAction, data, Qt::LeftButton,
                                          Qt::NoModifier);
        auto* drop =
            new QDropEvent(QPointF(150, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        if (post) {
            QCoreApplication::postEvent(target->windowHandle(), enter);
            QCoreApplication::postEvent(target->windowHandle(), drop);
            return;
        }
        QCoreApplication::sendEvent(target->windowHandle(), enter);
        QCoreApplication::sendEvent(target->windowHandle(), drop);
        delete enter;
        delete drop;
    }
    // Runs events until the playlist holds `rows` rows (or a few seconds have passed).
    static void WaitForRows(tv::ui::TfrmMain& w, int rows) {
        QElapsedTimer t;
        t.start();
        while (w.Playlist().Count() < rows && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
    }
    static std::vector<std::string> Paths(tv::ui::TfrmMain& w) {
        std::vector<std::string> out;
        for (int i = 0; i < w.Playlist().Count(); ++i)
            out.push_back(w.Playlist().At(i).path);
        return out;
    }
    static std::vector<std::string> Displays(tv::ui::TfrmMain& w) {
        std::vector<std::string> out;
        for (int i = 0; i < w.Playlist().Count(); ++i)
            out.push_back(w.Playlist().At(i).display);
        return out;
    }

    fs::path home;
    FakeAudioLibrary lib;
    tv::core::NoEffects effects;
    tv::core::NoTrackInfo info;
    tv::ui::WarningSink previousSink;
};

}  // namespace

TEST_F(MainWindowWindowsTest, EqualizerKeyDrivesTheWindowSwitchAndIsSavedFromIt) {
    Write("settings.ini", "[Settings]\nEqualizer=1\n");
    {
        tv::testing::TestMain main(lib, effects, info, home, "");
        tv::effects::EffectChain& chain = main.Model().Chain();
        tv::effects::TfrmEqualizer eq(chain);
        main.SetEqualizerWindow(&eq);
        ASSERT_EQ(main.FormCreate(), std::nullopt);
        main.show();
        EXPECT_TRUE(eq.EqualizerChecked());
        EXPECT_TRUE(chain.EqualizerChecked());
        EXPECT_FALSE(eq.isVisible());

        main.bEQ->click();
        EXPECT_TRUE(eq.isVisible());
        EXPECT_LE((eq.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(),
                  4);  // rounding of odd sizes

        eq.chEqualizer()->click();  // the user switches it off
        EXPECT_FALSE(chain.EqualizerChecked());
        main.FormDestroy();
    }
    EXPECT_NE(ReadFile(home / "settings.ini").find("Equalizer=0\n"), std::string::npos);
}

TEST_F(MainWindowWindowsTest, DropLoadsPlaylistsFirstThenScansFoldersAndNeverPlays) {
    const std::vector<std::string> scanned = MakeFolder("music");
    Write("list.m3u", "#EXTM3U\n#EXTINF:10,Listed\n/m/listed.mp3\n");
    tv::testing::TestMain w(lib, effects, info, home, "");
    tv::playlist::TfrmOpen open(home / "settings.ini");
    w.SetOpenWindow(&open);
    ASSERT_EQ(w.FormCreate(), std::nullopt);
    w.show();
    ASSERT_TRUE(w.acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((home / "music").string())),
                  QUrl(QStringLiteral("https://example.org/x.mp3")),  // not a local file
                  QUrl::fromLocalFile(QString::fromStdString((home / "list.m3u").string()))});
    Drop(&w, &data);
    WaitForRows(w, 4);
    std::vector<std::string> expected{"/m/listed.mp3"};
    expected.insert(expected.end(), scanned.begin(), scanned.end());
    EXPECT_EQ(Paths(w), expected);
    EXPECT_EQ(Displays(w),
              (std::vector<std::string>{"1. Listed", "2. Gamma", "3. Alpha", "4. Beta"}));
    EXPECT_EQ(open.StagingList(), scanned);  // the shared list keeps what was staged
    EXPECT_EQ(w.Player().PlayState(), tv::core::kStopped);
    EXPECT_TRUE(lib.CallsStartingWith("StreamCreateFile(").size() <= 3u);  // tags only
}

TEST_F(MainWindowWindowsTest, DropDuringAnotherAppendKeepsEachRowWithItsOwnFile) {
    const std::vector<std::string> first = MakeFolder("one");
    const std::vector<std::string> second = MakeFolder("two");
    tv::testing::TestMain w(lib, effects, info, home, "");
    ASSERT_EQ(w.FormCreate(), std::nullopt);
    w.show();
    // The second drop arrives while the first one's rows are being completed.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((home / "two").string()))});
    Drop(&w, &data, true);
    EXPECT_EQ(w.Model().AddNames(tv::core::NameSource::Drop, {(home / "one").string()}), 3);
    WaitForRows(w, 6);
    std::vector<std::string> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(Paths(w), expected);
    const std::vector<std::string> displays = Displays(w);
    ASSERT_EQ(displays.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const std::string title = i % 3 == 0 ? "Gamma" : i % 3 == 1 ? "Alpha" : "Beta";
        EXPECT_EQ(displays[i], std::to_string(i + 1) + ". " + title) << "row " << i;
    }
}

TEST_F(MainWindowWindowsTest, EjectPopsUpTheInsertMenuWhoseFolderItemShowsTheOpenWindow) {
    tv::testing::TestMain w(lib, effects, info, home, "");
    tv::playlist::TfrmOpen open(home / "settings.ini");
    w.SetOpenWindow(&open);
    ASSERT_EQ(w.FormCreate(), std::nullopt);
    w.show();
    w.bEject->click();
    EXPECT_TRUE(w.PlayMenu().PlayMenu->isVisible());
    w.PlayMenu().PlayMenu->hide();
    w.bPlay->click();  // an empty playlist asks for files
    EXPECT_TRUE(w.PlayMenu().PlayMenu->isVisible());
    w.PlayMenu().PlayMenu->hide();
    EXPECT_FALSE(open.isVisible());
    w.PlayMenu().N3->trigger();
    EXPECT_TRUE(open.isVisible());

    // Its OK appends the chosen folder through the main window, without playing.
    const std::vector<std::string> scanned = MakeFolder("music");
    QObject::connect(&open, &tv::playlist::TfrmOpen::StagedFilesReady, &w,
                     [&w] { w.btnOpenClick(); });
    ASSERT_TRUE(open.SelectPath((home / "music").string()));
    open.Button1Click();
    EXPECT_FALSE(open.isVisible());
    EXPECT_EQ(Paths(w), scanned);
    EXPECT_EQ(w.Player().PlayState(), tv::core::kStopped);
}

TEST_F(MainWindowWindowsTest, InformationImageAndF1InThePlaylistOpenTheAboutWindow) {
    tv::testing::TestMain w(lib, effects, info, home, "");
    tv::ui::TfrmAbout about;
    w.SetAboutWindow(&about);
    ASSERT_EQ(w.FormCreate(), std::nullopt);
    w.show();
    EXPECT_EQ(w.imgi->toolTip(), "Information");
    w.imgi->click();
    EXPECT_TRUE(about.isVisible());
    about.close();
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(w.PlayList, &f1);
    EXPECT_TRUE(about.isVisible());
    w.SetAboutWindow(nullptr);
}

TEST_F(MainWindowWindowsTest, CommandLineFolderFirstAddsEverythingInOrderWithoutPlaying) {
    const std::vector<std::string> scanned = MakeFolder("music");
    Write("list.m3u", "#EXTM3U\n#EXTINF:10,Listed\n/m/listed.mp3\n");
    tv::testing::TestMain w(lib, effects, info, home,
                            std::vector<std::string>{(home / "music").string(), "/m/loose.mp3",
                                                     (home / "list.m3u").string()});
    ASSERT_EQ(w.FormCreate(), std::nullopt);
    w.show();
    WaitForRows(w, 5);
    std::vector<std::string> expected{"/m/listed.mp3"};
    expected.insert(expected.end(), scanned.begin(), scanned.end());
    expected.push_back("/m/loose.mp3");
    EXPECT_EQ(Paths(w), expected);
    EXPECT_EQ(w.Player().PlayState(), tv::core::kStopped);
}

TEST_F(MainWindowWindowsTest, CommandLineMediaFileFirstPlaysItAndAddsTheRestAfterIt) {
    const std::vector<std::string> scanned = MakeFolder("music");
    lib.streamFiles["/m/first.mp3"] = tv::audio::StreamFormat::Core;
    tv::testing::TestMain w(lib, effects, info, home,
                            std::vector<std::string>{"/m/first.mp3", (home / "music").string()});
    ASSERT_EQ(w.FormCreate(), std::nullopt);
    w.show();
    EXPECT_EQ(w.Player().CurrentPath(), "/m/first.mp3");
    WaitForRows(w, 4);
    std::vector<std::string> expected{"/m/first.mp3"};
    expected.insert(expected.end(), scanned.begin(), scanned.end());
    EXPECT_EQ(Paths(w), expected);
    EXPECT_EQ(w.Player().PlayState(), tv::core::kAudioPlaying);
    EXPECT_EQ(w.Player().CurrentPath(), "/m/first.mp3");
}

TEST_F(MainWindowWindowsTest, SpectrumDisplayFollowsPlaybackAndKeepsItsSettings) {
    Write("settings.ini", "[Settings]\nSpectrumMode=2\nSpectrumSpeed=30\nPeak=1\n");
    lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
    {
        tv::testing::TestMain w(lib, effects, info, home, "");
        ASSERT_EQ(w.FormCreate(), std::nullopt);
        w.show();
        EXPECT_EQ(w.boxPaint->geometry(), QRect(111, 30, 100, 24));
        EXPECT_FALSE(w.boxPaint->isVisible());
        EXPECT_EQ(w.tmrFFT->interval(), 30);
        EXPECT_EQ(w.TickedSpectrumItems(), (std::vector<std::string>{"High", "None", "Peak"}));

        w.Playlist().AppendPath("/m/a.mp3");
        w.Playlist().SetCurrent(0);
        w.bPlay->click();
        ASSERT_EQ(w.Player().PlayState(), tv::core::kAudioPlaying);
        EXPECT_TRUE(w.boxPaint->isVisible());
        EXPECT_TRUE(w.tmrFFT->isActive());
        lib.ClearCalls();
        QElapsedTimer t;
        t.start();
        while (lib.CallsStartingWith("ChannelGetData").empty() && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_FALSE(lib.CallsStartingWith("ChannelGetData").empty());  // the display ticks

        w.boxPaint->Controller().ChooseMenuItem(tv::spectrum::SpectrumMenuItem::Mode11);
        w.boxPaint->Controller().ChooseMenuItem(tv::spectrum::SpectrumMenuItem::Low1);
        EXPECT_EQ(w.tmrFFT->interval(), 70);
        w.bStop->click();
        EXPECT_FALSE(w.boxPaint->isVisible());
        EXPECT_FALSE(w.tmrFFT->isActive());
        w.FormDestroy();
    }
    const std::string ini = ReadFile(home / "settings.ini");
    for (const char* key : {"SpectrumMode=0\n", "SpectrumSpeed=70\n", "Peak=1\n"})
        EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
}

TEST_F(MainWindowWindowsTest, ClosingWhileTitlesFillInStopsTheCompletionAndSavesEveryRow) {
    const std::vector<std::string> scanned = MakeFolder("music");
    {
        tv::testing::TestMain w(lib, effects, info, home, "");
        ASSERT_EQ(w.FormCreate(), std::nullopt);
        w.show();
        QTimer::singleShot(0, &w, &QWidget::close);  // runs during the completion
        EXPECT_EQ(w.Model().AddNames(tv::core::NameSource::Drop, {(home / "music").string()}), 3);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.Playlist().At(2).display, "3. 02_-_Beta.ogg");  // never completed
        w.FormDestroy();
    }
    const std::string m3u = ReadFile(home / "default.m3u");
    for (const std::string& path : scanned)
        EXPECT_NE(m3u.find(path), std::string::npos) << path << " in\n" << m3u;
}
