#include "playlist/windows/foldertree.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIcon>
#include <QStandardPaths>
#include <QStyle>

namespace tv::playlist {

namespace {

const QString kFolderIcon = QStringLiteral("folder");

// Themes that carry the folder icons, tried in this order when the desktop names none.
const char* const kInstalledThemes[] = {"Adwaita", "breeze", "gnome", "Tango", "oxygen"};

// Makes QIcon::fromTheme find folder icons if any installed theme has them.
void ChooseIconTheme() {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (QIcon::hasThemeIcon(kFolderIcon))
        return;  // the desktop's own theme has them
    // Some platforms (offscreen) look only in the program's resources.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = QDir(data).filePath(QStringLiteral("icons"));
        if (!paths.contains(icons) && QFileInfo(icons).isDir())
            paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::hasThemeIcon(kFolderIcon))
        return;
    const QString previous = QIcon::themeName();
    for (const char* name : kInstalledThemes) {
        QIcon::setThemeName(QLatin1String(name));
        if (QIcon::hasThemeIcon(kFolderIcon))
            return;
    }
    QIcon::setThemeName(previous);
}

QIcon Themed(const QString& name, QStyle::StandardPixmap fallback) {
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return QApplication::style()->standardIcon(fallback);
}

}  // namespace

bool IsPseudoFolder(const QString& path) {
    static const QStringList kRootPseudo = {QStringLiteral("/proc"), QStringLiteral("/sys"),
                                            QStringLiteral("/dev")};
    const QString clean = QDir::cleanPath(path);
    if (kRootPseudo.contains(clean))
        return true;
    return clean.section(u'/', -1) == QLatin1String("lost+found");
}

FolderTreeModel::FolderTreeModel(QFileSystemModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(source);
}

QString FolderTreeModel::FilePath(const QModelIndex& index) const {
    return m_source->filePath(mapToSource(index));
}

QModelIndex FolderTreeModel::IndexOf(const QString& path) const {
    const QModelIndex source = m_source->index(path);
    // A row below a folder that is left out is left out as well.
    for (QModelIndex at = source; at.isValid(); at = at.parent()) {
        if (!filterAcceptsRow(at.row(), at.parent()))
            return {};
    }
    return source.isValid() ? mapFromSource(source) : QModelIndex();
}

bool FolderTreeModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    return !IsPseudoFolder(m_source->filePath(m_source->index(sourceRow, 0, sourceParent)));
}

FolderIconProvider::FolderIconProvider() {
    ChooseIconTheme();
    m_folder = Themed(kFolderIcon, QStyle::SP_DirIcon);
    m_home = Themed(QStringLiteral("user-home"), QStyle::SP_DirHomeIcon);
    m_drive = Themed(QStringLiteral("drive-harddisk"), QStyle::SP_DriveHDIcon);
}

QIcon FolderIconProvider::icon(IconType type) const {
    switch (type) {
        case Computer:
        case Drive:
            return m_drive;
        default:
            return m_folder;
    }
}

QIcon FolderIconProvider::icon(const QFileInfo& info) const {
    const QString path = info.absoluteFilePath();
    if (info.isRoot())
        return m_drive;
    if (path == QDir::homePath())
        return m_home;
    return m_folder;
}

}  // namespace tv::playlist
