#include "core/programfolder.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// Sets or clears one environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("tv-programfolder-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "prefix/bin");
        fs::create_directories(m_root / "portable");
    }
    void TearDown() override { fs::remove_all(m_root); }
    void MarkInstalled() {
        const fs::path marker = m_root / "prefix/bin" / tv::core::InstalledMarker();
        fs::create_directories(marker.parent_path());
        std::ofstream(marker) << "installed\n";
    }
    fs::path m_root;
};

TEST_F(ProgramFolderTest, ProgramFolder_TorvanellHomeSet_WinsOverEverything) {
    ScopedEnv home("TORVANELL_HOME", (m_root / "chosen").string());
    EXPECT_EQ(tv::core::ProgramFolder(m_root / "portable"), m_root / "chosen");
}

TEST_F(ProgramFolderTest, ProgramFolder_WritablePortableFolder_IsTheExecutablesFolder) {
    ScopedEnv home("TORVANELL_HOME", std::nullopt);
    ScopedEnv xdg("XDG_CONFIG_HOME", (m_root / "config").string());
    EXPECT_EQ(tv::core::ProgramFolder(m_root / "portable"), m_root / "portable");
    EXPECT_EQ(tv::core::ProgramFolder(m_root / "prefix/bin"), m_root / "prefix/bin");
}

TEST_F(ProgramFolderTest, ProgramFolder_InstalledBinFolder_IsTheConfigFolderCreatedOnDemand) {
    ScopedEnv home("TORVANELL_HOME", std::nullopt);
    ScopedEnv xdg("XDG_CONFIG_HOME", (m_root / "config").string());
    MarkInstalled();
    EXPECT_TRUE(tv::core::IsInstalledBinFolder(m_root / "prefix/bin"));
    EXPECT_EQ(tv::core::ProgramFolder(m_root / "prefix/bin"), m_root / "config/torvanell");
    EXPECT_TRUE(fs::is_directory(m_root / "config/torvanell"));
}

TEST_F(ProgramFolderTest, ProgramFolder_UserBinFolderWithoutMarker_IsTheConfigFolder) {
    ScopedEnv home("TORVANELL_HOME", std::nullopt);
    ScopedEnv userHome("HOME", (m_root / "user").string());
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    fs::create_directories(m_root / "user/.local/bin");
    EXPECT_TRUE(tv::core::IsInstalledBinFolder("/usr/bin"));
    EXPECT_EQ(tv::core::ProgramFolder(m_root / "user/.local/bin"),
              m_root / "user/.config/torvanell");
}

}  // namespace
