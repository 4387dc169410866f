#pragma once

// A main window over a player model of its own, built as the program builds them (the model
// first, the window as its view) from the pieces a window test keeps: the library, the effect
// hooks, the tag reader, the program folder and the command line's names.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/playermodel.h"
#include "ui/mainwindow.h"

namespace tv::testing {

struct OwnedModel {
    std::unique_ptr<core::PlayerModel> model;
};

class TestMain : private OwnedModel, public ui::TfrmMain {
public:
    TestMain(audio::AudioLibrary& library, core::EffectHooks& effects,
             core::TrackInfoReader& trackInfo, const std::filesystem::path& home,
             std::vector<std::string> names = {})
        : OwnedModel{MakeModel(library, effects, trackInfo, home, std::move(names))},
          ui::TfrmMain(*OwnedModel::model) {}
    TestMain(audio::AudioLibrary& library, core::EffectHooks& effects,
             core::TrackInfoReader& trackInfo, const std::filesystem::path& home,
             const std::string& firstName)
        : TestMain(library, effects, trackInfo, home,
                   firstName.empty() ? std::vector<std::string>{}
                                     : std::vector<std::string>{firstName}) {}
    TestMain(audio::AudioLibrary& library, core::EffectHooks& effects,
             core::TrackInfoReader& trackInfo, const std::filesystem::path& home,
             const char* firstName)
        : TestMain(library, effects, trackInfo, home, std::string(firstName)) {}

private:
    static std::unique_ptr<core::PlayerModel> MakeModel(audio::AudioLibrary& library,
                                                        core::EffectHooks& effects,
                                                        core::TrackInfoReader& trackInfo,
                                                        const std::filesystem::path& home,
                                                        std::vector<std::string> names) {
        auto model = std::make_unique<core::PlayerModel>(library, trackInfo, home,
                                                         ui::MainTrackGeometry(), &effects);
        model->SetCommandLine(std::move(names));
        return model;
    }
};

}  // namespace tv::testing
