// Every audio format the player opens shows its true length and, where its container carries
// tags, "Artist - Title" in the playlist: through Player::BuildTrackEntry with the real tag
// readers and probe, as a row is completed when files are added. The reference length is what
// ffprobe reports for the same file in the same run.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/player.h"
#include "core/tagtrackinfo.h"
#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"

namespace fs = std::filesystem;
using namespace tv::core;

namespace {

std::string Run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, pipe.get()))
        out += buf;
    return out;
}

// ffprobe's length of `file` in seconds, -1 when it gives none. A raw AAC stream states no
// length and ffprobe's container figure is a bit-rate guess, so there the packets are summed.
double FfprobeSeconds(const fs::path& file) {
    const bool adts = file.extension() == ".aac";
    const std::string query = adts ? "-show_entries packet=duration_time -of csv=p=0 | "
                                     "awk '{s += $1} END {print s}'"
                                   : "-show_entries format=duration -of csv=p=0";
    const std::string out = Run("ffprobe -v error '" + file.string() + "' " + query);
    char* end = nullptr;
    const double seconds = std::strtod(out.c_str(), &end);
    return end == out.c_str() ? -1 : seconds;
}

struct FormatCase {
    const char* file;
    // ffmpeg encoder options for a file made at test time; nullptr: a committed fixture.
    const char* encode;
    bool tagged;  // made with artist and title in the container's own tags
};

// 75.6 s of a tone, so that a length read as 0 or guessed wrongly shows; 8 kHz mono keeps
// the encoding quick. Speex wants its own rates.
constexpr const char* kTone = "-f lavfi -i sine=frequency=440:sample_rate=8000:duration=75.6";
constexpr const char* kWideTone = "-f lavfi -i sine=frequency=440:sample_rate=16000:duration=75.6";

const FormatCase kFormats[] = {
    {"long.flac", "-c:a flac", true},
    {"long.opus", "-c:a libopus -b:a 16k", true},
    {"long.m4a", "-c:a aac -b:a 24k", true},
    {"long-alac.m4a", "-c:a alac", true},
    {"long.wv", "-c:a wavpack", true},  // APEv2 tag
    {"long.tta", "-c:a tta", true},     // APEv2 tag
    {"long.oga", "-c:a flac -f ogg", true},
    {"long.spx", "-c:a libspeex", true},
    {"long.wav", "-c:a pcm_s16le", true},  // RIFF INFO
    {"long.aiff", "-c:a pcm_s16be", false},
    {"long.aif", "-c:a pcm_s16be -f aiff", false},
    {"long.aac", "-c:a aac -b:a 24k -f adts", false},
    {"long.ac3", "-c:a ac3 -b:a 64k", false},
    {"long.mp4", "-c:a aac -b:a 24k", false},
    {"tone-1k.flac", nullptr, false},
    {"tone-1k.wv", nullptr, false},
    {"tone-1k.wav", nullptr, false},
    {"tone-1k.aiff", nullptr, false},
    {"tone-1k.aac", nullptr, false},
    {"tone-1k.m4a", nullptr, false},
    {"tone-1k-alac.m4a", nullptr, false},
    {"tone-1k.ac3", nullptr, false},
    {"tone-1k.tta", nullptr, false},
    {"tone-1k.spx", nullptr, false},
    {"tone-1k.ogg", nullptr, false},
    {"tone-1k.opus", nullptr, false},
    {"tone-1k.mp3", nullptr, false},
    {"tone-1k.mp2", nullptr, false},
    {"tone-1k.wma", nullptr, false},
    {"silence-then-tone.flac", nullptr, false},
    {"mp3-named.flac", nullptr, false},
    {"tone.mod", nullptr, false},
};

class TrackDurations : public ::testing::Test {
protected:
    TrackDurations()
        : view(lib.calls), effects(lib.calls), player(lib, list, view, effects, reader) {}

    static void SetUpTestSuite() {
        std::string tmpl = (fs::temp_directory_path() / "tv-durations-XXXXXX").string();
        s_dir = mkdtemp(tmpl.data());
    }
    static void TearDownTestSuite() { fs::remove_all(s_dir); }

    // The file of `c`, made with ffmpeg when it is not a committed fixture.
    static fs::path Source(const FormatCase& c) {
        if (!c.encode)
            return fs::path(TV_TEST_DATA_DIR) / c.file;
        const fs::path out = s_dir / c.file;
        const std::string tags =
            c.tagged ? "-metadata artist='The Artist' -metadata title='A_Title' " : "";
        const std::string input =
            std::string(c.file).find(".spx") != std::string::npos ? kWideTone : kTone;
        const std::string cmd = "ffmpeg -hide_banner -loglevel error -y " + input + " " + tags +
                                c.encode + " '" + out.string() + "'";
        return std::system(cmd.c_str()) == 0 ? out : fs::path();
    }

    tv::testing::FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    tv::testing::RecordingEffects effects;
    TagTrackInfo reader;
    Player player;
    static fs::path s_dir;
};

fs::path TrackDurations::s_dir;

}  // namespace

TEST_F(TrackDurations, EveryFormatShowsItsTrueLengthAndItsTags) {
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.file);
        const fs::path file = Source(c);
        ASSERT_FALSE(file.empty()) << "ffmpeg could not make the file: is it installed? "
                                      "(scripts/install-deps.sh installs it)";
        const double reference = FfprobeSeconds(file);
        ASSERT_GE(reference, 0) << "ffprobe gives no length";

        list.AppendPath(file.string());
        const int row = list.Count() - 1;
        player.BuildTrackEntry(file.string(), row);

        const uint32_t shown = tv::playlist::DurationSeconds(list.At(row).duration);
        EXPECT_LE(std::fabs(shown - reference), 1.0) << list.At(row).duration;
        if (c.encode) {
            EXPECT_GE(shown, 74u) << "a made file is 75.6 s long";
        }
        const std::string title = tv::playlist::TitleOfDisplay(list.At(row).display);
        if (c.tagged)
            EXPECT_EQ(title, "The Artist - A Title");
        else if (std::string(c.file) == "tone.mod")
            EXPECT_EQ(title, "torvanell test tone");  // the module's own song name
        else
            EXPECT_EQ(title, NameWithoutExtension(c.file));
    }
}

// Files the probe does not recognise keep the name and get the MPEG analysis' length: none
// for a file with no audio at all.
TEST_F(TrackDurations, UnknownContentKeepsTheNameAndNoLength) {
    const fs::path text = s_dir / "notes.flac";
    FILE* f = std::fopen(text.c_str(), "w");
    ASSERT_TRUE(f);
    std::fputs("not audio at all\n", f);
    std::fclose(f);
    for (const fs::path& file : {text, fs::path(TV_TEST_DATA_DIR) / "unknown-ofr.ofr",
                                 fs::path(TV_TEST_DATA_DIR) / "truncated.m4a",
                                 fs::path(TV_TEST_DATA_DIR) / "empty.wav", s_dir / "gone.opus"}) {
        list.AppendPath(file.string());
        player.BuildTrackEntry(file.string(), list.Count() - 1);
        EXPECT_EQ(list.At(list.Count() - 1).duration, "00:00") << file;
        EXPECT_EQ(tv::playlist::TitleOfDisplay(list.At(list.Count() - 1).display),
                  NameWithoutExtension(file.string()));
    }
}
