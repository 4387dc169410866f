// The main window together with the secondary windows it shows and the display it carries.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "effects/effectchain.h"
#include "effects/windows/tfrmequalizer.h"
#include "fakeaudiolibrary.h"
#include "ui/mainwindow.h"
#include "ui/warning.h"

namespace fs = std::filesystem;
using tv::testing::FakeAudioLibrary;

namespace {

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class MainWindowWindowsTest : public ::testing::Test {
protected:
    MainWindowWindowsTest() {
        std::string tmpl = (fs::temp_directory_path() / "tv-uiw-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        previousSink = tv::ui::SetWarningSink([](const std::string&) {});
    }
    ~MainWindowWindowsTest() override {
        tv::ui::SetWarningSink(previousSink);
        fs::remove_all(home);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(home / name, std::ios::binary) << text;
    }

    fs::path home;
    FakeAudioLibrary lib;
    tv::core::NoEffects effects;
    tv::core::NoTrackInfo info;
    tv::ui::WarningSink previousSink;
};

}  // namespace

TEST_F(MainWindowWindowsTest, EqualizerKeyDrivesTheWindowSwitchAndIsSavedFromIt) {
    Write("settings.ini", "[Settings]\nEqualizer=1\n");
    tv::effects::EffectChain chain(lib, {});
    {
        tv::ui::TfrmMain main(lib, effects, info, home, "");
        main.SetEffectChain(&chain);
        tv::effects::TfrmEqualizer eq(chain);
        main.SetEqualizerWindow(&eq);
        ASSERT_EQ(main.FormCreate(), std::nullopt);
        main.show();
        EXPECT_TRUE(eq.EqualizerChecked());
        EXPECT_TRUE(chain.EqualizerChecked());
        EXPECT_FALSE(eq.isVisible());

        main.bEQ->click();
        EXPECT_TRUE(eq.isVisible());
        EXPECT_LE((eq.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(),
                  4);  // rounding of odd sizes

        eq.chEqualizer()->click();  // the user switches it off
        EXPECT_FALSE(chain.EqualizerChecked());
        main.FormDestroy();
    }
    EXPECT_NE(ReadFile(home / "settings.ini").find("Equalizer=0\n"), std::string::npos);
}
