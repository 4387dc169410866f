#include <gtest/gtest.h>

#include <cerrno>

#include <fstream>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "playlist/m3u.h"
#include "tempdir.h"
#include "tests/fakes/casename.h"

namespace tv::playlist {
namespace {

using test::TempDir;

PlaylistModel Load(const std::string& text, const std::string& base = "/lists") {
    PlaylistModel model;
    LoadPlaylistText(model, text, base);
    return model;
}

TEST(M3uWriter, WritesTheExactBytesWithCrLf) {
    PlaylistModel model;
    model.AppendEntry("Artist - Title", "03:25", "/music/a.mp3");
    model.AppendEntry("Other", "01:01", "/music/b.ogg");
    model.AppendEntry("Long", "62:05", "/music/long.flac");
    model.AppendPath("/music/new.wav");  // never completed: length unknown
    EXPECT_EQ(PlaylistFileText(model),
              "#EXTM3U\r\n"
              "#EXTINF:205,Artist - Title\r\n/music/a.mp3\r\n"
              "#EXTINF:61,Other\r\n/music/b.ogg\r\n"
              "#EXTINF:3725,Long\r\n/music/long.flac\r\n"
              "#EXTINF:-1,new.wav\r\n/music/new.wav\r\n");
}

TEST(M3uWriter, EmptyPlaylistIsOneHeaderLine) {
    TempDir dir;
    PlaylistModel model;
    ASSERT_TRUE(SavePlaylistFile(model, dir / "default.m3u"));
    EXPECT_EQ(TempDir::Read(dir / "default.m3u"), "#EXTM3U\r\n");
}

TEST(M3uWriter, LineBreaksInTitlesOrPathsCannotShiftTheEntries) {
    PlaylistModel model;
    model.AppendEntry("Two\r\nLines", "00:10", "/m/a.mp3");
    model.AppendEntry("Broken", "00:10", "/m/evil\n#EXTINF:1,x\n/etc/passwd");
    model.AppendEntry("Hash", "00:10", "#relative.mp3");
    model.AppendEntry("Last", "00:10", "/m/z.mp3");
    PlaylistModel back = Load(PlaylistFileText(model), "/lists");
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.At(0).display, "1. Two  Lines");
    EXPECT_EQ(back.At(1).path, "/lists/#relative.mp3");
    EXPECT_EQ(back.At(2).display, "3. Last");
    EXPECT_EQ(back.At(2).path, "/m/z.mp3");
}

TEST(M3uReader, InfoLineTitleKeepsItsCommasAndDuration) {
    PlaylistModel model = Load("#EXTM3U\r\n#EXTINF:61,The Title, Part 2\r\n/m/a.mp3\r\n");
    ASSERT_EQ(model.Count(), 1);
    EXPECT_EQ(model.At(0).display, "1. The Title, Part 2");
    EXPECT_EQ(model.At(0).duration, "01:01");
    EXPECT_EQ(model.At(0).path, "/m/a.mp3");
}

TEST(M3uRoundTrip, WhatTheWriterWritesLoadsBackExactly) {
    PlaylistModel model;
    model.AppendEntry("Long", "62:05", "/m/long.mp3");
    model.AppendEntry("Ünïcødé – 日本語", "00:00", "/müsik/歌.mp3");
    model.AppendEntry("", "00:07", "/m/untitled.mp3");
    model.AppendEntry("  spaced , comma ", "10:00", "/m/trailing space .mp3 ");
    model.AppendPath("/m/fresh.ogg");
    const std::string text = PlaylistFileText(model);
    EXPECT_NE(text.find("#EXTINF:3725,Long\r\n"), std::string::npos);
    PlaylistModel back = Load(text);
    ASSERT_EQ(back.Count(), model.Count());
    for (int i = 0; i < model.Count(); ++i) {
        EXPECT_EQ(back.At(i).display, model.At(i).display) << i;
        EXPECT_EQ(back.At(i).duration, model.At(i).duration) << i;
        EXPECT_EQ(back.At(i).path, model.At(i).path) << i;
    }
    EXPECT_EQ(back.At(0).duration, "62:05");
    EXPECT_EQ(PlaylistFileText(back), text);
}

struct ReaderCase {
    const char* name;
    std::string text;
    std::vector<std::string> paths;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

class M3uReaderTolerance : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(M3uReaderTolerance, LoadsEveryEntryWithoutShifting) {
    PlaylistModel model = Load(GetParam().text);
    std::vector<std::string> paths;
    for (const Entry& e : model.Entries())
        paths.push_back(e.path);
    EXPECT_EQ(paths, GetParam().paths);
    EXPECT_EQ(model.EntryCounter(), model.Count());
}

INSTANTIATE_TEST_SUITE_P(
    Foreign, M3uReaderTolerance,
    ::testing::Values(
        ReaderCase{"HeaderWithTrailingBlank", "#EXTM3U \n#EXTINF:1,A\n/a\n", {"/a"}},
        ReaderCase{"LowerCaseHeader", "#extm3u\n#extinf:1,A\n/a\n", {"/a"}},
        ReaderCase{"NoHeader", "#EXTINF:1,A\n/a\n#EXTINF:2,B\n/b\n", {"/a", "/b"}},
        ReaderCase{"BarePaths", "/a\n/b\r\n/c", {"/a", "/b", "/c"}},
        ReaderCase{"BlankAndCommentLines",
                   "#EXTM3U\n\n#EXTINF:1,A\n# a remark\n/a\n  \n#EXTINF:2,B\n\t\n/b\n",
                   {"/a", "/b"}},
        ReaderCase{"MixedLineEnds", "#EXTM3U\r#EXTINF:1,A\r/a\n#EXTINF:2,B\r\n/b", {"/a", "/b"}},
        ReaderCase{"ByteOrderMark", "\xEF\xBB\xBF#EXTM3U\n#EXTINF:1,A\n/a\n", {"/a"}},
        ReaderCase{"UnpairedLastInfoLine", "#EXTM3U\n#EXTINF:1,A\n/a\n#EXTINF:2,B\n", {"/a"}},
        ReaderCase{"BadDurationKeepsThePath",
                   "#EXTM3U\n#EXTINF:abc,A\n/a\n#EXTINF:2,B\n/b\n",
                   {"/a", "/b"}},
        ReaderCase{"InfoWithoutPathIsReplaced", "#EXTINF:1,A\n#EXTINF:2,B\n/b\n", {"/b"}},
        ReaderCase{"RelativeAndUrl",
                   "#EXTM3U\nsub/a.mp3\n./b.mp3\nhttp://host/s.mp3\n",
                   {"/lists/sub/a.mp3", "/lists/b.mp3", "http://host/s.mp3"}},
        ReaderCase{"NulLineSkipped", std::string("/a\n/b\0c\n/d\n", 10), {"/a", "/d"}},
        ReaderCase{"Empty", "", {}}, ReaderCase{"HeaderOnly", "#EXTM3U\r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DurationCase {
    const char* info;
    const char* duration;
    const char* display;
};

void PrintTo(const DurationCase& c, std::ostream* os) {
    *os << c.info;
}

class M3uReaderDurations : public ::testing::TestWithParam<DurationCase> {};

TEST_P(M3uReaderDurations, ReadsTheLengthAndTitle) {
    PlaylistModel model = Load(std::string("#EXTM3U\n") + GetParam().info + "\n/m/song.mp3\n");
    ASSERT_EQ(model.Count(), 1);
    EXPECT_EQ(model.At(0).duration, GetParam().duration);
    EXPECT_EQ(model.At(0).display, GetParam().display);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, M3uReaderDurations,
    ::testing::Values(DurationCase{"#EXTINF:3725,Long", "62:05", "1. Long"},
                      DurationCase{"#EXTINF:-1,Stream", "", "1. Stream"},
                      DurationCase{"#EXTINF:61.6,Frac", "01:02", "1. Frac"},
                      DurationCase{"#EXTINF: +42 ,Blanks", "00:42", "1. Blanks"},
                      DurationCase{"#EXTINF:-1 tvg-id=\"x\",Attr", "", "1. Attr"},
                      DurationCase{"#EXTINF:99999999999999999999,Huge", "", "1. Huge"},
                      DurationCase{"#EXTINF:nan,NotANumber", "", "1. NotANumber"},
                      DurationCase{"#EXTINF:205", "03:25", "1. song.mp3"},
                      DurationCase{"#EXTINF:7,", "00:07", "1. "}),
    tv::cases::NameFrom(&DurationCase::info));

TEST(M3uFile, LoadingTwiceAppendsTwiceNumberedOn) {
    TempDir dir;
    const std::string list =
        dir.Write("list.m3u", "#EXTM3U\r\n#EXTINF:1,A\r\n/a\r\n#EXTINF:2,B\r\n/b\r\n");
    PlaylistModel model;
    model.AppendPath("/first.mp3");
    EXPECT_EQ(LoadPlaylistFile(model, list), 2);
    EXPECT_EQ(LoadPlaylistFile(model, list), 2);
    ASSERT_EQ(model.Count(), 5);
    EXPECT_EQ(model.At(3).display, "4. A");
    EXPECT_EQ(model.At(4).display, "5. B");
    EXPECT_EQ(model.At(4).path, "/b");
    EXPECT_EQ(model.EntryCounter(), 5);
    EXPECT_EQ(model.RandomList().size(), 5u);
}

TEST(M3uFile, RelativePathsResolveAgainstThePlaylistFolderAndMissingFilesLoadNothing) {
    TempDir dir;
    const std::string list = dir.Write("sub/list.m3u8", "#EXTM3U\nsongs/é.mp3\n");
    PlaylistModel model;
    EXPECT_EQ(LoadPlaylistFile(model, list), 1);
    EXPECT_EQ(model.At(0).path, dir.Path() + "/sub/songs/é.mp3");
    EXPECT_EQ(model.At(0).display, "1. é.mp3");
    EXPECT_EQ(LoadPlaylistFile(model, dir / "missing.m3u"), 0);
    EXPECT_EQ(LoadPlaylistFile(model, dir.Path()), 0);  // a folder is no playlist
    ASSERT_EQ(::mkfifo((dir / "pipe.m3u").c_str(), 0600), 0);
    EXPECT_EQ(LoadPlaylistFile(model, dir / "pipe.m3u"), 0);  // returns instead of waiting
    EXPECT_EQ(model.Count(), 1);
}

TEST(M3uFile, SaveReplacesAndKeepsPermissionsAndNonAsciiNames) {
    TempDir dir;
    const std::string target = dir.Write("plé.m3u", "old content");
    ::chmod(target.c_str(), 0640);
    PlaylistModel model;
    model.AppendEntry("Ä", "00:05", "/ü/ß.mp3");
    ASSERT_TRUE(SavePlaylistFile(model, target));
    EXPECT_EQ(TempDir::Read(target), "#EXTM3U\r\n#EXTINF:5,Ä\r\n/ü/ß.mp3\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPlaylistPath(target)));
}

TEST(M3uFile, FailedSaveLeavesTheOriginalWhole) {
    TempDir dir;
    const std::string target = dir.Write("default.m3u", "#EXTM3U\r\n#EXTINF:1,Keep\r\n/keep\r\n");
    // A file system that refuses the rename (the steps of the recipe are faulted one by one in
    // the recipe's own test): the original stays.
    struct NoRename : tags::FileOps {
        int Rename(const char*, const char*) override { return errno = EXDEV, -1; }
    } noRename;
    PlaylistModel model;
    model.AppendPath("/new.mp3");
    std::string error;
    EXPECT_FALSE(SavePlaylistFile(model, target, &error, noRename));
    EXPECT_NE(error.find("default.m3u"), std::string::npos) << error;
    EXPECT_EQ(TempDir::Read(target), "#EXTM3U\r\n#EXTINF:1,Keep\r\n/keep\r\n");
    // A folder that does not exist cannot be saved into either.
    EXPECT_FALSE(SavePlaylistFile(model, dir / "nowhere/default.m3u"));
    EXPECT_FALSE(SavePlaylistFile(model, ""));
}

TEST(M3uFile, SymlinkAtTheTemporaryNameIsNotWrittenThrough) {
    TempDir dir;
    const std::string victim = dir.Write("victim.txt", "precious");
    const std::string target = dir / "default.m3u";
    ASSERT_EQ(::symlink(victim.c_str(), TemporaryPlaylistPath(target).c_str()), 0);
    PlaylistModel model;
    model.AppendEntry("T", "00:01", "/t.mp3");
    ASSERT_TRUE(SavePlaylistFile(model, target));
    EXPECT_EQ(TempDir::Read(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(target));
    EXPECT_EQ(TempDir::Read(target), "#EXTM3U\r\n#EXTINF:1,T\r\n/t.mp3\r\n");
}

TEST(M3uFile, ALinkedPlaylistIsWrittenThroughToItsTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "dotfiles");
    const std::string real = dir.Write("dotfiles/default.m3u", "#EXTM3U\r\n");
    const std::string link = dir / "default.m3u";
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    PlaylistModel model;
    model.AppendEntry("T", "00:01", "/t.mp3");
    ASSERT_TRUE(SavePlaylistFile(model, link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::Read(real), "#EXTM3U\r\n#EXTINF:1,T\r\n/t.mp3\r\n");
}

// What stands at the name of default.m3u, made by the test.
struct Unreadable {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* reason;
};

class KeptPlaylistUnreadable : public testing::TestWithParam<Unreadable> {};

TEST_P(KeptPlaylistUnreadable, IsNeverOverwrittenAndThePlaylistGoesBeside) {
    TempDir dir;
    const std::string path = dir / "default.m3u";
    GetParam().make(path);
    if (std::string(GetParam().name) == "NoPermission" && ::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    KeptPlaylist kept(path);
    PlaylistModel model;
    const std::string warning = kept.Load(model);
    EXPECT_NE(warning.find(path), std::string::npos) << warning;
    EXPECT_NE(warning.find(GetParam().reason), std::string::npos) << warning;
    EXPECT_NE(warning.find(path + ".new"), std::string::npos) << warning;
    model.AppendEntry("T", "00:01", "/t.mp3");
    EXPECT_EQ(kept.Save(model), "");
    EXPECT_EQ(TempDir::Read(path + ".new"), "#EXTM3U\r\n#EXTINF:1,T\r\n/t.mp3\r\n");
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_FALSE(S_ISREG(st.st_mode) && st.st_size > 0 && (st.st_mode & 0444) != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, KeptPlaylistUnreadable,
    testing::Values(Unreadable{"AFolder",
                               [](const std::string& p) { std::filesystem::create_directory(p); },
                               "folder"},
                    Unreadable{"AFifo", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); },
                               "not a regular file"},
                    Unreadable{"NoPermission",
                               [](const std::string& p) {
                                   std::ofstream(p) << "#EXTM3U\r\n/a.mp3\r\n";
                                   ::chmod(p.c_str(), 0);
                               },
                               "Permission denied"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeptPlaylist, AReadableOrMissingFileIsWrittenInPlace) {
    TempDir dir;
    const std::string path = dir / "default.m3u";
    KeptPlaylist kept(path);
    PlaylistModel model;
    EXPECT_EQ(kept.Load(model), "");  // missing: nothing to warn about
    EXPECT_EQ(kept.SavePath(), path);
    EXPECT_EQ(kept.Save(model), "");
    EXPECT_EQ(TempDir::Read(path), "#EXTM3U\r\n");
}

}  // namespace
}  // namespace tv::playlist
