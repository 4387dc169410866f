#include "playlist/windows/tfrmopen.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeView>
#include <cstdio>
#include <system_error>

#include "playlist/scandir.h"
#include "playlist/windows/foldertree.h"

namespace tv::playlist {

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

QString FromLocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

TfrmOpen::TfrmOpen(std::filesystem::path settingsPath, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_settingsPath(std::move(settingsPath)), m_masks(MaskList()) {
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(QStringLiteral("Opening folder"));
    setMinimumSize(kMinWidth, kMinHeight);
    BuildControls();

    core::IniFile ini;
    ini.Load(m_settingsPath);  // a missing file reads as all defaults
    ApplySettings(core::LoadOpenFolderSettings(ini));
}

QModelIndex TfrmOpen::TreeIndex(const std::string& path) const {
    return m_model->IndexOf(FromLocalPath(path));
}

std::string TfrmOpen::TreePath(const QModelIndex& index) const {
    return ToLocalPath(m_model->FilePath(index));
}

TfrmOpen::~TfrmOpen() {
    // Other windows write the same file first; their keys are read back and kept.
    core::IniFile ini;
    ini.Load(m_settingsPath);
    SaveSettings(ini);
    std::string error;
    if (!ini.Save(m_settingsPath, &error))
        std::fprintf(stderr, "Torvanell: settings not saved: %s\n", error.c_str());
    // The models go before the icon provider they (and their reading thread) use.
    delete m_model;
    delete m_files;
}

void TfrmOpen::BuildControls() {
    // Folders only, hidden ones and pseudo-file systems left out. The tree is read when it is
    // opened and not watched afterwards, so a busy folder does not keep redrawing it.
    m_iconProvider = std::make_unique<FolderIconProvider>();
    auto* files = m_files = new QFileSystemModel(this);
    files->setIconProvider(m_iconProvider.get());
    files->setOption(QFileSystemModel::DontWatchForChanges, true);
    files->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot);
    files->setReadOnly(true);
    files->setRootPath(QStringLiteral("/"));
    m_model = new FolderTreeModel(files, this);

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setModel(m_model);
    ShellTreeView1->setIconSize(QSize(16, 16));
    for (int column = 1; column < m_model->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setRootIsDecorated(false);  // no lines at the root
    ShellTreeView1->setContextMenuPolicy(Qt::PreventContextMenu);
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The root itself stays a row of its own so that it can be chosen; its folders show.
    ShellTreeView1->expand(m_model->IndexOf(QStringLiteral("/")));

    CheckBox1 = new QCheckBox(QStringLiteral("Subdirectories"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    connect(Button1, &QPushButton::clicked, this, &TfrmOpen::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmOpen::Button2Click);

    // Key preview: the window sees every key press before its controls do.
    for (QWidget* control :
         {static_cast<QWidget*>(ShellTreeView1), static_cast<QWidget*>(CheckBox1),
          static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2)})
        control->installEventFilter(this);
    installEventFilter(this);
}

void TfrmOpen::LayOutControls() {
    const int w = width();
    const int h = height();
    const int barTop = h - kBarHeight;
    ShellTreeView1->setGeometry(kMargin, kMargin, w - 2 * kMargin, barTop - 2 * kMargin);
    const int buttonTop = barTop + (kBarHeight - kButtonHeight) / 2;
    Button2->setGeometry(w - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    Button1->setGeometry(w - 2 * (kMargin + kButtonWidth), buttonTop, kButtonWidth, kButtonHeight);
    const int checkWidth = Button1->x() - 2 * kMargin;
    CheckBox1->setGeometry(kMargin, buttonTop, checkWidth, kButtonHeight);
}

void TfrmOpen::ApplySettings(const core::OpenFolderSettings& settings) {
    if (settings.path && !settings.path->empty())
        SelectPath(*settings.path);
    CheckBox1->setChecked(settings.subdirectories);
    // The position is the frame's, the size the client area's; CurrentSettings reads them
    // back the same way, so the window does not creep from run to run.
    move(settings.openPosX, settings.openPosY);
    resize(settings.openWidth, settings.openHeight);
    LayOutControls();
}

std::string TfrmOpen::SelectedPath() const {
    const QModelIndexList selected = ShellTreeView1->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    return ToLocalPath(m_model->FilePath(selected.front()));
}

bool TfrmOpen::SelectPath(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_directory(path, error))
        return false;
    const QModelIndex index = m_model->IndexOf(FromLocalPath(path));
    if (!index.isValid())
        return false;
    ShellTreeView1->setCurrentIndex(index);
    ShellTreeView1->scrollTo(index);
    return true;
}

core::OpenFolderSettings TfrmOpen::CurrentSettings() const {
    core::OpenFolderSettings s;
    s.path = SelectedPath();
    s.subdirectories = CheckBox1->isChecked();
    s.openWidth = width();
    s.openHeight = height();
    s.openPosX = x();
    s.openPosY = y();
    return s;
}

void TfrmOpen::SaveSettings(core::IniFile& ini) const {
    core::StoreOpenFolderSettings(ini, CurrentSettings());
}

void TfrmOpen::Button1Click() {
    hide();
    m_staging->clear();
    ScanDir(SelectedPath(), m_masks, CheckBox1->isChecked(), *m_staging);
    emit StagedFilesReady();
}

void TfrmOpen::Button2Click() {
    hide();
}

void TfrmOpen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The folders above the selected one may have been read only after it was selected.
    const QModelIndex current = ShellTreeView1->currentIndex();
    if (current.isValid())
        ShellTreeView1->scrollTo(current, QAbstractItemView::PositionAtCenter);
    ShellTreeView1->setFocus(Qt::OtherFocusReason);
}

void TfrmOpen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutControls();
}

bool TfrmOpen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {  // FormKeyPress
        Button2Click();
        return true;
    }
    if (watched == ShellTreeView1 && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        Button1Click();  // ShellTreeView1KeyDown
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tv::playlist
