// Runs the real program and checks what it prints and the status it ends with.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include "tests/fakes/casename.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string output;  // stdout and stderr together
};

// Runs the player with `env` (shell assignments) and `args`, its program folder a fresh
// temporary folder that `home` receives.
Outcome RunPlayer(const std::string& env, const std::string& args, fs::path* home = nullptr) {
    std::string tmpl = (fs::temp_directory_path() / "tv-app-XXXXXX").string();
    const fs::path dir = mkdtemp(tmpl.data());
    if (home)
        *home = dir;
    const std::string command = "cd '" + dir.string() + "' && TORVANELL_HOME='" + dir.string() +
                                "' TORVANELL_WARNINGS_TO_STDERR=1 SDL_AUDIODRIVER=dummy "
                                "QT_QPA_PLATFORM=offscreen " +
                                env + " '" TV_TORVANELL_BINARY "' " + args + " 2>&1";
    Outcome out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    std::array<char, 512> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.output.append(buffer.data(), n);
    const int raw = pclose(pipe);
    out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (!home)
        fs::remove_all(dir);
    return out;
}

struct FailureCase {
    const char* env;
    int status;
    const char* text;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.env;
}

class StartupFailure : public ::testing::TestWithParam<FailureCase> {};

}  // namespace

TEST_P(StartupFailure, WarnsAndEndsWithItsStatusSavingNothing) {
    fs::path home;
    const Outcome out = RunPlayer(GetParam().env, "", &home);
    EXPECT_EQ(out.status, GetParam().status) << out.output;
    EXPECT_NE(out.output.find(std::string("Torvanell: ") + GetParam().text), std::string::npos)
        << out.output;
    EXPECT_FALSE(fs::exists(home / "settings.ini"));
    EXPECT_FALSE(fs::exists(home / "default.m3u"));
    fs::remove_all(home);
}

INSTANTIATE_TEST_SUITE_P(AudioLibrary, StartupFailure,
                         ::testing::Values(FailureCase{"TORVANELL_TEST_BAD_VERSION=1", 4,
                                                       "BASS library version 2.2 not loaded"},
                                           FailureCase{"TORVANELL_TEST_FAIL_INIT=1", 5,
                                                       "BASS not initialized"}),
                         tv::cases::NameFrom(&FailureCase::env));

TEST(Startup, VersionAndHelpPrintAndExitWithoutStarting) {
    const Outcome version = RunPlayer("TORVANELL_TEST_FAIL_INIT=1", "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("Torvanell ", 0), 0u) << version.output;
    const Outcome help = RunPlayer("TORVANELL_TEST_FAIL_INIT=1", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--version"), std::string::npos);
    EXPECT_NE(help.output.find("TORVANELL_WARNINGS_TO_STDERR"), std::string::npos);
    const Outcome bad = RunPlayer("", "--no-such-option");
    EXPECT_EQ(bad.status, 2);
}

// Rendering runs without a window or audio device and leaves nothing behind on a refusal.
TEST(RenderCommand, WritesAWavFileOrRefusesAnUnknownPreset) {
    fs::path home;
    const std::string in = "'" TV_TEST_DATA_DIR "/tone-1k.wav'";
    const Outcome ok =
        RunPlayer("", "--render " + in + " out.wav --preset Rock --effects echo", &home);
    EXPECT_EQ(ok.status, 0) << ok.output;
    std::ifstream wav(home / "out.wav", std::ios::binary);
    std::string header(44, '\0');
    wav.read(header.data(), 44);
    ASSERT_EQ(wav.gcount(), 44);
    EXPECT_EQ(header.substr(0, 4), "RIFF");
    EXPECT_EQ(header.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(static_cast<unsigned char>(header[22]), 2u);  // stereo
    EXPECT_GT(fs::file_size(home / "out.wav"), 44u);

    fs::remove_all(home);

    const Outcome bad = RunPlayer("", "--render " + in + " bad.wav --preset NoSuchPreset", &home);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("NoSuchPreset"), std::string::npos) << bad.output;
    EXPECT_FALSE(fs::exists(home / "bad.wav"));
    fs::remove_all(home);
}

// Every name on the command line is added; a folder first means nothing plays. The SIGTERM
// close saves the playlist, which shows what was added and in which order.
TEST(CommandLine, FolderAndFileAreAddedAndSavedOnClose) {
    std::string tmpl = (fs::temp_directory_path() / "tv-cl-XXXXXX").string();
    const fs::path media = mkdtemp(tmpl.data());
    fs::create_directories(media / "sub");
    fs::copy_file(TV_TEST_DATA_DIR "/tone-1k.wav", media / "sub" / "b.wav");
    fs::copy_file(TV_TEST_DATA_DIR "/tone-1k.mp3", media / "a.mp3");
    fs::path home;
    const Outcome out = RunPlayer(
        "timeout -s TERM 4", "'" + media.string() + "' '" TV_TEST_DATA_DIR "/tone-1k.ogg'", &home);
    const std::string m3u = [&] {
        std::ifstream in(home / "default.m3u", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const size_t b = m3u.find((media / "sub" / "b.wav").string());
    const size_t a = m3u.find((media / "a.mp3").string());
    const size_t ogg = m3u.find("tone-1k.ogg");
    EXPECT_NE(b, std::string::npos) << out.output << m3u;
    EXPECT_LT(b, a) << m3u;  // a subfolder's files come first
    EXPECT_LT(a, ogg) << m3u;
    EXPECT_NE(ogg, std::string::npos) << m3u;
    fs::remove_all(home);
    fs::remove_all(media);
}
