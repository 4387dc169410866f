#include "playlist/windows/insertmenu.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QMenu>

#include "playlist/scandir.h"

namespace tv::playlist {

namespace {

// The masks [first, last) of the mask list.
QStringList Patterns(size_t first, size_t last) {
    QStringList patterns;
    for (size_t i = first; i < last; ++i) {
        const std::string_view mask = kMaskList[i];
        patterns << QString::fromLatin1(mask.data(), static_cast<qsizetype>(mask.size()));
    }
    return patterns;
}

// "Caption (*.a *.b ...)": the dialog's filter syntax wants the patterns apart by blanks.
QString FilterEntry(const char* caption, const QStringList& patterns) {
    return QStringLiteral("%1 (%2)").arg(QLatin1String(caption), patterns.join(u' '));
}

// The empty mask parts the audio patterns from the video patterns.
size_t AudioVideoBoundary() {
    for (size_t i = 0; i < kMaskList.size(); ++i) {
        if (kMaskList[i].empty())
            return i;
    }
    return kMaskList.size();
}

QAction* AddItem(QMenu* menu, const char* name, const QString& text,
                 std::function<void()> onClick) {
    // The text after the tab is drawn as the item's key; no shortcut is registered.
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    if (onClick)
        QObject::connect(action, &QAction::triggered, menu, [f = std::move(onClick)] { f(); });
    return action;
}

}  // namespace

PlayMenuItems CreatePlayMenu(QWidget* parent, std::function<void()> n2Click,
                             std::function<void()> n3Click) {
    PlayMenuItems items;
    items.PlayMenu = new QMenu(parent);
    items.PlayMenu->setObjectName(QStringLiteral("PlayMenu"));
    items.N2 =
        AddItem(items.PlayMenu, "N2", QStringLiteral("Insert file\tShift+Ins"), std::move(n2Click));
    items.N3 =
        AddItem(items.PlayMenu, "N3", QStringLiteral("Insert folder\tIns"), std::move(n3Click));
    return items;
}

QMenu* AddReplayGainMenu(QMenu* menu, std::function<core::ReplayGainSettings()> current,
                         std::function<void(const core::ReplayGainSettings&)> changed) {
    QMenu* sub = menu->addMenu(QStringLiteral("ReplayGain"));
    sub->setObjectName(QStringLiteral("ReplayGainMenu"));
    auto* modes = new QActionGroup(sub);
    const char* const names[] = {"Off", "Track", "Album", "Automatic"};
    std::vector<QAction*> items;
    for (int mode = 0; mode < 4; ++mode) {
        QAction* item = sub->addAction(QLatin1String(names[mode]));
        item->setCheckable(true);
        modes->addAction(item);
        items.push_back(item);
        QObject::connect(item, &QAction::triggered, sub, [current, changed, mode] {
            core::ReplayGainSettings r = current();
            r.mode = mode;
            changed(r);
        });
    }
    sub->addSeparator();
    QAction* clip = sub->addAction(QStringLiteral("Clipping prevention"));
    clip->setCheckable(true);
    QObject::connect(clip, &QAction::triggered, sub, [current, changed](bool on) {
        core::ReplayGainSettings r = current();
        r.clip = on;
        changed(r);
    });
    QObject::connect(sub, &QMenu::aboutToShow, sub, [current, items, clip] {
        const core::ReplayGainSettings r = current();
        for (size_t i = 0; i < items.size(); ++i)
            items[i]->setChecked(static_cast<int>(i) == r.mode);
        clip->setChecked(r.clip);
    });
    return sub;
}

QStringList OpenDialogFilters() {
    const size_t boundary = AudioVideoBoundary();
    const QStringList audio = Patterns(0, boundary);
    // Containers users expect beside the classic list; the folder scan keeps its own masks.
    const QStringList video =
        Patterns(boundary + 1, kMaskList.size()) +
        QStringList{"*.mkv", "*.webm", "*.mov", "*.m4v", "*.flv", "*.ts", "*.mp4v"};
    return {FilterEntry("All Multimedia Formats", audio + video),
            FilterEntry("Audio Formats", audio), FilterEntry("Video Formats", video)};
}

QString OpenDialogFilter() {
    return OpenDialogFilters().join(QStringLiteral(";;"));
}

std::vector<std::string> ShowOpenDialog(QWidget* parent) {
    const QStringList filters = OpenDialogFilters();
    QString selectedFilter = filters.front();
    const QStringList chosen = QFileDialog::getOpenFileNames(
        parent, QString(), QString(), filters.join(QStringLiteral(";;")), &selectedFilter);
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(chosen.size()));
    for (const QString& name : chosen)
        names.push_back(QFile::encodeName(name).toStdString());
    return names;
}

}  // namespace tv::playlist
