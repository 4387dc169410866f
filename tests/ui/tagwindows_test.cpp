// F2 in the playlist with the real tag windows: the row that was opened shows the saved title.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "core/tagtrackinfo.h"
#include "fakeaudiolibrary.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"
#include "testmain.h"
#include "tests/fakes/casename.h"
#include "ui/mainwindow.h"
#include "ui/playlistview.h"
#include "ui/warning.h"

namespace fs = std::filesystem;

namespace {

struct F2Case {
    const char* fixture;
    bool mp3;  // which window opens
};

class F2TagWindow : public ::testing::TestWithParam<F2Case> {
protected:
    F2TagWindow() {
        std::string tmpl = (fs::temp_directory_path() / "tv-f2-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        previousSink =
            tv::ui::SetWarningSink([this](const std::string& t) { warnings.push_back(t); });
    }
    ~F2TagWindow() override {
        tv::ui::SetWarningSink(previousSink);
        fs::remove_all(home);
    }
    fs::path home;
    tv::testing::FakeAudioLibrary lib;
    tv::core::NoEffects effects;
    tv::core::TagTrackInfo info;
    tv::ui::WarningSink previousSink;
    std::vector<std::string> warnings;
};

TEST_P(F2TagWindow, SaveShowsTheNewTitleInTheOpenedRowAfterScrolling) {
    const F2Case& c = GetParam();
    const std::string ext = fs::path(c.fixture).extension().string();
    tv::testing::TestMain w(lib, effects, info, home, "");
    for (int i = 0; i < 60; ++i) {
        const fs::path file = home / ("song" + std::to_string(i) + ext);
        fs::copy_file(fs::path(TV_TEST_DATA_DIR) / c.fixture, file);
        w.Playlist().AppendPath(file.string());
    }
    w.show();
    const int row = 45;
    w.Playlist().SetFocused(row);
    w.PlayList->MainControlKeyDown(Qt::Key_F2, Qt::NoModifier);
    EXPECT_EQ(w.Model().TagRow(), row);
    tv::tags::windows::TagWindow* window =
        c.mp3 ? static_cast<tv::tags::windows::TagWindow*>(w.MP3TagWindow()) : w.OggTagWindow();
    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE((c.mp3 ? static_cast<QWidget*>(w.OggTagWindow()) : w.MP3TagWindow())->isVisible());
    EXPECT_EQ(window->Path(), (home / ("song45" + ext)).string());

    w.PlayList->SetListTop(0);  // the user scrolls back to the top meanwhile
    if (c.mp3) {
        w.MP3TagWindow()->ArtistEdit2->setText(QStringLiteral("Band"));
        w.MP3TagWindow()->TitleEdit2->setText(QStringLiteral("New Title"));
        w.MP3TagWindow()->SaveButton2->click();
    } else {
        w.OggTagWindow()->EditArtist->setText(QStringLiteral("Band"));
        w.OggTagWindow()->EditTitle->setText(QStringLiteral("New Title"));
        w.OggTagWindow()->ButtonSaveTag->click();
    }
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(w.Playlist().At(row).display, "46. Band - New Title");
    EXPECT_EQ(w.Playlist().At(row - 1).display.find("New Title"), std::string::npos);
    EXPECT_TRUE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Formats, F2TagWindow,
                         ::testing::Values(F2Case{"tone-1k.mp3", true},
                                           F2Case{"tone-1k.ogg", false}),
                         tv::cases::NameFrom(&F2Case::fixture));

TEST(F2TagWindowOther, OtherFilesOpenNoWindow) {
    tv::testing::FakeAudioLibrary lib;
    tv::core::NoEffects effects;
    tv::core::TagTrackInfo info;
    const fs::path home = fs::temp_directory_path();
    tv::testing::TestMain w(lib, effects, info, home / "tv-f2-none", "");
    w.Playlist().AppendPath((fs::path(TV_TEST_DATA_DIR) / "tone-1k.flac").string());
    w.Playlist().SetFocused(0);
    w.PlayList->MainControlKeyDown(Qt::Key_F2, Qt::NoModifier);
    EXPECT_FALSE(w.MP3TagWindow()->isVisible());
    EXPECT_FALSE(w.OggTagWindow()->isVisible());
    EXPECT_EQ(w.Model().TagRow(), -1);
}

}  // namespace
