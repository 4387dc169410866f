#pragma once

// The open-folder window: the user picks one folder in a tree of the file system and every
// media file in it (and, with "Subdirectories", in the folders below it) is appended to the
// playlist. Its OK scans the folder onto the player model's staging list, which the model then
// appends; the window keeps the mask list the folder scans use.
//
// Threads: user-interface thread only.

#include <QModelIndex>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/inifile.h"
#include "core/settings.h"

class QCheckBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace tv::playlist {

class FolderIconProvider;
class FolderTreeModel;

class TfrmOpen : public QWidget {
    Q_OBJECT

public:
    // The design geometry and the smallest size the user can shrink the window to.
    static constexpr int kDesignWidth = 308;
    static constexpr int kDesignHeight = 284;
    static constexpr int kMinWidth = 308;
    static constexpr int kMinHeight = 264;
    static constexpr int kBarHeight = 40;  // the bottom bar holding the check box and buttons
    static constexpr int kMargin = 8;

    // FormCreate: builds the hidden window and reads its keys from the settings file at
    // `settingsPath` (a missing or unreadable file gives the defaults). A stored "Path" that
    // is not an existing folder is ignored; the tree then keeps its root.
    explicit TfrmOpen(std::filesystem::path settingsPath, QWidget* parent = nullptr);
    // FormDestroy: writes the window's keys into the settings file, keeping every other key
    // and section of it. A failed write leaves the file as it was.
    ~TfrmOpen() override;

    // The staging list the OK scans into: the player model's, once attached (null: the
    // window's own list). The list must outlive its attachment.
    void SetStagingList(std::vector<std::string>* list) { m_staging = list ? list : &FileList; }
    std::vector<std::string>& StagingList() { return *m_staging; }
    const std::vector<std::string>& StagingList() const { return *m_staging; }

    // The file-system path of the folder selected in the tree (UTF-8 bytes as the system
    // gives them); empty when nothing is selected.
    std::string SelectedPath() const;
    // Selects the folder at `path` in the tree and scrolls to it, opening its parents. false,
    // with the selection unchanged, when `path` is not an existing folder.
    bool SelectPath(const std::string& path);

    // The tree's row of the folder at `path` (invalid when the tree leaves it out or does not
    // know it), and the path of a row of the tree.
    QModelIndex TreeIndex(const std::string& path) const;
    std::string TreePath(const QModelIndex& index) const;

    // The window's keys as they stand now: the selected folder, the check box, the size and
    // the position.
    core::OpenFolderSettings CurrentSettings() const;
    // Sets the window's keys in `ini` in their fixed order (the destructor uses it too).
    void SaveSettings(core::IniFile& ini) const;

    // OK (also Enter in the tree): hides the window, empties the staging list, scans the
    // selected folder into it with the mask list and the check box's state, then emits
    // StagedFilesReady. Does not start playback.
    void Button1Click();
    // Cancel (also Esc anywhere in the window): hides the window, nothing else changes.
    void Button2Click();

    QTreeView* ShellTreeView1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

signals:
    // The staging list holds the scanned folder's files: the main window appends them
    // (its btnOpen, AppendStagedFiles).
    void StagedFilesReady();

protected:
    void showEvent(QShowEvent* event) override;      // FormShow
    void resizeEvent(QResizeEvent* event) override;  // keeps the controls anchored
    // Key preview: FormKeyPress (Esc anywhere) and ShellTreeView1KeyDown (Enter).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void LayOutControls();
    void ApplySettings(const core::OpenFolderSettings& settings);

    std::filesystem::path m_settingsPath;
    std::unique_ptr<FolderIconProvider> m_iconProvider;  // outlives the model, which uses it
    QFileSystemModel* m_files = nullptr;
    FolderTreeModel* m_model = nullptr;
    std::vector<std::string> FileList;  // the staging list while none is attached
    std::vector<std::string>* m_staging = &FileList;
    std::vector<std::string> m_masks;
};

}  // namespace tv::playlist
