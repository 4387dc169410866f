#include "spectrum/widget/spectrumview.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "spectrum/spectrumskin.h"

namespace tv::spectrum {

SpectrumView::SpectrumView(audio::AudioLibrary& library, SpectrumController::PlayStateFn playState,
                           SpectrumController::ChannelFn channel, QWidget* parent)
    : SpectrumView(library, std::move(playState), std::move(channel), LoadSpectrumBackground(),
                   parent) {}

SpectrumView::SpectrumView(audio::AudioLibrary& library, SpectrumController::PlayStateFn playState,
                           SpectrumController::ChannelFn channel, const QImage& background,
                           QWidget* parent)
    : QWidget(parent),
      m_controller(library, std::move(playState), std::move(channel), background),
      m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("boxPaint"));
    setFixedSize(SpectrumController::kWidth, SpectrumController::kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer->setObjectName(QStringLiteral("tmrFFT"));
    connect(m_timer, &QTimer::timeout, this, &SpectrumView::tmrFFTTimer);
    m_controller.SetTimerListener([this] { ApplyTimer(); });
    BuildMenu();
    ApplyTimer();
}

void SpectrumView::ApplyTimer() {
    if (m_controller.TimerRunning())
        m_timer->start(m_controller.Interval());
    else
        m_timer->stop();
}

void SpectrumView::tmrFFTTimer() {
    if (m_controller.tmrFFTTimer())
        update();
}

void SpectrumView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_controller.Canvas());
}

void SpectrumView::mousePressEvent(QMouseEvent* event) {
    // The display keeps every press: a left press is half of a click, a right press brings
    // the menu. Passed on, a press would reach the window behind and could start a move.
    m_leftPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void SpectrumView::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a left press and release inside the box.
    const bool click = m_leftPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (click)
        m_controller.boxPaintClick();
    event->accept();
}

void SpectrumView::contextMenuEvent(QContextMenuEvent* event) {
    SpectrumMenu()->popup(event->globalPos());
}

void SpectrumView::BuildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("SpectrumMenu"));
    QMenu* submenus[2] = {m_menu->addMenu(QString::fromLatin1(
                              SpectrumMenuModel::SubmenuCaption(SpectrumSubmenu::Mode))),
                          nullptr};
    m_menu->addSeparator();
    submenus[1] = m_menu->addMenu(
        QString::fromLatin1(SpectrumMenuModel::SubmenuCaption(SpectrumSubmenu::Speed)));
    // The radio items of each submenu form a group, so the menu draws them with radio marks.
    // The group allows no tick at all, as the model does when a ticked item is chosen again.
    QActionGroup* radios[2] = {new QActionGroup(submenus[0]), new QActionGroup(submenus[1])};
    for (QActionGroup* group : radios)
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    // Order: "Big Lines", "Lines", "None", separator, "Peak"; "Low", "Normal", "High", "Ultra".
    for (int i = 0; i < kSpectrumMenuItemCount; ++i) {
        const auto item = static_cast<SpectrumMenuItem>(i);
        const int place = static_cast<int>(SpectrumMenuModel::SubmenuOf(item));
        QMenu* submenu = submenus[place];
        if (item == SpectrumMenuItem::DPeak)
            submenu->addSeparator();
        QAction* action = submenu->addAction(QString::fromLatin1(SpectrumMenuModel::Caption(item)));
        action->setCheckable(true);
        if (SpectrumMenuModel::IsRadio(item))
            radios[place]->addAction(action);
        // The model decides every tick; the action's own toggle is overwritten right after.
        connect(action, &QAction::triggered, this, [this, item] {
            m_controller.ChooseMenuItem(item);
            RefreshMenuTicks();
        });
        m_actions[static_cast<size_t>(i)] = action;
    }
    connect(m_menu, &QMenu::aboutToShow, this, &SpectrumView::RefreshMenuTicks);
    RefreshMenuTicks();
}

void SpectrumView::RefreshMenuTicks() {
    for (int i = 0; i < kSpectrumMenuItemCount; ++i)
        m_actions[static_cast<size_t>(i)]->setChecked(
            m_controller.Menu().Checked(static_cast<SpectrumMenuItem>(i)));
}

QMenu* SpectrumView::SpectrumMenu() {
    RefreshMenuTicks();
    return m_menu;
}

QAction* SpectrumView::MenuAction(SpectrumMenuItem item) const {
    return m_actions[static_cast<size_t>(item)];
}

}  // namespace tv::spectrum
