// What a rebuild leaves and keeps: no temporary file of a killed run survives the next run of
// any kind, hard links are not split unasked, and the file's extended attributes and links stay.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tagfixtures.h"
#include "tags/id3v2.h"
#include "tags/saferewrite.h"

namespace tv::tags::test {
namespace {

const Bytes kSong = ID3v2(3, {{"TIT2", Latin1("old")}}, 100) + MpegFrames(FrameSpec{}, 2000);

bool HasLeftover(const TempDir& dir) {
    for (const std::string& name : dir.Names())
        if (IsRewriteTemporaryName(name, "s.mp3"))
            return true;
    return false;
}

// The tool rebuilding a file on a file system without unnamed temporary files (test seam), killed
// while its temporary file is being written; then the next run, of the kind given.
class KilledRebuild : public testing::TestWithParam<std::string> {};

TEST_P(KilledRebuild, LeavesNothingAfterTheNextRun) {
    TempDir dir;
    const auto file = dir.Write("s.mp3", kSong);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("TORVANELL_TAG_TEST_NAMED_ONLY", "1", 1);
        const std::string title(3000, 't');  // no room: a rebuild
        ::execl(TV_TAG_TOOL, TV_TAG_TOOL, "write", file.c_str(), "--title", title.c_str(), nullptr);
        ::_exit(127);
    }
    // Killed as soon as its named temporary file appears.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!HasLeftover(dir) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        GTEST_SKIP() << "the tool finished before it could be killed";
    ASSERT_TRUE(HasLeftover(dir));
    EXPECT_EQ(TempDir::Read(file), kSong);

    // The file goes before the fields: the tool takes both orders.
    const std::string command = GetParam();
    const size_t space = command.find(' ');
    EXPECT_EQ(RunTool(command.substr(0, space) + " " + Quoted(file) +
                      (space == std::string::npos ? "" : command.substr(space)))
                  .first,
              0);
    EXPECT_FALSE(HasLeftover(dir));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"s.mp3"});
}

// An in-place write (the short title fits), a rebuild, and a show.
INSTANTIATE_TEST_SUITE_P(
    NextRuns, KilledRebuild,
    testing::Values(std::string("write --title x"), "write --title " + std::string(3000, 'r'),
                    std::string("show")),
    [](const auto& info) {
        return std::string(info.index == 0 ? "InPlaceWrite" : info.index == 1 ? "Rebuild" : "Show");
    });

TEST(Rebuild, AFileWithOtherHardLinksIsNotSplitUnasked) {
    TempDir dir;
    const auto file = dir.Write("s.mp3", kSong);
    const auto other = dir.Path() / "other.mp3";
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    const std::string grow = " --title " + std::string(3000, 'g');
    const auto refused = RunTool("write " + Quoted(file) + grow, Errors::Captured);
    EXPECT_EQ(refused.first, 1);
    EXPECT_NE(refused.second.find("hard links"), std::string::npos) << refused.second;
    EXPECT_NE(refused.second.find("--allow-unlink"), std::string::npos) << refused.second;
    EXPECT_EQ(TempDir::Read(file), kSong);
    // In place the links stay shared.
    EXPECT_EQ(RunTool("write " + Quoted(file) + " --title x").first, 0);
    EXPECT_EQ(TempDir::Read(file), TempDir::Read(other));
    EXPECT_EQ(RunTool("write " + Quoted(file) + grow + " --allow-unlink").first, 0);
    EXPECT_NE(TempDir::Read(file), TempDir::Read(other));
}

TEST(Rebuild, KeepsModeUserAttributesAndSymbolicLinks) {
    TempDir dir;
    const auto file = dir.Write("s.mp3", kSong);
    ::chmod(file.c_str(), 0640);
    if (::setxattr(file.c_str(), "user.rating", "5", 1, 0) != 0)
        GTEST_SKIP() << "no user extended attributes on this file system";
    const auto link = dir.Path() / "link.mp3";
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    EXPECT_EQ(RunTool("write " + Quoted(link) + " --title " + std::string(3000, 'g')).first, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Title().substr(0, 3), "ggg");
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.rating", value, sizeof value), 1);
    EXPECT_EQ(value[0], '5');
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace tv::tags::test
