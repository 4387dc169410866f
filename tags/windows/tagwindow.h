#pragma once
// What the two tag windows share: a tool window of 361 x 345 centred on the screen, the
// read-only "File patch:" box `PatchEdit`, Esc to hide, closing the other tag window when shown,
// and the checks and warnings around a save or a removal. The row the window edits is the
// player model's; a save hands its write to the model, which rebuilds that row after it.
//
// Threads: user-interface thread only.

#include <QWidget>
#include <functional>
#include <string>

#include "core/playerview.h"

class QLineEdit;

namespace tv::tags::windows {

class TagWindow : public QWidget, public core::TagWindowHook {
public:
    static constexpr int kClientWidth = 361;
    static constexpr int kClientHeight = 345;
    static constexpr int kEditLimit = 250;  // characters of an editable box

    explicit TagWindow(QWidget* parent = nullptr);

    QLineEdit* PatchEdit = nullptr;
    // Puts `path` into PatchEdit. The exact bytes are kept, so a file name that is not valid
    // UTF-8 is still the file that is written.
    void SetPath(const std::string& path);

    // The other tag window: showing this one closes it.
    void SetOtherWindow(QWidget* other) { m_other = other; }
    // The tag save of the player model: runs `write` and, when it succeeded, rebuilds the row
    // the window edits (MLT). Returns what `write` returned. Without it the write runs alone.
    std::function<bool(const std::function<bool()>& write)> onSave;
    // Where failures go (the main window's warning box); without one a message box is shown.
    std::function<void(const std::string& text)> onWarning;

    // Reads the file's tags into the boxes, as the main window's F2 does before showing.
    virtual void ReadTags() = 0;

    // core::TagWindowHook
    bool IsVisible() const override { return isVisible(); }
    std::string Path() const override;
    void Reload(const std::string& path) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Runs when the window is shown, after the other tag window was closed.
    virtual void FormShow() {}

    // Before the file is written: false, after a warning naming the file and the reason, when
    // it is gone or read-only. `action` is what the user asked ("save", "remove").
    bool CheckFileWritable(const std::string& action);
    // The warning for a failed save or removal; `unchanged` says the file is as it was.
    void WarnFailure(const std::string& action, const std::string& reason, bool unchanged = true);
    // Writes the file through onSave (`write` returns false on failure, with the reason kept
    // by the caller). A removal that changed nothing on disk passes a write returning true.
    bool CommitWrite(const std::function<bool()>& write);

private:
    QWidget* m_other = nullptr;
    std::string m_path;
    bool m_placed = false;
};

// Why `path` cannot be written, or "" when it can: it is gone, not a regular file, or
// read-only (no write permission bit, or not writable by this user).
std::string WriteRefusal(const std::string& path);

}  // namespace tv::tags::windows
