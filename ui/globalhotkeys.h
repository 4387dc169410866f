#pragma once

// System-wide hotkeys: the eight Ctrl+Alt combinations of core::kHotkeyTable, delivered to a
// callback with the table index of the pressed combination. The platform's code sits behind
// this interface in one file (X11: globalhotkeys_x11.cpp). Where the platform has no global
// hotkeys (Wayland, no X display), or another program already holds a combination, that
// hotkey silently does nothing; nothing here ever aborts the program.
//
// Threads: user-interface thread only; the callback runs on it.

#include <functional>
#include <memory>

namespace tv::ui {

class GlobalHotkeys {
public:
    virtual ~GlobalHotkeys() = default;
    // Registers the table in its order: the identifier by its name, then the grab.
    virtual void RegisterAll(std::function<void(int index)> onHotkey) = 0;
    // Removes the table in its order: the grab, then the identifier. Also done on destruction.
    virtual void UnregisterAll() = 0;
    // How many combinations are held by this program (for diagnostics and tests).
    virtual int HeldCount() const = 0;
};

// The hotkeys of the running platform (a do-nothing set where it has none).
std::unique_ptr<GlobalHotkeys> CreateGlobalHotkeys();

}  // namespace tv::ui
