// The player model: the one way from names to playlist rows for every source, the saved state
// and its change tracking, and the tag save.

#include "core/playermodel.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <filesystem>
#include <fstream>

#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"

using namespace tv::core;
using tv::audio::StreamFormat;
using tv::testing::FakeAudioLibrary;
namespace fs = std::filesystem;

namespace {

// Records the files whose tags a row is built from, in the order asked.
class LoggingTrackInfo : public TrackInfoReader {
public:
    explicit LoggingTrackInfo(std::vector<std::string>& log) : m_log(log) {}
    TrackFacts facts;
    TrackFacts Read(const std::string& path, const std::string&) override {
        m_log.push_back("build " + path);
        return facts;
    }

private:
    std::vector<std::string>& m_log;
};

class PlayerModelTest : public ::testing::Test {
protected:
    PlayerModelTest() : info(log), view(lib.calls) {
        std::string tmpl = (fs::temp_directory_path() / "tv-model-XXXXXX").string();
        root = mkdtemp(tmpl.data());
        model =
            std::make_unique<PlayerModel>(lib, info, root, TrackGeometry{10, 200, 10}, &effects);
        model->AttachViews(&view, nullptr);
        Write(root + "/list.m3u", "#EXTM3U\r\n#EXTINF:10,Listed\r\n/x/listed.mp3\r\n");
        Write(root + "/dir/a.mp3", "x");
        Write(root + "/dir/sub/b.mp3", "x");
        Write(root + "/dir/readme.txt", "x");
        lib.streamFiles["/old.mp3"] = StreamFormat::Core;
        model->Playlist().AppendEntry("Old", "01:00", "/old.mp3");
        model->StagingList() = {"/stale.mp3"};
    }
    ~PlayerModelTest() override { fs::remove_all(root); }
    static void Write(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const auto& e : model->Playlist().Entries())
            paths.push_back(e.path);
        return paths;
    }
    Player& player() { return model->GetPlayer(); }

    std::string root;
    FakeAudioLibrary lib;
    std::vector<std::string> log;
    LoggingTrackInfo info;
    tv::testing::FakePlayerView view;
    NoEffects effects;
    std::unique_ptr<PlayerModel> model;
};

class OpenDialogNames : public PlayerModelTest, public ::testing::WithParamInterface<int> {};

TEST_P(OpenDialogNames, PlaylistFirstThenFilesAndFoldersInOrderPlayOnlyWhenStopped) {
    if (GetParam() != kStopped)
        player().btnPlayClick();  // /old.mp3
    if (GetParam() == kAudioPaused)
        player().btnPauseClick();
    ASSERT_EQ(player().PlayState(), GetParam());
    log.clear();
    const std::vector<std::string> names{root + "/one.mp3", root + "/dir", root + "/list.m3u"};
    EXPECT_EQ(model->AddNames(NameSource::OpenDialog, names), 4);

    const std::vector<std::string> staged{root + "/one.mp3", root + "/dir/sub/b.mp3",
                                          root + "/dir/a.mp3"};
    EXPECT_EQ(model->StagingList(), staged);
    std::vector<std::string> paths{"/old.mp3", "/x/listed.mp3"};
    paths.insert(paths.end(), staged.begin(), staged.end());
    EXPECT_EQ(Paths(), paths);
    EXPECT_EQ(model->Playlist().At(1).display, "2. Listed");
    EXPECT_EQ(model->Playlist().At(1).duration, "00:10");
    EXPECT_EQ(model->Playlist().At(4).display, "5. a");  // completed from the file

    // Only the staged rows are completed; Play (which rebuilds the row it starts) comes last.
    std::vector<std::string> expected{"build " + staged[0], "build " + staged[1],
                                      "build " + staged[2]};
    if (GetParam() == kStopped)
        expected.push_back("build /old.mp3");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(player().PlayState(), GetParam() == kStopped ? kAudioPlaying : GetParam());
}

INSTANTIATE_TEST_SUITE_P(PlayStates, OpenDialogNames,
                         ::testing::Values(kStopped, kAudioPlaying, kAudioPaused));

TEST_F(PlayerModelTest, CancelledDialogChangesNothing) {
    EXPECT_EQ(model->AddNames(NameSource::OpenDialog, {}), 0);
    EXPECT_EQ(model->StagingList(), std::vector<std::string>{"/stale.mp3"});
    EXPECT_EQ(model->Playlist().Count(), 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(player().PlayState(), kStopped);
}

TEST_F(PlayerModelTest, OnlyAPlaylistStillEmptiesTheStagingListAndPlays) {
    Write(root + "/UPPER.M3U", "#EXTM3U\r\n#EXTINF:5,Upper\r\n/x/upper.mp3\r\n");
    EXPECT_EQ(model->AddNames(NameSource::OpenDialog, {root + "/UPPER.M3U"}), 1);
    EXPECT_TRUE(model->StagingList().empty());
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/old.mp3", "/x/upper.mp3"}));
    EXPECT_EQ(log, std::vector<std::string>{"build /old.mp3"});
    EXPECT_EQ(player().PlayState(), kAudioPlaying);
}

// A command line and a second start: a first media file is appended, selected and played;
// the rest is added like a drop after it. A first folder plays nothing.
struct StartCase {
    NameSource source;
    bool firstIsFile;
};

class StartNames : public PlayerModelTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartNames, FirstMediaFilePlaysAndTheRestFollowLikeADrop) {
    const StartCase& c = GetParam();
    lib.streamFiles[root + "/first.mp3"] = StreamFormat::Core;
    std::vector<std::string> names{root + "/dir", root + "/list.m3u"};
    if (c.firstIsFile)
        names.insert(names.begin(), root + "/first.mp3");
    EXPECT_EQ(model->AddNames(c.source, names), c.firstIsFile ? 4 : 3);
    std::vector<std::string> paths{"/old.mp3"};
    if (c.firstIsFile)
        paths.push_back(root + "/first.mp3");
    for (const char* p : {"/x/listed.mp3"})
        paths.push_back(p);
    paths.push_back(root + "/dir/sub/b.mp3");
    paths.push_back(root + "/dir/a.mp3");
    EXPECT_EQ(Paths(), paths);
    if (c.firstIsFile) {
        EXPECT_EQ(player().PlayState(), kAudioPlaying);
        EXPECT_EQ(player().CurrentPath(), root + "/first.mp3");
        EXPECT_EQ(model->Playlist().SelectedRows(), std::vector<int>{1});
    } else {
        EXPECT_EQ(player().PlayState(), kStopped);
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, StartNames,
                         ::testing::Values(StartCase{NameSource::CommandLine, true},
                                           StartCase{NameSource::CommandLine, false},
                                           StartCase{NameSource::SecondStart, true},
                                           StartCase{NameSource::SecondStart, false}),
                         [](const ::testing::TestParamInfo<StartCase>& info) {
                             return std::string(info.param.source == NameSource::CommandLine
                                                    ? "CommandLine"
                                                    : "SecondStart") +
                                    (info.param.firstIsFile ? "_FileFirst" : "_FolderFirst");
                         });

TEST_F(PlayerModelTest, DropNeverPlaysAndClosingTakesNoNames) {
    lib.streamFiles[root + "/first.mp3"] = StreamFormat::Core;
    EXPECT_EQ(model->AddNames(NameSource::Drop, {root + "/first.mp3", root + "/list.m3u"}), 2);
    EXPECT_EQ(Paths(),
              (std::vector<std::string>{"/old.mp3", "/x/listed.mp3", root + "/first.mp3"}));
    EXPECT_EQ(player().PlayState(), kStopped);

    model->BeginClose();
    EXPECT_EQ(model->AddNames(NameSource::SecondStart, {root + "/first.mp3"}), 0);
    EXPECT_EQ(model->Playlist().Count(), 3);
}

// --- the saved state ----------------------------------------------------------------------

class SavedPlaylist : public PlayerModelTest,
                      public ::testing::WithParamInterface<std::tuple<const char*, bool, bool>> {
protected:
    void Change(const std::string& what) {
        auto& list = model->Playlist();
        if (what == "add")
            model->AddNames(NameSource::Drop, {root + "/dir/a.mp3"});
        else if (what == "remove")
            list.RemoveEntry(0);
        else if (what == "retitle")
            list.SetRow(0, "Another", "02:00");
        else if (what == "same texts")
            list.SetRow(0, "Old", "01:00");
        else if (what == "current")
            list.SetCurrent(-1);
        else if (what == "focus and selection")
            list.Select(0), list.SetFocused(-1);
    }
};

TEST_P(SavedPlaylist, DefaultM3uIsRewrittenOnlyWhenWhatItSavesChanged) {
    const auto [change, dirty, rewritten] = GetParam();
    const fs::path m3u = root + "/default.m3u";
    Write(m3u.string(), "#EXTM3U\r\n#EXTINF:60,Old\r\n/old.mp3\r\n");
    model->Playlist().ClearPlaylist();
    model->LoadState(1024, 768);
    ASSERT_EQ(Paths(), std::vector<std::string>{"/old.mp3"});
    EXPECT_FALSE(model->PlaylistDirty());
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(m3u, past);

    Change(change);
    EXPECT_EQ(model->PlaylistDirty(), dirty) << change;
    model->SaveState();
    EXPECT_EQ(fs::last_write_time(m3u) != past, rewritten) << change;
    EXPECT_FALSE(model->PlaylistDirty()) << change;
    EXPECT_TRUE(fs::exists(model->SettingsPath()));
}

INSTANTIATE_TEST_SUITE_P(Changes, SavedPlaylist,
                         ::testing::Values(std::tuple{"nothing", false, false},
                                           std::tuple{"same texts", false, false},
                                           std::tuple{"focus and selection", false, false},
                                           std::tuple{"add", true, true},
                                           std::tuple{"remove", true, true},
                                           std::tuple{"retitle", true, true},
                                           // settings.ini keeps the current entry; the file's
                                           // text does not change, so it is left alone
                                           std::tuple{"current", true, false}));

TEST_F(PlayerModelTest, MissingOrForeignDefaultM3uIsWrittenEvenWhenNothingChanged) {
    model->LoadState(1024, 768);
    model->SaveState();
    EXPECT_TRUE(fs::exists(model->PlaylistPath()));

    Write(model->PlaylistPath().string(), "/old.mp3\n");  // another program's form
    model->Playlist().ClearPlaylist();
    model->LoadState(1024, 768);
    model->SaveState();
    std::ifstream in(model->PlaylistPath(), std::ios::binary);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "#EXTM3U\r");
}

// --- the tag windows ----------------------------------------------------------------------

class FakeTagWindow : public TagWindowHook {
public:
    bool visible = true;
    std::string path;
    std::vector<std::string> reloads;
    bool IsVisible() const override { return visible; }
    std::string Path() const override { return path; }
    void Reload(const std::string& p) override { reloads.push_back(p); }
};

TEST_F(PlayerModelTest, TagSaveRebuildsTheEditedRowOfVisibleWindowsOnly) {
    auto& list = model->Playlist();
    list.ClearPlaylist();
    list.AppendPath("/m/a.mp3");
    list.AppendPath("/m/b.mp3");
    list.SetFocused(0);
    list.SetEntryCounter(9);
    FakeTagWindow mp3, ogg;
    mp3.path = "/m/b.mp3";
    ogg.visible = false;
    model->SetTagWindows({&mp3, &ogg});
    model->SetTagRow(1);
    info.facts = {"New", "Name", 1};

    EXPECT_FALSE(model->SaveTags([] { return false; }));  // a failed write rebuilds nothing
    EXPECT_EQ(list.At(1).display, "2. b.mp3");
    EXPECT_TRUE(mp3.reloads.empty());

    EXPECT_TRUE(model->SaveTags([] { return true; }));
    EXPECT_EQ(list.At(1).display, "2. New - Name");
    EXPECT_EQ(list.At(0).display, "1. a.mp3");
    EXPECT_EQ(list.EntryCounter(), 9);
    EXPECT_EQ(mp3.reloads, std::vector<std::string>{"/m/a.mp3"});
    EXPECT_EQ(model->TagRow(), 0);  // the windows now show the focused entry
    EXPECT_TRUE(ogg.reloads.empty());
}

}  // namespace
