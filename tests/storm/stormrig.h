#pragma once

// The storm rig: the real main window with its secondary windows, the real audio engine (on
// whatever SDL audio driver the environment names; tests use "dummy") and real media files
// copied into a private folder. It runs the user's commands one at a time, as clicks, keys,
// wheel notches and drops delivered to the widgets, lets commands run from inside fades and
// completions, and checks the window's invariants after each of them.
//
// Threads: user-interface thread only; an application object must exist.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

class QWidget;

namespace tv::audio {
class Engine;
}
namespace tv::effects {
class EffectChain;
class TfrmEqualizer;
}  // namespace tv::effects
namespace tv::core {
class PlayerModel;
class TagTrackInfo;
}  // namespace tv::core
namespace tv::playlist {
class TfrmOpen;
}
namespace tv::ui {
class TfrmMain;
class TfrmAbout;
}  // namespace tv::ui

namespace tv::storm {

enum class Command {
    Play,
    Stop,
    Pause,
    Next,
    Back,
    RandomMode,
    ReplayMode,
    TimeMode,
    SeekKeyBack,     // Left held for a few repeats, then released
    SeekKeyForward,  // Right, the same
    SeekSlider,      // press on the track, perhaps a move, release
    KnobDrag,        // the drag knob pressed, moved, released
    WheelPlaylist,
    WheelVolume,
    EqualizerWindow,  // the equalizer button
    EqualizerSwitch,
    EqualizerPreset,
    EqualizerBand,
    EffectSwitch,
    EqualizerOk,
    DropFiles,
    DropFolder,
    DropPlaylist,
    DropMissing,
    KeyUp,
    KeyDown,
    KeyHome,
    KeyEnd,
    KeyEnter,
    KeySpace,
    KeyDelete,
    KeyClear,      // Shift+Delete
    KeyInsert,     // the open-folder window
    OpenFolderOk,  // its OK on one of the media folders
    OpenFolderCancel,
    InsertFile,  // Shift+Insert: the open dialog, answered by the rig
    Search,      // typing into the search box
    SearchKey,   // Down, Up, Enter or Esc in the search box
    TagsKey,     // F2 on the focused row
    SaveTags,    // a title typed into a visible tag window, then Save
    CloseTags,
    AboutWindow,  // the information image, or F1
    CloseAbout,
    Eject,     // the insert menu popped up, then closed
    Minimise,  // Esc in the playlist, then the window raised again
    ClickRow,
    DoubleClickRow,
    Wait,    // events run for a while
    Nested,  // another command, run later from inside whatever lets events run then
    kCount
};

const char* CommandName(Command c);

class StormRig {
public:
    // Copies the fixtures into a fresh temporary folder and shows the main window.
    explicit StormRig(uint32_t seed);
    ~StormRig();
    StormRig(const StormRig&) = delete;
    StormRig& operator=(const StormRig&) = delete;

    // Runs `command` with its parameter `arg` (each command reads what it needs from it).
    void Run(Command command, uint32_t arg);
    // Runs `command` from a zero-delay timer `delayMs` milliseconds from now: inside whatever
    // lets events run then (a fade, the completion of new rows, the rig's own waits).
    void Schedule(Command command, uint32_t arg, int delayMs);
    // Lets events run for `ms` milliseconds.
    void Pump(int ms);

    // Empty when every invariant holds; otherwise what broke. Also reports the first
    // violation seen after a scheduled command. `settled`: no other command is under way, so
    // what holds only between commands is checked too.
    std::string Check(bool settled = true);
    // Closes the main window (its fade, settings and playlist saved) and checks that the
    // saved playlist loads back with every row. Empty when that holds.
    std::string CloseAndCheckSaved();

    ui::TfrmMain& Main() { return *m_main; }
    effects::TfrmEqualizer& Equalizer() { return *m_equalizer; }
    const std::filesystem::path& MediaFolder() const { return m_media; }
    const std::vector<std::string>& Warnings() const { return m_warnings; }
    int CommandsRun() const { return m_commandsRun; }
    // Prints every command, nested ones included, with the player's state around it.
    void SetTrace(bool on) { m_trace = on; }

private:
    void CopyFixtures();
    std::string Media(uint32_t arg) const;
    void Click(QWidget* widget);
    void Key(QWidget* target, int key, int modifiers = 0, int repeats = 0);
    void Drop(const std::vector<std::string>& names);
    void Wheel(int x, int y, bool up);
    void AnswerOpenDialog();
    void TraceState(const char* mark, Command command);

    std::filesystem::path m_home;   // settings.ini, default.m3u
    std::filesystem::path m_media;  // the copied media files
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;
    std::vector<std::string> m_playlists;
    std::unique_ptr<audio::Engine> m_engine;
    std::unique_ptr<core::TagTrackInfo> m_trackInfo;
    std::unique_ptr<core::PlayerModel> m_model;
    std::unique_ptr<ui::TfrmMain> m_main;
    std::unique_ptr<playlist::TfrmOpen> m_open;
    std::unique_ptr<effects::TfrmEqualizer> m_equalizer;
    std::unique_ptr<ui::TfrmAbout> m_about;
    std::vector<std::string> m_warnings;
    std::string m_nestedFailure;
    uint32_t m_dialogArg = 0;
    int m_commandsRun = 0;
    int m_depth = 0;
    bool m_closed = false;
    bool m_trace = false;
};

}  // namespace tv::storm
