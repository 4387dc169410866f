// Two tag writers on one file at once: the tag tool twice, started together, each waiting a
// moment between its read and its write. The file must keep its audio and end with exactly one
// writer's complete tag; a writer that could not write must say so and fail.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "oggpages.h"
#include "tagfixtures.h"
#include "tags/id3v2.h"
#include "tags/oggvorbis.h"

namespace tv::tags::test {
namespace {

constexpr int kRoundsPerCase = 50;  // six cases: 300 rounds

enum class Kind { Mp3, Ogg };
enum class Race { GrowAndFit, GrowAndGrow, WriteAndRemove };

struct RaceCase {
    const char* name;
    Kind kind;
    Race race;
};

// One writer's whole change: a title and an artist that belong together.
struct Values {
    std::string title, artist;
    bool operator==(const Values&) const = default;
};

const std::string kLong(3000, 'g');

std::vector<std::string> Arguments(const Race race, bool first, const std::string& file) {
    if (race == Race::WriteAndRemove && !first)
        return {"remove", file};
    const bool grow = first || race == Race::GrowAndGrow;
    const std::string who = first ? "A" : "B";
    return {"write", file, "--title", grow ? who + kLong : who, "--artist", who};
}

// Starts the tool with the pause seam; its standard error goes to `errors`.
pid_t Start(const std::vector<std::string>& args, const std::filesystem::path& errors) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 2);
    ::setenv("TORVANELL_TAG_TEST_PAUSE_MS", "3", 1);
    std::vector<char*> argv{const_cast<char*>(TV_TAG_TOOL)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(TV_TAG_TOOL, argv.data());
    ::_exit(127);
}

int Finish(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a listener hears, as bytes: the MPEG frames after every ID3v2 tag, or the Ogg audio
// pages' bodies and positions.
Bytes Audio(Kind kind, const Bytes& file) {
    if (kind == Kind::Mp3) {
        MemoryStream stream(file);
        const int64_t start = Internal::FindID3v2Tags(stream, int64_t(file.size())).HeadEnd;
        return Bytes(file.begin() + start, file.end());
    }
    Bytes audio;
    for (const OggPage& page : PagesOf(file)) {
        if (ReadLE64(page.Bytes.data() + 6) == 0)
            continue;  // a header page
        audio.insert(audio.end(), page.Bytes.begin() + 6, page.Bytes.begin() + 14);
        audio.insert(audio.end(), page.Bytes.begin() + page.HeaderSize(), page.Bytes.end());
    }
    return audio;
}

// The title as far as the readers show it (the first few hundred bytes).
Values Shown(std::string title, std::string artist) {
    return {title.substr(0, 200), artist};
}

Values TagOf(Kind kind, const std::filesystem::path& file) {
    if (kind == Kind::Mp3) {
        TID3v2 tag;
        EXPECT_TRUE(tag.ReadTag(file));
        return Shown(tag.Title(), tag.Artist());
    }
    TOggVorbis ogg;
    EXPECT_TRUE(ogg.Analyze(file));
    return Shown(ogg.Title(), ogg.Artist());
}

class TagRace : public testing::TestWithParam<RaceCase> {};

TEST_P(TagRace, OneWriterWinsWholeAndTheAudioStays) {
    const RaceCase& c = GetParam();
    TempDir dir;
    Bytes original;
    const std::filesystem::path file = dir.Path() / (c.kind == Kind::Mp3 ? "r.mp3" : "r.ogg");
    if (c.kind == Kind::Mp3) {
        original = ID3v2(3, {{"TIT2", Latin1("old")}, {"TPE1", Latin1("old")}}, 1000) +
                   MpegFrames(FrameSpec{}, 40);
    } else {
        const std::string command =
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 -c:a libvorbis "
            "-metadata title=old -metadata artist=old " +
            Quoted(file);
        ASSERT_EQ(std::system(command.c_str()), 0);
        original = TempDir::Read(file);
    }
    const Bytes audio = Audio(c.kind, original);
    const Values a = Shown("A" + kLong, "A");
    const Values b = c.race == Race::WriteAndRemove ? Values{}
                     : c.race == Race::GrowAndGrow  ? Shown("B" + kLong, "B")
                                                    : Values{"B", "B"};
    int aWon = 0;
    int bWon = 0;
    for (int round = 0; round < kRoundsPerCase; ++round) {
        dir.Write(file.filename().string(), original);
        const pid_t first = Start(Arguments(c.race, true, file), dir.Path() / "a.err");
        const pid_t second = Start(Arguments(c.race, false, file), dir.Path() / "b.err");
        const int firstStatus = Finish(first);
        const int secondStatus = Finish(second);
        // A writer either wrote or failed with a message; never a silent loss.
        for (const auto& [status, errors] :
             {std::pair{firstStatus, "a.err"}, std::pair{secondStatus, "b.err"}})
            EXPECT_TRUE(status == 0 || !TempDir::Read(dir.Path() / errors).empty())
                << "round " << round << ": exit " << status;
        ASSERT_TRUE(firstStatus == 0 || secondStatus == 0) << "round " << round;
        const Bytes after = TempDir::Read(file);
        ASSERT_EQ(Audio(c.kind, after), audio) << "round " << round;
        const Values tag = TagOf(c.kind, file);
        ASSERT_TRUE(tag == a || tag == b)
            << "round " << round << ": " << tag.title.substr(0, 20) << " / " << tag.artist;
        (tag == a ? aWon : bWon)++;
        EXPECT_EQ(dir.Names().size(), 3u) << "round " << round;  // the file and two logs
    }
    RecordProperty("first_writer_last", aWon);
    RecordProperty("second_writer_last", bWon);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagRace,
    testing::Values(RaceCase{"Mp3GrowAndFit", Kind::Mp3, Race::GrowAndFit},
                    RaceCase{"Mp3GrowAndGrow", Kind::Mp3, Race::GrowAndGrow},
                    RaceCase{"Mp3WriteAndRemove", Kind::Mp3, Race::WriteAndRemove},
                    RaceCase{"OggGrowAndFit", Kind::Ogg, Race::GrowAndFit},
                    RaceCase{"OggGrowAndGrow", Kind::Ogg, Race::GrowAndGrow},
                    RaceCase{"OggWriteAndRemove", Kind::Ogg, Race::WriteAndRemove}),
    [](const auto& info) { return std::string(info.param.name); });

// A writer that read the file before another program changed it (a tag window's save meeting
// a script) refuses instead of writing over the change.
TEST(TagRace, AWriterThatReadBeforeAChangeRefuses) {
    TempDir dir;
    const auto file =
        dir.Write("w.mp3", ID3v2(3, {{"TIT2", Latin1("old")}}, 500) + MpegFrames(FrameSpec{}, 10));
    TID3v2 window;
    ASSERT_TRUE(window.ReadTag(file));
    ASSERT_EQ(RunTool("write " + Quoted(file) + " --artist Script").first, 0);
    window.SetTitle("From the window");
    EXPECT_FALSE(window.WriteTag(file));
    EXPECT_EQ(window.LastError(), kChangedSinceRead);
    TID3v2 now;
    ASSERT_TRUE(now.ReadTag(file));
    EXPECT_EQ(now.Title(), "old");
    EXPECT_EQ(now.Artist(), "Script");
    // Read again, the same save goes through.
    ASSERT_TRUE(window.ReadTag(file));
    window.SetTitle("From the window");
    EXPECT_TRUE(window.WriteTag(file)) << window.LastError();
}

}  // namespace
}  // namespace tv::tags::test
