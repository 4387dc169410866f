// One safe-write recipe for every file the program replaces: default.m3u, settings.ini and an
// ID3v2 rebuild go through it, and whichever step fails, the file stays as it was and nothing is
// left beside it.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "../tags/failingops.h"
#include "core/inifile.h"
#include "core/settings.h"
#include "playlist/m3u.h"
#include "tags/id3v2.h"

namespace tv::core {
namespace {

namespace fs = std::filesystem;
using tags::test::FailingOps;
using tags::test::Step;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Target {
    const char* name;
    const char* file;
    std::string original;
    // Writes the new content through `ops`; true on success.
    std::function<bool(const fs::path&, tags::FileOps&)> write;
};

const std::string kMp3 = std::string("ID3\3\0\0\0\0\0\x20", 10) +
                         std::string("TIT2\0\0\0\4\0\0\0old", 14) + std::string(18, '\0') +
                         std::string(400, 'a');

const Target kTargets[] = {
    {"Playlist", "default.m3u", "#EXTM3U\r\n#EXTINF:1,Keep\r\n/keep\r\n",
     [](const fs::path& file, tags::FileOps& ops) {
         playlist::PlaylistModel model;
         model.AppendPath("/new.mp3");
         return playlist::SavePlaylistFile(model, file.string(), nullptr, ops);
     }},
    {"Settings", "settings.ini", "[Settings]\nMainWidth=320\n",
     [](const fs::path& file, tags::FileOps& ops) {
         IniFile ini = IniFile::Parse("[Settings]\nMainWidth=400\n");
         return tags::SafeWriteFile(file, ini.Render(), 0644, nullptr, ops);
     }},
    {"ID3v2Rebuild", "song.mp3", kMp3,
     [](const fs::path& file, tags::FileOps& ops) {
         tags::UseFileOps(&ops);  // the tag writer takes the process's operations
         tags::TID3v2 tag;
         tag.ReadTag(file);
         tag.SetTitle(std::string(100, 'n'));  // no room in the old tag: a rebuild
         const bool ok = tag.WriteTag(file);
         tags::UseFileOps(nullptr);
         return ok;
     }},
};

class OneRecipe : public testing::TestWithParam<std::tuple<Target, Step>> {};

TEST_P(OneRecipe, AFailedStepLeavesTheFileWholeAndNothingBeside) {
    const auto& [target, step] = GetParam();
    const fs::path folder =
        fs::temp_directory_path() / ("tv-safewrite-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / target.file;
    std::ofstream(file, std::ios::binary) << target.original;
    FailingOps ops(step, 7);
    EXPECT_FALSE(target.write(file, ops));
    EXPECT_EQ(ReadAll(file), target.original);
    EXPECT_EQ(Names(folder), std::vector<std::string>{target.file});
    // The same write without a fault goes through.
    EXPECT_TRUE(target.write(file, tags::SystemFileOps()));
    EXPECT_NE(ReadAll(file), target.original);
    EXPECT_EQ(Names(folder), std::vector<std::string>{target.file});
    fs::remove_all(folder);
}

std::string NameOf(const testing::TestParamInfo<std::tuple<Target, Step>>& info) {
    static const char* const kSteps[] = {"Create", "Write", "Flush", "Close", "Rename"};
    return std::string(std::get<0>(info.param).name) + kSteps[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(FilesAndSteps, OneRecipe,
                         testing::Combine(testing::ValuesIn(kTargets),
                                          testing::Values(Step::Create, Step::Write, Step::Flush,
                                                          Step::Close, Step::Rename)),
                         NameOf);

}  // namespace
}  // namespace tv::core
