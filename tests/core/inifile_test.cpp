#include "core/inifile.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "tests/fakes/casename.h"

namespace fs = std::filesystem;
using tv::core::IniFile;

namespace {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "tv-ini-XXXXXX").string();
        m_path = mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(m_path); }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(IniFile, ReadsKeysOfTheirOwnSectionIgnoringCaseAndBlanks) {
    const IniFile ini = IniFile::Parse(
        "; a comment\r\n[Other]\r\nVolume=5\r\n[settings]\r\n  volume = 42 \r\nPath=/a b/c\r\n");
    EXPECT_EQ(ini.GetInt("Settings", "Volume", 0), 42);
    EXPECT_EQ(ini.Get("SETTINGS", "PATH").value_or(""), "/a b/c");
    EXPECT_EQ(ini.GetInt("Other", "Volume", 0), 5);
    EXPECT_FALSE(ini.Get("Settings", "Missing").has_value());
    EXPECT_FALSE(ini.Get("Nowhere", "Volume").has_value());
}

struct IntCase {
    const char* stored;
    int expected;
};

class IniFileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniFileInt, OnlyWholeDecimalIntegersReplaceTheDefault) {
    const IniFile ini = IniFile::Parse(std::string("[S]\nK=") + GetParam().stored + "\n");
    EXPECT_EQ(ini.GetInt("S", "K", 77), GetParam().expected) << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Values, IniFileInt,
                         ::testing::Values(IntCase{"12", 12}, IntCase{"-3", -3}, IntCase{"+4", 4},
                                           IntCase{" 9 ", 9}, IntCase{"", 77}, IntCase{"abc", 77},
                                           IntCase{"12abc", 77}, IntCase{"1.5", 77},
                                           IntCase{"0x10", 77}, IntCase{"-", 77},
                                           IntCase{"99999999999", 77}, IntCase{"- 3", 77}),
                         tv::cases::NumberedNameFrom(&IntCase::stored));

TEST(IniFile, BooleansAreNonZeroIntegers) {
    const IniFile ini = IniFile::Parse("[S]\nA=1\nB=0\nC=-2\nD=yes\n");
    EXPECT_TRUE(ini.GetBool("S", "A", false));
    EXPECT_FALSE(ini.GetBool("S", "B", true));
    EXPECT_TRUE(ini.GetBool("S", "C", false));
    EXPECT_TRUE(ini.GetBool("S", "D", true));  // not an integer: the default
    EXPECT_FALSE(ini.GetBool("S", "D", false));
}

TEST(IniFile, SetKeepsEverythingElseAndPlacesNewKeysAtTheSectionEnd) {
    IniFile ini =
        IniFile::Parse("# mine\n[Settings]\nVolume=10\nCustom=keep me\n\n[Extra]\nX=1\nodd line\n");
    ini.SetInt("Settings", "volume", 55);  // existing key, other case: updated in place
    ini.SetInt("Settings", "Replay", 2);   // new key: after the last key of the section
    ini.Set("New", "Key", "v");            // new section: at the end
    EXPECT_EQ(ini.Render(),
              "# mine\n[Settings]\nVolume=55\nCustom=keep me\nReplay=2\n\n[Extra]\nX=1\n"
              "odd line\n[New]\nKey=v\n");
}

TEST(IniFile, RenderedTextParsesBackToTheSameValues) {
    IniFile ini;
    ini.Set("Settings", "Path", "/home/u/Music/Ünïcode dir");
    ini.SetBool("Settings", "Subdirectories", false);
    ini.SetInt("Settings", "OpenPosX", -12);
    const IniFile back = IniFile::Parse(ini.Render());
    EXPECT_EQ(back.Get("Settings", "Path").value_or(""), "/home/u/Music/Ünïcode dir");
    EXPECT_FALSE(back.GetBool("Settings", "Subdirectories", true));
    EXPECT_EQ(back.GetInt("Settings", "OpenPosX", 0), -12);
    EXPECT_EQ(back.Render(), ini.Render());

    // Foreign line ends settle after one rewrite.
    const std::string once = IniFile::Parse("[S]\r\r\nK=1\r\r\n\rodd\r").Render();
    EXPECT_EQ(once, "[S]\nK=1\n\rodd\n");
    EXPECT_EQ(IniFile::Parse(once).Render(), once);
}

TEST(IniFile, LoadOfAMissingFileGivesAnEmptyFile) {
    TempDir dir;
    IniFile ini = IniFile::Parse("[S]\nK=1\n");
    EXPECT_FALSE(ini.Load(dir.path() / "none.ini"));
    EXPECT_FALSE(ini.Get("S", "K").has_value());
}

TEST(IniFile, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path file = dir.path() / "settings.ini";
    std::ofstream(file) << "[Settings]\nVolume=1\n";
    IniFile ini;
    ASSERT_TRUE(ini.Load(file));
    ini.SetInt("Settings", "Volume", 2);
    std::string error;
    ASSERT_TRUE(ini.Save(file, &error)) << error;
    EXPECT_EQ(ReadAll(file), "[Settings]\nVolume=2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(IniFile, FailedSaveLeavesTheOriginalAndNoTemporaryFile) {
    TempDir dir;
    // The target is a non-empty folder: the final rename must fail.
    const fs::path target = dir.path() / "settings.ini";
    fs::create_directory(target);
    std::ofstream(target / "inside") << "original";
    IniFile ini = IniFile::Parse("[Settings]\nVolume=3\n");
    std::string error;
    EXPECT_FALSE(ini.Save(target, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadAll(target / "inside"), "original");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // A folder that does not exist: reported, nothing created.
    EXPECT_FALSE(ini.Save(dir.path() / "missing" / "settings.ini", &error));
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

TEST(IniFile, SaveWritesThroughALinkToItsTargetAndKeepsTheFileMode) {
    TempDir dir;
    // A settings file kept in a synced folder and linked into place stays linked.
    const fs::path target = dir.path() / "synced-settings.ini";
    std::ofstream(target) << "precious";
    const fs::path link = dir.path() / "settings.ini";
    fs::create_symlink(target, link);
    ASSERT_TRUE(IniFile::Parse("[S]\nK=1\n").Save(link));
    EXPECT_EQ(ReadAll(target), "[S]\nK=1\n");
    EXPECT_TRUE(fs::is_symlink(link));
    const fs::path file = link;
    EXPECT_EQ(ReadAll(file), "[S]\nK=1\n");

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(IniFile::Parse("[S]\nK=2\n").Save(file));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}
