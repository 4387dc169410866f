#include "tags/windows/tagwindow.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>

#include "tags/windows/labelledbox.h"

namespace tv::tags::windows {

TagWindow::TagWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Information"));
    setFixedSize(kClientWidth, kClientHeight);
    auto* group = new QGroupBox(QStringLiteral("File patch:"), this);
    group->setObjectName(QStringLiteral("GroupBox3"));
    group->setGeometry(6, 2, kClientWidth - 12, 46);
    PatchEdit = new QLineEdit(group);
    PatchEdit->setGeometry(8, 18, kClientWidth - 28, kBoxHeight);
    PatchEdit->setReadOnly(true);
    PatchEdit->setStyleSheet(QStringLiteral("QLineEdit { background: palette(window); }"));
    // The form sees the keys first: Esc hides the window from whichever box has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void TagWindow::SetPath(const std::string& path) {
    m_path = path;
    SetBoxText(PatchEdit, path);
}

std::string TagWindow::Path() const {
    return PatchEdit->text() == QString::fromStdString(m_path) ? m_path : BoxText(PatchEdit);
}

void TagWindow::Reload(const std::string& path) {
    SetPath(path);
    ReadTags();
}

void TagWindow::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
        }
    }
    if (m_other)
        m_other->close();
    FormShow();
    QWidget::showEvent(event);
}

std::string WriteRefusal(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "the file no longer exists";
    if (!S_ISREG(st.st_mode))
        return "it is not a regular file";
    // The permission bits count even for a user (such as root) whom the system would let write.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0)
        return "the file is read-only";
    return {};
}

bool TagWindow::CheckFileWritable(const std::string& action) {
    const std::string refusal = WriteRefusal(Path());
    if (refusal.empty())
        return true;
    WarnFailure(action, refusal);
    return false;
}

void TagWindow::WarnFailure(const std::string& action, const std::string& reason, bool unchanged) {
    const std::string text =
        "Could not " + action + " the tags of \"" + Path() +
        "\": " + (reason.empty() ? std::string("the file could not be rewritten") : reason) +
        (unchanged ? ". The file was not changed." : ".");
    if (onWarning)
        onWarning(text);
    else
        QMessageBox::warning(this, QStringLiteral("Torvanell"), QString::fromStdString(text));
}

bool TagWindow::CommitWrite(const std::function<bool()>& write) {
    return onSave ? onSave(write) : write();
}

}  // namespace tv::tags::windows
