#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>

#include "tagfixtures.h"

namespace tv::tags::test {
namespace {

std::pair<int, std::string> Tool(const std::string& args) {
    const std::string command = std::string(TV_TAG_TOOL) + " " + args + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class OggWmaTool : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
            GTEST_FAIL() << "ffmpeg is not installed; the test makes its fixtures with it "
                            "(scripts/install-deps.sh installs it)";
        const std::string base = "ffmpeg -nostdin -v error -f lavfi -i sine=duration=1 -ac 2 ";
        ASSERT_EQ(std::system((base + "-c:a libvorbis -metadata ARTIST=Old '" +
                               (m_dir.Path() / "a.ogg").string() + "'")
                                  .c_str()),
                  0);
        ASSERT_EQ(std::system((base + "-c:a wmav2 -metadata title=Wtitle -metadata genre=Rock '" +
                               (m_dir.Path() / "a.wma").string() + "'")
                                  .c_str()),
                  0);
    }
    std::string File(const char* name) const { return "'" + (m_dir.Path() / name).string() + "'"; }
    TempDir m_dir;
};

TEST_F(OggWmaTool, OggWriteShowRemove) {
    ASSERT_EQ(Tool("write " + File("a.ogg") +
                   " --title 'T \xE2\x98\x83' --date 2021 --track 7 "
                   "--genre Jazz --comment C --album Al")
                  .first,
              0);
    auto [status, out] = Tool("show --json " + File("a.ogg"));
    ASSERT_EQ(status, 0);
    for (const char* part :
         {"\"ogg\":{\"valid\":true,\"channels\":2,\"channel_mode\":\"Stereo\"",
          "\"sample_rate\":44100", "\"samples\":44100", "\"id3v2_size\":0",
          "\"title\":\"T \xE2\x98\x83\"", "\"artist\":\"Old\"", "\"album\":\"Al\"", "\"track\":7",
          "\"date\":\"2021\"", "\"genre\":\"Jazz\"", "\"comment\":\"C\""})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
    EXPECT_EQ(Tool("write " + File("a.ogg") + " --composer X").first, 1);  // no such field

    ASSERT_EQ(Tool("remove " + File("a.ogg")).first, 0);
    out = Tool("show --json " + File("a.ogg")).second;
    EXPECT_NE(out.find("\"title\":\"\",\"artist\":\"\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"valid\":true"), std::string::npos) << out;
}

TEST_F(OggWmaTool, WmaIsShownButNeverWritten) {
    const Bytes before = TempDir::Read(m_dir.Path() / "a.wma");
    auto [status, out] = Tool("show --json " + File("a.wma"));
    ASSERT_EQ(status, 0);
    for (const char* part : {"\"wma\":{\"valid\":true,\"channels\":2,\"sample_rate\":44100",
                             "\"title\":\"Wtitle\"", "\"genre\":\"Rock\"", "\"track\":0"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
    EXPECT_EQ(Tool("write " + File("a.wma") + " --title x").first, 1);
    EXPECT_EQ(Tool("remove " + File("a.wma")).first, 1);
    EXPECT_EQ(TempDir::Read(m_dir.Path() / "a.wma"), before);
    EXPECT_EQ(Tool("show " + File("missing.wma")).first, 1);
}

}  // namespace
}  // namespace tv::tags::test
