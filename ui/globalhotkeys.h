#pragma once

// System-wide hotkeys: the eight Ctrl+Alt combinations of core::kHotkeyTable, delivered to a
// callback with the table index of the pressed combination. The platform's code sits behind
// this interface in one file each: on X11 key grabs (globalhotkeys_x11.cpp); elsewhere
// (Wayland) the desktop portal's GlobalShortcuts on the session bus (globalhotkeys_portal.cpp),
// where the desktop may let the user rebind them. Where neither exists, or another program
// already holds a combination, that hotkey silently does nothing; nothing here ever aborts
// the program.
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

// The hotkeys of the running platform: X11 grabs under the xcb platform, else the portal's
// (a do-nothing set where there is neither).
std::unique_ptr<GlobalHotkeys> CreateGlobalHotkeys();

// The hotkeys through the portal on the session bus; null when there is no session bus. The
// portal is asked asynchronously: RegisterAll returns at once, HeldCount grows when the
// desktop has bound them, and a desktop without the portal leaves them doing nothing.
std::unique_ptr<GlobalHotkeys> CreatePortalHotkeys();

}  // namespace tv::ui
