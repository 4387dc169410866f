#pragma once

// The pieces of the open-folder window's tree: the folders it leaves out and the icons it shows.
//
// Threads: user-interface thread only.

#include <QAbstractFileIconProvider>
#include <QSortFilterProxyModel>

class QFileSystemModel;

namespace tv::playlist {

// Folders that hold no media and only confuse a user picking one: the kernel's pseudo-file
// systems (/proc, /sys, /dev) and the file-system checker's lost+found folders anywhere.
bool IsPseudoFolder(const QString& path);

// The file-system model as the tree shows it: every row except the folders above.
class FolderTreeModel : public QSortFilterProxyModel {
public:
    // `source` must outlive the model (normally both belong to the same window).
    FolderTreeModel(QFileSystemModel* source, QObject* parent);

    QString FilePath(const QModelIndex& index) const;
    // The row of `path`, or an invalid index when the path is not in the tree (left out, or
    // not a folder the source knows).
    QModelIndex IndexOf(const QString& path) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QFileSystemModel* m_source;
};

// Folder, home and drive icons from the desktop's icon theme. Where the desktop names no theme
// that has them (a bare X server, the offscreen platform), an installed theme is chosen once for
// the program; where none is installed, the style's standard icons are used.
class FolderIconProvider : public QAbstractFileIconProvider {
public:
    FolderIconProvider();
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;

private:
    QIcon m_folder;
    QIcon m_home;
    QIcon m_drive;
};

}  // namespace tv::playlist
