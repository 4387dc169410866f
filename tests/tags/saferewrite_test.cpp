#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include "failingops.h"
#include "tagfixtures.h"
#include "tags/saferewrite.h"
#include "tests/fakes/casename.h"

namespace tv::tags::test {
namespace {

class SafeRewriteFaults : public testing::TestWithParam<Step> {};

TEST_P(SafeRewriteFaults, OriginalStaysWholeAndNoTemporaryIsLeft) {
    TempDir dir;
    const Bytes original = B("original content that must survive");
    const auto file = dir.Write("song.mp3", original);
    FailingOps ops(GetParam(), 7);
    std::string error;
    const Bytes replacement(100, 'n');
    const bool ok = SafeRewrite(
        file, [&](RewriteSink& sink) { return sink.Write(replacement.data(), replacement.size()); },
        &error, ops);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find("song.mp3"), std::string::npos) << error;
    EXPECT_EQ(TempDir::Read(file), original);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"song.mp3"});
}

INSTANTIATE_TEST_SUITE_P(Steps, SafeRewriteFaults,
                         testing::Values(Step::Create, Step::Write, Step::Flush, Step::Close,
                                         Step::Rename),
                         tv::cases::ValueName());

// The real operations, except that the file system offers no unnamed files.
class NamedOnlyOps : public FileOps {
public:
    int Open(const char* path, int flags, mode_t mode) override {
        if ((flags & O_TMPFILE) == O_TMPFILE)
            return errno = EOPNOTSUPP, -1;
        return FileOps::Open(path, flags, mode);
    }
};

class RewriteKilled : public testing::TestWithParam<bool> {};

TEST_P(RewriteKilled, LeavesTheOriginalAndNoTemporaryAfterTheNextRewrite) {
    const bool unnamedFiles = GetParam();
    NamedOnlyOps namedOnly;
    FileOps& ops = unnamedFiles ? SystemFileOps() : namedOnly;
    TempDir dir;
    if (unnamedFiles) {
        const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_WRONLY, 0600);
        if (probe < 0)
            GTEST_SKIP() << "the temporary folder's file system has no unnamed files";
        ::close(probe);
    }
    const Bytes original(300000, 'o');
    const auto file = dir.Write("song.mp3", original);
    // Not ours: a backup of the user's under the plain "~" name, and a name of our pattern
    // whose process still runs.
    dir.Write("song.mp3~", B("backup"));
    dir.Write("song.mp3~tv1-0", B("busy"));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const Bytes half(1 << 20, 'n');
        SafeRewrite(
            file,
            [&](RewriteSink& sink) {
                sink.Write(half.data(), half.size());
                ::raise(SIGKILL);  // killed in the middle of the content
                return true;
            },
            nullptr, ops);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(TempDir::Read(file), original);
    const std::vector<std::string> untouched = {"song.mp3", "song.mp3~", "song.mp3~tv1-0"};
    if (unnamedFiles)
        EXPECT_EQ(dir.Names(), untouched);  // nothing was ever named
    else
        EXPECT_EQ(dir.Names().size(), 4u);  // the killed rewrite's temporary file

    ASSERT_TRUE(SafeRewrite(
        file, [](RewriteSink& sink) { return sink.Write("new", 3); }, nullptr, ops));
    EXPECT_EQ(TempDir::Read(file), B("new"));
    EXPECT_EQ(dir.Names(), untouched);
    EXPECT_EQ(TempDir::Read(dir.Path() / "song.mp3~"), B("backup"));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, RewriteKilled, testing::Values(true, false),
                         [](const auto& info) {
                             return std::string(info.param ? "Unnamed" : "NamedOnly");
                         });

TEST(SafeRewrite, TemporaryNamesOfOurOwnPatternOnly) {
    long pid = 0;
    EXPECT_TRUE(IsRewriteTemporaryName("a.mp3~tv123-4", "a.mp3", &pid));
    EXPECT_EQ(pid, 123);
    for (const char* other : {"a.mp3~", "a.mp3~tv", "a.mp3~tv123", "a.mp3~tv123-", "a.mp3~tvx-1",
                              "a.mp3~tv1-2.bak", "b.mp3~tv1-2", "xa.mp3~tv1-2"})
        EXPECT_FALSE(IsRewriteTemporaryName(other, "a.mp3")) << other;
}

TEST(SafeRewrite, ReplacesTheContentAndKeepsThePermissionBits) {
    TempDir dir;
    const auto file = dir.Write("a.mp3", B("old"));
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(SafeRewrite(file, [](RewriteSink& sink) { return sink.Write("new!", 4); }));
    EXPECT_EQ(TempDir::Read(file), B("new!"));
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.mp3"});
}

TEST(SafeRewrite, ProducerRefusalLeavesTheFile) {
    TempDir dir;
    const auto file = dir.Write("a.mp3", B("keep"));
    EXPECT_FALSE(SafeRewrite(file, [](RewriteSink& sink) { return sink.Write("xx", 2) && false; }));
    EXPECT_EQ(TempDir::Read(file), B("keep"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.mp3"});
}

TEST(SafeRewrite, PlantedSymlinkAtTheTemporaryNameIsNotFollowed) {
    TempDir dir;
    const auto file = dir.Write("a.mp3", B("old"));
    const auto victim = dir.Write("victim", B("precious"));
    std::filesystem::create_symlink(victim, dir.Path() / "a.mp3~");
    ASSERT_TRUE(SafeRewrite(file, [](RewriteSink& sink) { return sink.Write("new", 3); }));
    EXPECT_EQ(TempDir::Read(victim), B("precious"));
    EXPECT_EQ(TempDir::Read(file), B("new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "a.mp3~"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.mp3", "a.mp3~", "victim"}));
}

TEST(SafeRewrite, SymlinkedFileIsRewrittenBehindTheLink) {
    TempDir dir;
    const auto real = dir.Write("real.mp3", B("old"));
    const auto link = dir.Path() / "link.mp3";
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(SafeRewrite(link, [](RewriteSink& sink) { return sink.Write("new", 3); }));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::Read(real), B("new"));
}

TEST(SafeRewrite, CopyFromStopsAtAShortSource) {
    TempDir dir;
    const auto source = dir.Write("src", B("0123456789"));
    const auto file = dir.Write("dst", B("old"));
    const int fd = ::open(source.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(SafeRewrite(file, [&](RewriteSink& sink) { return sink.CopyFrom(fd, 4, -1); }));
    EXPECT_EQ(TempDir::Read(file), B("456789"));
    // Asking for more than there is fails, and the file stays.
    EXPECT_FALSE(SafeRewrite(file, [&](RewriteSink& sink) { return sink.CopyFrom(fd, 4, 50); }));
    EXPECT_EQ(TempDir::Read(file), B("456789"));
    ::close(fd);
}

TEST(SafeRewrite, MissingOrSpecialTargetsFail) {
    TempDir dir;
    auto produce = [](RewriteSink& sink) { return sink.Write("x", 1); };
    EXPECT_FALSE(SafeRewrite(dir.Path() / "missing", produce));
    EXPECT_FALSE(SafeRewrite(dir.Path(), produce));
    EXPECT_TRUE(dir.Names().empty());
}

TEST(CutFile, ShortensInPlace) {
    TempDir dir;
    const auto file = dir.Write("c", B("abcdef"));
    ASSERT_TRUE(CutFile(file, 2));
    EXPECT_EQ(TempDir::Read(file), B("ab"));
    EXPECT_FALSE(CutFile(file, -1));
}

}  // namespace
}  // namespace tv::tags::test
