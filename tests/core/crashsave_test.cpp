// settings.ini and default.m3u written by a process that is killed at a random moment are
// always either the old file or the new one, whole, and no temporary file outlives the next save.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/inifile.h"
#include "playlist/m3u.h"
#include "playlist/playlist.h"

namespace tv::core {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

playlist::PlaylistModel Playlist(int entries, const std::string& tag) {
    playlist::PlaylistModel model;
    for (int i = 0; i < entries; ++i)
        model.AppendEntry(tag + " title " + std::to_string(i), "03:25",
                          "/music/" + tag + "/folder " + std::to_string(i % 3800) + "/track " +
                              std::to_string(i) + ".mp3");
    return model;
}

IniFile Settings(const std::string& tag) {
    std::string text = "[Settings]\r\n";
    for (int i = 0; i < 200; ++i)
        text += "Key" + std::to_string(i) + "=" + tag + std::to_string(i) + "\r\n";
    return IniFile::Parse(text);
}

// TORVANELL_CRASH_TRIALS sets the number of kills (a few by default, to keep the suite short).
int Trials() {
    const char* env = std::getenv("TORVANELL_CRASH_TRIALS");
    return env ? std::max(1, std::atoi(env)) : 6;
}

TEST(CrashWhileSaving, PlaylistAndSettingsAreOldOrNewAndNoTemporaryOutlivesTheNextSave) {
    const int entries = 100000;
    const playlist::PlaylistModel lists[2] = {Playlist(entries, "old"), Playlist(entries, "new")};
    const IniFile settings[2] = {Settings("old"), Settings("new")};
    const std::string listText[2] = {playlist::PlaylistFileText(lists[0]),
                                     playlist::PlaylistFileText(lists[1])};
    const std::string iniText[2] = {settings[0].Render(), settings[1].Render()};
    std::string tmpl = (fs::temp_directory_path() / "tv-crash-XXXXXX").string();
    const fs::path dir = ::mkdtemp(tmpl.data());
    const fs::path m3u = dir / "default.m3u", ini = dir / "settings.ini";
    const std::vector<std::string> expected = {"default.m3u", "settings.ini"};

    std::mt19937 random(19);
    std::uniform_int_distribution<int> delayUs(0, 400000);
    int killedWithNamedTemporary = 0;
    for (int trial = 0; trial < Trials(); ++trial) {
        ASSERT_TRUE(playlist::SavePlaylistFile(lists[0], m3u.string()));
        ASSERT_TRUE(settings[0].Save(ini));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 1;; ++round) {  // until killed
                playlist::SavePlaylistFile(lists[round % 2], m3u.string());
                settings[round % 2].Save(ini);
            }
        }
        ::usleep(useconds_t(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const std::string list = ReadAll(m3u), values = ReadAll(ini);
        EXPECT_TRUE(list == listText[0] || list == listText[1])
            << "trial " << trial << ": playlist of " << list.size() << " bytes";
        EXPECT_TRUE(values == iniText[0] || values == iniText[1]) << "trial " << trial;
        killedWithNamedTemporary += Names(dir) != expected;

        // The next run's saves leave nothing beside the two files.
        ASSERT_TRUE(playlist::SavePlaylistFile(lists[1], m3u.string()));
        ASSERT_TRUE(settings[1].Save(ini));
        EXPECT_EQ(Names(dir), expected) << "trial " << trial;
    }
    std::printf("%d trials, %d killed between naming the new file and the rename\n", Trials(),
                killedWithNamedTemporary);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tv::core
