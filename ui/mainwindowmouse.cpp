// The main window's mouse: the background drag and the context menu.

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include "effects/windows/tfrmequalizer.h"
#include "ui/mainwindow.h"

namespace tv::ui {

void TfrmMain::mousePressEvent(QMouseEvent* event) {
    // A press reaches the window from its background, from the transparent displays over it,
    // and from controls that pass presses on (the time display counts its clicks and passes
    // them on). Only the background and the transparent displays, childAt's null, drag.
    const QPoint local = event->position().toPoint();
    const bool background = childAt(local) == nullptr;
    m_drag.Press(background && event->button() == Qt::LeftButton, event->globalPosition().toPoint(),
                 local);
}

void TfrmMain::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        m_drag.Release();  // a release the window manager's move kept from us
        return;
    }
    m_drag.Move(event->globalPosition().toPoint());  // moveEvent snaps
}

void TfrmMain::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_drag.Release();
}

void TfrmMain::contextMenuEvent(QContextMenuEvent* event) {
    m_contextMenu->popup(event->globalPos());
}

void TfrmMain::ShowEqualizer() {
    if (!m_frmEqualizer)
        return;
    m_frmEqualizer->CentreOn(*this);
    m_frmEqualizer->show();
    m_frmEqualizer->raise();
    m_frmEqualizer->activateWindow();
}

void TfrmMain::BuildContextMenu() {
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("ContextMenu"));
    const auto add = [this](const char* caption, std::function<void()> run) {
        QAction* action = m_contextMenu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, std::move(run));
    };
    // The same operations as the buttons, through the same model calls.
    add("Play", [this] { Player().btnPlayClick(); });
    add("Pause", [this] { Player().btnPauseClick(); });
    add("Stop", [this] { Player().btnStopClick(); });
    add("Next", [this] { Advance().btnNextClick(); });
    add("Previous", [this] { Advance().btnBackClick(); });
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(m_playMenu.N2);
    m_contextMenu->addAction(m_playMenu.N3);
    m_contextMenu->addSeparator();
    add("Equalizer", [this] { ShowEqualizer(); });
    add("About", [this] { ShowAbout(); });
    m_contextMenu->addSeparator();
    add("Exit", [this] { close(); });
}

}  // namespace tv::ui
