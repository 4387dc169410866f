#pragma once

// The main window's insert menu (PlayMenu) and the open dialog of the "Insert file" command.
//
// Threads: user-interface thread only.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"

class QAction;
class QMenu;
class QWidget;

namespace tv::playlist {

// The pop-up menu and its two items. The menu belongs to the parent given to CreatePlayMenu.
struct PlayMenuItems {
    QMenu* PlayMenu = nullptr;
    QAction* N2 = nullptr;  // "Insert file", shows Shift+Ins
    QAction* N3 = nullptr;  // "Insert folder", shows Ins
};

// Builds PlayMenu with "Insert file" and "Insert folder", each showing its key as text only:
// the items carry no shortcut, because the playlist's own key handling runs those keys.
// Choosing an item calls `n2Click` or `n3Click` (either may be empty). The caller pops the
// menu up at the mouse pointer (PlayMenu->popup(QCursor::pos())).
PlayMenuItems CreatePlayMenu(QWidget* parent, std::function<void()> n2Click,
                             std::function<void()> n3Click);

// Adds the "ReplayGain" submenu to `menu`: "Off", "Track", "Album" and "Automatic" (one of
// them ticked) and "Clipping prevention" (a tick). The ticks follow `current` each time the
// submenu opens; choosing an item calls `changed` with `current` so changed.
QMenu* AddReplayGainMenu(QMenu* menu, std::function<core::ReplayGainSettings()> current,
                         std::function<void(const core::ReplayGainSettings&)> changed);

// The three entries of the open dialog's filter, in order: "All Multimedia Formats" (the
// audio patterns, then the video patterns), "Audio Formats" and "Video Formats", each as
// "Caption (*.mp3 *.mp2 ...)". The patterns are those of the mask list.
QStringList OpenDialogFilters();
// The same entries joined into one filter string, separated by ";;".
QString OpenDialogFilter();

// dlgOpen: the multi-select open dialog (only existing files can be chosen; the first filter
// is selected). Returns the chosen paths in the dialog's order as the system's bytes, or an
// empty list when the user cancels.
std::vector<std::string> ShowOpenDialog(QWidget* parent);

}  // namespace tv::playlist
