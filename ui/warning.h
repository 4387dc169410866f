#pragma once

// The one way failures reach the user: a modal warning box with the caption "Torvanell", the
// text, a warning icon and one OK button, staying on top until answered.
//
// With TORVANELL_WARNINGS_TO_STDERR=1 in the environment the text is printed to stderr as
// "Torvanell: <text>" instead, so scripted runs and tests never block on a box. Tests inside
// the process replace the box through SetWarningSink.
//
// Threads: user-interface thread only.

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace tv::ui {

using WarningSink = std::function<void(const std::string& text)>;

// Shows `text` and returns when the user has closed the box.
void ShowWarning(const std::string& text, QWidget* owner = nullptr);
// Replaces where warnings go; an empty sink restores the box. Returns the previous sink.
WarningSink SetWarningSink(WarningSink sink);
// ReportException: shows the exception's message text; the program carries on.
void ReportException(const std::exception& e);

}  // namespace tv::ui
