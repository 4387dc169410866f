#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "playlist/dropplan.h"
#include "playlist/scandir.h"
#include "tempdir.h"

namespace tv::playlist {
namespace {

using test::TempDir;

std::vector<std::string> Scan(const TempDir& dir, bool subfolders = true,
                              const std::string& folder = "") {
    std::vector<std::string> staging;
    ScanDir(folder.empty() ? dir.Path() : dir / folder, MaskList(), subfolders, staging);
    // Relative to the temporary folder, so the expectations read plainly.
    for (std::string& path : staging)
        path = path.substr(dir.Path().size() + 1);
    return staging;
}

TEST(MaskList, HoldsEveryMediaPatternWithTheEmptySeparator) {
    const std::vector<std::string> masks = MaskList();
    ASSERT_EQ(masks.size(), 51u);
    EXPECT_EQ(masks.front(), "*.mp3");
    EXPECT_EQ(masks[25], "*.tta");
    EXPECT_EQ(masks[26], "*.opus");
    EXPECT_EQ(masks[30], "*.aiff");
    EXPECT_EQ(masks[31], "");
    EXPECT_EQ(masks[32], "*.asf");
    EXPECT_EQ(masks.back(), "*.xqt");
}

TEST(MatchesMask, GlobsIgnoringCase) {
    EXPECT_TRUE(MatchesMask("Song.MP3", "*.mp3"));
    EXPECT_TRUE(MatchesMask("a.b.mp3", "*.mp3"));
    EXPECT_TRUE(MatchesMask("track01.wav", "track??.*"));
    EXPECT_TRUE(MatchesMask("x", "*"));
    EXPECT_FALSE(MatchesMask("song.mp3x", "*.mp3"));
    EXPECT_FALSE(MatchesMask("song.mp", "*.mp3"));
    EXPECT_FALSE(MatchesMask("anything", ""));
    // A long name against many stars must not take exponential time.
    EXPECT_FALSE(MatchesMask(std::string(200, 'a'), "*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(ScanDir, SubfoldersFirstThenGroupedByMaskOrder) {
    TempDir dir;
    dir.Write("b.ogg");
    dir.Write("a.mp3");
    dir.Write("sub/c.mp3");
    EXPECT_EQ(Scan(dir), (std::vector<std::string>{"sub/c.mp3", "a.mp3", "b.ogg"}));
}

TEST(ScanDir, DepthFirstCaseInsensitiveOrderUpperCaseExtensionsAndOnlyMasks) {
    TempDir dir;
    dir.Write("Zeta.MP3");
    dir.Write("alpha.mp3");
    dir.Write("Beta.Mp3");
    dir.Write("clip.AVI");
    dir.Write("notes.txt");
    dir.Write("cover.jpg");
    dir.Write("noext");
    dir.Write("B/inner/deep.flac");
    dir.Write("B/two.wav");
    dir.Write("a/one.wav");
    std::filesystem::create_directory(dir / "folder.mp3");  // a folder is never a file entry
    EXPECT_EQ(Scan(dir),
              (std::vector<std::string>{"a/one.wav", "B/inner/deep.flac", "B/two.wav", "alpha.mp3",
                                        "Beta.Mp3", "Zeta.MP3", "clip.AVI"}));
}

TEST(ScanDir, OwnMasksGroupInTheirOrderAndListAFileOnce) {
    TempDir dir;
    dir.Write("intro.mp3");
    dir.Write("track01.ogg");
    dir.Write("track02.mp3");
    dir.Write("live.OGG");
    std::vector<std::string> staging;
    ScanDir(dir.Path(), {"track??.*", "", "*.ogg", "*.mp3", "*.MP3"}, false, staging);
    for (std::string& path : staging)
        path = path.substr(dir.Path().size() + 1);
    EXPECT_EQ(staging,
              (std::vector<std::string>{"track01.ogg", "track02.mp3", "live.OGG", "intro.mp3"}));
}

// Folders below the depth at which parents stay open are opened by their path: a deep tree
// lists every level, deepest first. Extensions longer than seven bytes are matched as well.
TEST(ScanDir, DeepTreesAndLongExtensionsAreListed) {
    TempDir dir;
    std::string folder;
    std::vector<std::string> expected;
    for (int level = 0; level < 40; ++level) {
        folder += "level" + std::to_string(level) + "/";
        dir.Write(folder + "f.mp3");
        expected.insert(expected.begin(), folder + "f.mp3");
    }
    dir.Write("a.Playlist");
    dir.Write("b.playlis");
    std::vector<std::string> staging;
    ScanDir(dir.Path(), {"*.mp3", "*.playlist"}, true, staging);
    for (std::string& path : staging)
        path = path.substr(dir.Path().size() + 1);
    expected.push_back("a.Playlist");
    EXPECT_EQ(staging, expected);
}

TEST(ScanDir, WithoutSubfoldersOnlyTheFolderItself) {
    TempDir dir;
    dir.Write("x.mp3");
    dir.Write("sub/y.mp3");
    EXPECT_EQ(Scan(dir, false), std::vector<std::string>{"x.mp3"});
}

TEST(ScanDir, HiddenFoldersSkippedHiddenFilesListed) {
    TempDir dir;
    dir.Write(".hidden/secret.mp3");
    dir.Write(".quiet.mp3");
    dir.Write("loud.mp3");
    EXPECT_EQ(Scan(dir), (std::vector<std::string>{".quiet.mp3", "loud.mp3"}));
}

TEST(ScanDir, SymlinkLoopEndsAndLinkedFilesCount) {
    TempDir dir;
    dir.Write("music/a.mp3");
    dir.Write("elsewhere/linked.ogg");
    ASSERT_EQ(::symlink("..", (dir / "music/up").c_str()), 0);
    ASSERT_EQ(::symlink(".", (dir / "music/self").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "elsewhere/linked.ogg").c_str(), (dir / "music/l.ogg").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent/x.mp3", (dir / "music/broken.mp3").c_str()), 0);
    // "up" leads back to the root, which is scanned once, from there.
    const std::vector<std::string> found = Scan(dir, true, "music");
    EXPECT_EQ(found, (std::vector<std::string>{"music/up/elsewhere/linked.ogg", "music/a.mp3",
                                               "music/broken.mp3", "music/l.ogg"}));
}

TEST(ScanDir, MissingEmptyOrUnreadableFoldersAddNothing) {
    TempDir dir;
    std::vector<std::string> staging{"kept"};
    ScanDir("", MaskList(), true, staging);
    ScanDir(dir / "missing", MaskList(), true, staging);
    ScanDir(dir.Write("file.mp3"), MaskList(), true, staging);
    EXPECT_EQ(staging, std::vector<std::string>{"kept"});
}

TEST(ScanDir, UnreadableSubfolderIsSkippedAndTheScanGoesOn) {
    TempDir dir;
    dir.Write("locked/inside.mp3");
    dir.Write("open/fine.mp3");
    dir.Write("top.mp3");
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod((dir / "locked").c_str(), 0);
    const std::vector<std::string> expected{"open/fine.mp3", "top.mp3"};
    if (::geteuid() != 0) {
        EXPECT_EQ(Scan(dir), expected);
        return;
    }
    // Permissions do not keep root out: scan as an unprivileged user in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        if (::opendir((dir / "locked").c_str()) != nullptr)
            ::_exit(3);
        ::_exit(Scan(dir) == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2 || WEXITSTATUS(status) == 3) {
        GTEST_SKIP() << "no unprivileged user to scan as";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the scan did not skip the unreadable folder";
}

TEST(DropPlan, ClassifiesByTheFileSystemAndCaseInsensitiveExtension) {
    TempDir dir;
    std::filesystem::create_directories(dir / "v1.2");
    std::filesystem::create_directories(dir / "odd.m3u");
    const std::string noExtension = dir.Write("README");
    EXPECT_EQ(ClassifyDroppedName(dir / "LIST.M3U"), DroppedKind::Playlist);
    EXPECT_EQ(ClassifyDroppedName(dir / "list.m3u8"), DroppedKind::Playlist);
    EXPECT_EQ(ClassifyDroppedName(dir / "v1.2"), DroppedKind::Folder);
    EXPECT_EQ(ClassifyDroppedName(dir / "odd.m3u"), DroppedKind::Folder);
    EXPECT_EQ(ClassifyDroppedName(noExtension), DroppedKind::File);
    EXPECT_EQ(ClassifyDroppedName(dir / "song.mp3"), DroppedKind::File);
    EXPECT_EQ(ClassifyDroppedName(dir / "v1.2/m3u"), DroppedKind::File);
}

TEST(DropPlan, PlaylistsFirstThenFilesAndFoldersInDropOrder) {
    TempDir dir;
    dir.Write("album/t2.mp3");
    dir.Write("album/t1.mp3");
    const std::vector<std::string> names{dir / "one.mp3", dir / "list.M3U", "",
                                         dir / "album",   dir / "two.ogg",  dir / "second.m3u8"};
    const DropPlan plan = PlanDrop(names);
    EXPECT_EQ(plan.playlists, (std::vector<std::string>{dir / "list.M3U", dir / "second.m3u8"}));
    EXPECT_EQ(StagePlan(plan, MaskList()),
              (std::vector<std::string>{dir / "one.mp3", dir / "album/t1.mp3", dir / "album/t2.mp3",
                                        dir / "two.ogg"}));
}

}  // namespace
}  // namespace tv::playlist
