// tv_ui_storm: drives the real main window with a seeded random sequence of the user's
// commands and checks the window's invariants after every one of them.
//
//   tv_ui_storm [--seed N] [--commands N] [--trace]
//
// The seed and the count may also come from TV_STORM_SEED and TV_STORM_COMMANDS. The sequence
// of commands depends on the seed alone, so a failing seed replays the same commands (the
// moments at which tracks end follow the audio clock and may differ). Exit status 0 when every
// invariant held, 1 otherwise.

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>

#include "stormrig.h"
#include "ui/application.h"

namespace {

using tv::storm::Command;

// How often each command is drawn, in parts of the sum.
struct Weight {
    Command command;
    int weight;
};
constexpr Weight kWeights[] = {{Command::Play, 8},
                               {Command::Stop, 5},
                               {Command::Pause, 6},
                               {Command::Next, 6},
                               {Command::Back, 4},
                               {Command::RandomMode, 2},
                               {Command::ReplayMode, 2},
                               {Command::TimeMode, 1},
                               {Command::SeekKeyBack, 3},
                               {Command::SeekKeyForward, 4},
                               {Command::SeekSlider, 4},
                               {Command::KnobDrag, 3},
                               {Command::WheelPlaylist, 2},
                               {Command::WheelVolume, 2},
                               {Command::EqualizerWindow, 1},
                               {Command::EqualizerSwitch, 2},
                               {Command::EqualizerPreset, 2},
                               {Command::EqualizerBand, 2},
                               {Command::EffectSwitch, 3},
                               {Command::EqualizerOk, 1},
                               {Command::DropFiles, 4},
                               {Command::DropFolder, 2},
                               {Command::DropPlaylist, 2},
                               {Command::DropMissing, 1},
                               {Command::KeyUp, 3},
                               {Command::KeyDown, 3},
                               {Command::KeyHome, 1},
                               {Command::KeyEnd, 1},
                               {Command::KeyEnter, 4},
                               {Command::KeySpace, 3},
                               {Command::KeyDelete, 4},
                               {Command::KeyClear, 1},
                               {Command::KeyInsert, 1},
                               {Command::OpenFolderOk, 1},
                               {Command::OpenFolderCancel, 1},
                               {Command::InsertFile, 1},
                               {Command::Search, 2},
                               {Command::SearchKey, 2},
                               {Command::TagsKey, 2},
                               {Command::SaveTags, 2},
                               {Command::CloseTags, 1},
                               {Command::AboutWindow, 1},
                               {Command::CloseAbout, 1},
                               {Command::Eject, 1},
                               {Command::Minimise, 1},
                               {Command::ClickRow, 3},
                               {Command::DoubleClickRow, 4},
                               {Command::Wait, 8},
                               {Command::Nested, 10}};

Command Draw(std::mt19937& rng) {
    static const int total = [] {
        int t = 0;
        for (const Weight& w : kWeights)
            t += w.weight;
        return t;
    }();
    int pick = static_cast<int>(rng() % static_cast<uint32_t>(total));
    for (const Weight& w : kWeights) {
        if (pick < w.weight)
            return w.command;
        pick -= w.weight;
    }
    return Command::Wait;
}

unsigned long Number(const char* text, unsigned long fallback) {
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 0);
    return end && *end == '\0' ? v : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    auto seed = static_cast<uint32_t>(Number(std::getenv("TV_STORM_SEED"), 19));
    long commands = static_cast<long>(Number(std::getenv("TV_STORM_COMMANDS"), 1500));
    bool trace = std::getenv("TV_STORM_TRACE") != nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
            seed = static_cast<uint32_t>(Number(argv[++i], seed));
        else if (!std::strcmp(argv[i], "--commands") && i + 1 < argc)
            commands = static_cast<long>(Number(argv[++i], static_cast<unsigned long>(commands)));
        else if (!std::strcmp(argv[i], "--trace"))
            trace = true;
    }
    std::printf("storm: seed %u, %ld commands\n", seed, commands);
    std::fflush(stdout);

    tv::ui::Application app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    std::mt19937 rng(seed);
    std::deque<std::string> recent;  // the last commands, printed with a failure
    std::string broken;
    long done = 0;
    {
        tv::storm::StormRig rig(seed);
        rig.SetTrace(trace);
        for (; done < commands && broken.empty(); ++done) {
            const Command command = Draw(rng);
            const uint32_t arg = rng();
            const std::string line = std::to_string(done) + " " + tv::storm::CommandName(command) +
                                     " " + std::to_string(arg);
            if (trace)
                std::printf("%s\n", line.c_str()), std::fflush(stdout);
            recent.push_back(line);
            if (recent.size() > 30)
                recent.pop_front();
            rig.Run(command, arg);
            broken = rig.Check();
            if (broken.empty()) {
                rig.Pump(static_cast<int>(rng() % 6));
                broken = rig.Check();
            }
        }
        if (broken.empty())
            broken = rig.CloseAndCheckSaved();
        std::printf("storm: %ld commands (%d with the nested ones) in %.1f s, %zu warnings\n", done,
                    rig.CommandsRun(), clock.elapsed() / 1000.0, rig.Warnings().size());
    }
    if (broken.empty()) {
        std::printf("storm: every invariant held (seed %u)\n", seed);
        return 0;
    }
    std::printf("storm: FAILED after command %ld: %s\nthe last commands:\n", done - 1,
                broken.c_str());
    for (const std::string& line : recent)
        std::printf("  %s\n", line.c_str());
    std::printf("replay: TV_STORM_SEED=%u TV_STORM_COMMANDS=%ld tv_ui_storm --trace\n", seed, done);
    return 1;
}
