#include "core/settings.h"

#include <gtest/gtest.h>

using namespace tv::core;

namespace {

std::vector<std::string> KeysInOrder(const std::string& text) {
    std::vector<std::string> keys;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    }
    return keys;
}

}  // namespace

TEST(Settings, MissingFileGivesEveryDefaultWithTheWindowCentred) {
    const MainSettings m = LoadMainSettings(IniFile{}, 1025, 769);
    EXPECT_EQ(m.mainWidth, 320);
    EXPECT_EQ(m.mainHeight, 480);
    EXPECT_EQ(m.mainPosX, 512 - 160);
    EXPECT_EQ(m.mainPosY, 384 - 240);
    EXPECT_EQ(m.volume, 80);
    EXPECT_EQ(m.trackPos, 0);
    EXPECT_FALSE(m.equalizer);
    EXPECT_FALSE(m.random);
    EXPECT_EQ(m.replay, 0);
    EXPECT_EQ(m.timeMode, 0);
    EXPECT_EQ(m.spectrumMode, 1);
    EXPECT_EQ(m.spectrumSpeed, 50);
    EXPECT_FALSE(m.peak);

    const OpenFolderSettings o = LoadOpenFolderSettings(IniFile{});
    EXPECT_FALSE(o.path.has_value());
    EXPECT_TRUE(o.subdirectories);
    EXPECT_EQ(o.openWidth, 308);
    EXPECT_EQ(o.openHeight, 284);
    EXPECT_EQ(o.openPosX, 385);
    EXPECT_EQ(o.openPosY, 197);
}

TEST(Settings, DefaultPositionCentresTheSizeReadFromTheFile) {
    // Integer division truncates toward zero, also for a window wider than the screen.
    const IniFile ini = IniFile::Parse("[Settings]\nMainWidth=626\nMainHeight=1001\n");
    const MainSettings m = LoadMainSettings(ini, 600, 800);
    EXPECT_EQ(m.mainPosX, 300 - 313);
    EXPECT_EQ(m.mainPosY, 400 - 500);
}

TEST(Settings, OutOfRangeModesAreKeptButShowNoPicture) {
    const IniFile ini = IniFile::Parse("[Settings]\nReplay=7\nSpectrumSpeed=20\nSpectrumMode=5\n");
    const MainSettings m = LoadMainSettings(ini, 1024, 768);
    EXPECT_EQ(m.replay, 7);
    EXPECT_FALSE(ReplayButtonLook(m.replay).has_value());
    EXPECT_EQ(m.spectrumSpeed, 20);
    EXPECT_EQ(m.spectrumMode, 5);
}

TEST(Settings, ModeValuesMapToTheirPicturesAndHints) {
    EXPECT_EQ(RandomButtonLook(true).picture, "iRnd3");
    EXPECT_EQ(RandomButtonLook(true).hint, "Random");
    EXPECT_EQ(RandomButtonLook(false).picture, "iRnd1");
    EXPECT_EQ(RandomButtonLook(false).hint, "Not Random");
    const char* pictures[] = {"iRpl1", "iRpl3", "iRpl5"};
    const char* hints[] = {"Not Replay", "Replay All", "Replay One"};
    for (int mode = 0; mode < 3; ++mode) {
        ASSERT_TRUE(ReplayButtonLook(mode).has_value());
        EXPECT_EQ(ReplayButtonLook(mode)->picture, pictures[mode]);
        EXPECT_EQ(ReplayButtonLook(mode)->hint, hints[mode]);
    }
    EXPECT_FALSE(ReplayButtonLook(-1).has_value());
}

TEST(Settings, NonIntegerValuesReadAsDefaultsOthersStillApply) {
    const IniFile ini = IniFile::Parse(
        "[Settings]\nMainWidth=wide\nVolume=7.5\nRandom=on\nReplay=1\nTimeMode=1\nPeak=1\n");
    const MainSettings m = LoadMainSettings(ini, 1024, 768);
    EXPECT_EQ(m.mainWidth, 320);
    EXPECT_EQ(m.volume, 80);
    EXPECT_FALSE(m.random);
    EXPECT_EQ(m.replay, 1);
    EXPECT_EQ(m.timeMode, 1);
    EXPECT_TRUE(m.peak);
}

TEST(Settings, VolumeIsHeldToItsRange) {
    EXPECT_EQ(LoadMainSettings(IniFile::Parse("[Settings]\nVolume=250\n"), 1, 1).volume, 100);
    EXPECT_EQ(LoadMainSettings(IniFile::Parse("[Settings]\nVolume=-4\n"), 1, 1).volume, 0);
}

TEST(Settings, FreshFileHasEveryKeyInTheFixedOrder) {
    IniFile ini;
    MainSettings m;
    m.trackPos = -1;
    StoreMainSettings(ini, m);
    StoreOpenFolderSettings(ini, OpenFolderSettings{"/music", false});
    EXPECT_EQ(
        KeysInOrder(ini.Render()),
        (std::vector<std::string>{"MainWidth", "MainHeight", "MainPosX", "MainPosY", "Volume",
                                  "TrackPos", "Equalizer", "Random", "Replay", "TimeMode",
                                  "SpectrumMode", "SpectrumSpeed", "Peak", "Path", "Subdirectories",
                                  "OpenWidth", "OpenHeight", "OpenPosX", "OpenPosY"}));
    EXPECT_EQ(ini.Render().rfind("[Settings]\n", 0), 0u);
}

TEST(Settings, RoundTripKeepsValuesAndForeignKeys) {
    IniFile ini = IniFile::Parse("[Settings]\nPath=/data\nMine=1\n[Plugins]\nA=b\n");
    MainSettings m;
    m.mainWidth = 626;
    m.mainPosX = -20;
    m.volume = 33;
    m.trackPos = 4;
    m.equalizer = m.random = m.peak = true;
    m.replay = 2;
    m.timeMode = 1;
    m.spectrumMode = 0;
    m.spectrumSpeed = 10;
    StoreMainSettings(ini, m);

    const IniFile back = IniFile::Parse(ini.Render());
    const MainSettings r = LoadMainSettings(back, 800, 600);
    EXPECT_EQ(r.mainWidth, 626);
    EXPECT_EQ(r.mainPosX, -20);
    EXPECT_EQ(r.volume, 33);
    EXPECT_EQ(r.trackPos, 4);
    EXPECT_TRUE(r.equalizer && r.random && r.peak);
    EXPECT_EQ(r.replay, 2);
    EXPECT_EQ(r.timeMode, 1);
    EXPECT_EQ(r.spectrumMode, 0);
    EXPECT_EQ(r.spectrumSpeed, 10);
    EXPECT_EQ(back.Get("Settings", "Mine").value_or(""), "1");
    EXPECT_EQ(back.Get("Plugins", "A").value_or(""), "b");
    EXPECT_EQ(LoadOpenFolderSettings(back).path.value_or(""), "/data");
}

namespace tv::core {
namespace {

struct BoundCase {
    const char* name;
    const char* ini;  // keys of [Settings]
    int width, height, x, y, speed;
};

class SettingsBounds : public testing::TestWithParam<BoundCase> {};

TEST_P(SettingsBounds, ReadValuesAreBroughtOntoTheScreens) {
    const BoundCase& c = GetParam();
    const std::vector<ScreenArea> screens = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
    const IniFile ini = IniFile::Parse(std::string("[Settings]\n") + c.ini);
    const MainSettings s = BoundMainSettings(LoadMainSettings(ini, 1280, 1024), screens);
    EXPECT_EQ(s.mainWidth, c.width);
    EXPECT_EQ(s.mainHeight, c.height);
    EXPECT_EQ(s.mainPosX, c.x);
    EXPECT_EQ(s.mainPosY, c.y);
    EXPECT_EQ(s.spectrumSpeed, c.speed);
    // What the exit writes back is the bounded value.
    IniFile out;
    StoreMainSettings(out, s);
    EXPECT_EQ(out.GetInt(kSettingsSection, "MainWidth", 0), c.width);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsBounds,
    testing::Values(
        BoundCase{"Sane", "MainWidth=320\nMainHeight=480\nMainPosX=10\nMainPosY=20\n", 320, 480, 10,
                  20, 50},
        BoundCase{"Huge", "MainWidth=32767\nMainHeight=32767\nMainPosX=0\nMainPosY=0\n", 1920, 1080,
                  0, 0, 50},
        BoundCase{"Tiny", "MainWidth=1\nMainHeight=-5\nMainPosX=0\nMainPosY=0\n", 320, 480, 0, 0,
                  50},
        BoundCase{"FarLeft", "MainPosX=-100000\nMainPosY=100\n", 320, 480, 0, 100, 50},
        BoundCase{"FarDown", "MainPosX=100\nMainPosY=100000\n", 320, 480, 100, 544, 50},
        BoundCase{"TitleAboveTheScreen", "MainPosX=100\nMainPosY=-10\n", 320, 480, 100, 0, 50},
        BoundCase{"PartlyOffButDraggable", "MainPosX=-250\nMainPosY=900\n", 320, 480, -250, 900,
                  50},
        BoundCase{"OnTheSecondScreen", "MainPosX=2000\nMainPosY=500\n", 320, 480, 2000, 500, 50},
        BoundCase{"SpectrumTooFast", "SpectrumSpeed=0\n", 320, 480, 480, 272, 10},
        BoundCase{"SpectrumNegative", "SpectrumSpeed=-7\n", 320, 480, 480, 272, 10}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::core
