#include "ui/playlistview.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/skin/skinstore.h"

namespace tv::ui {

namespace {
constexpr int kRow = playlist::kRowHeight;
const QColor kBack(64, 64, 64);
const QColor kText(224, 224, 224);
const QColor kCurrentBack(48, 48, 48);
const QColor kSelectedBack(96, 96, 96);
const QColor kCurrentText(255, 255, 255);

int Rounded(double v) {
    return static_cast<int>(std::lround(v));
}
}  // namespace

PlaylistView::PlaylistView(playlist::PlaylistModel& model, QWidget* parent, QWidget* scrollerParent)
    : QWidget(parent), m_model(model) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scroller = new PlaylistScroller(*this, scrollerParent);
    m_scroller->hide();
}

void PlaylistView::AttachPlayer(core::Player* player) {
    m_player = player;
}

bool PlaylistView::SeekFading() const {
    return m_player && m_player->SeekFading();
}

void PlaylistView::AttachSearch(QLineEdit* box) {
    m_search = box;
    connect(box, &QLineEdit::textChanged, this, [this](const QString& t) { SearchChange(t); });
    box->installEventFilter(this);
}

int PlaylistView::TrackHeight() const {
    return m_scroller->height();
}

// --- geometry ---------------------------------------------------------------------------

void PlaylistView::PlaceThumb() {
    const int span = ListHeight() - height();
    m_thumbTop = span > 0 ? Rounded(-double(m_top) * (TrackHeight() - kThumbHeight) / span) : 0;
    m_scroller->update();
}

void PlaylistView::SetListTop(int top) {
    m_top = std::min(0, std::max(top, height() - ListHeight()));
    PlaceThumb();
    update();
}

void PlaylistView::UpdateScrollerVisibility() {
    m_scroller->setVisible(m_scroller->parentWidget() && ListHeight() > height());
    SetListTop(m_top);
}

void PlaylistView::ScrollTo(int k) {
    const int h = height();
    const int n = m_model.Count();
    if (k < 0 || k >= n || n * kRow <= h)
        return;
    if (k * kRow + kRow < h - m_top && k * kRow - kRow >= -m_top)
        return;
    int t = h / 2 - k * kRow + 7;
    if (h - t > ListHeight())
        t = h - ListHeight();
    m_top = std::min(t, 0);
    PlaceThumb();
    update();
}

void PlaylistView::ScrollToFocused() {
    ScrollTo(m_model.Focused());
}

void PlaylistView::ScrollToCurrent() {
    ScrollTo(m_model.Current());
}

void PlaylistView::ClampThumb() {
    m_thumbTop = std::clamp(m_thumbTop, 0, std::max(0, TrackHeight() - kThumbHeight));
}

void PlaylistView::SetTopFromThumb() {
    const int span = ListHeight() - height();
    const int travel = TrackHeight() - kThumbHeight;
    if (span <= 0 || travel <= 0)
        return;
    const int r = Rounded(-double(m_thumbTop) * span / travel);
    m_top = (r / kRow) * kRow;  // whole rows only; the division truncates toward zero
    update();
}

// --- scroller ---------------------------------------------------------------------------

void PlaylistView::Image3MouseDown(int y, bool leftButton) {
    m_thumbDrag = true;
    m_thumbPressed = leftButton;
    m_grabY = y;
    m_scroller->update();
}

void PlaylistView::Image3MouseMove(int y) {
    if (!m_thumbDrag || ListHeight() <= height())
        return;
    m_thumbTop += y - m_grabY;
    ClampThumb();
    m_scroller->update();
    SetTopFromThumb();
}

void PlaylistView::Image3MouseUp() {
    m_thumbDrag = false;
    m_thumbPressed = false;
    m_scroller->update();
}

void PlaylistView::Image2MouseDown(int y) {
    m_trackDrag = true;
    Image2MouseMove(y);
}

void PlaylistView::Image2MouseMove(int y) {
    if (!m_trackDrag)
        return;
    m_thumbTop = y - kThumbHeight / 2;
    ClampThumb();
    m_scroller->update();
    if (ListHeight() > height())
        SetTopFromThumb();
}

void PlaylistView::Image2MouseUp() {
    m_trackDrag = false;
}

void PlaylistView::FormMouseWheelUp() {
    if (m_top >= 0)
        return;
    SetListTop(m_top + kWheelStep);
}

void PlaylistView::FormMouseWheelDown() {
    if (m_top <= height() - ListHeight())
        return;
    SetListTop(m_top - kWheelStep);
}

// --- painting and mouse -----------------------------------------------------------------

void PlaylistView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBack);
    const int n = m_model.Count();
    const int first = std::max(0, -m_top / kRow);
    const int current = m_model.Current();
    for (int i = first; i < n; ++i) {
        const int y = i * kRow + m_top;
        if (y >= height())
            break;
        const bool selected = m_model.IsSelected(i);
        const QColor back = selected ? kSelectedBack : i == current ? kCurrentBack : kBack;
        p.fillRect(0, y, width(), kRow, back);
        p.setPen(i == current ? kCurrentText : kText);
        const playlist::Entry& e = m_model.At(i);
        // Each column is its own list: the text is not clipped inside the row, but a display
        // text never runs into the duration column.
        p.setClipRect(0, y, kTextWidth, kRow);
        p.drawText(QRect(2, y, kTextWidth * 4, kRow), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromStdString(e.display));
        p.setClipRect(kTextWidth, y, kTimeWidth, kRow);
        p.drawText(QRect(kTextWidth + 2, y, kTimeWidth * 4, kRow), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromStdString(e.duration));
        p.setClipping(false);
    }
}

void PlaylistView::mousePressEvent(QMouseEvent* event) {
    const int row = (event->position().toPoint().y() - m_top) / kRow;
    setFocus();  // back to the control that holds the playlist keys
    if (row < 0 || row >= m_model.Count())
        return;
    const auto mods = event->modifiers();
    if (mods & Qt::ShiftModifier && m_anchor >= 0 && m_anchor < m_model.Count()) {
        if (!(mods & Qt::ControlModifier))
            m_model.ClearSelection();
        for (int i = std::min(m_anchor, row); i <= std::max(m_anchor, row); ++i)
            m_model.Select(i);
        m_model.SetFocused(row);
    } else if (mods & Qt::ControlModifier) {
        m_model.Select(row, !m_model.IsSelected(row));
        m_model.SetFocused(row);
        m_anchor = row;
    } else {
        SelectOnly(row);
        m_anchor = row;
    }
    update();
}

void PlaylistView::mouseDoubleClickEvent(QMouseEvent* event) {
    const int row = (event->position().toPoint().y() - m_top) / kRow;
    setFocus();
    if (row >= 0 && row < m_model.Count())
        SelectOnly(row);
    if (onActivate)
        onActivate();
    update();
}

void PlaylistView::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (dy > 0)
        FormMouseWheelUp();
    else if (dy < 0)
        FormMouseWheelDown();
}

// --- playlist keys ----------------------------------------------------------------------

void PlaylistView::SelectOnly(int row) {
    m_model.ClearSelection();
    m_model.Select(row);  // selecting focuses
}

void PlaylistView::Repaint() {
    update();
}

void PlaylistView::keyPressEvent(QKeyEvent* event) {
    MainControlKeyDown(event->key(), event->modifiers());
}

void PlaylistView::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats as release/press pairs; only the real release ends the seek fade.
    if (!event->isAutoRepeat())
        MainControlKeyUp(event->key());
}

namespace {

// Which modifier state a binding asks for: Delete and Insert mean something else with Shift.
enum class ShiftState { Any, Without, With };

struct KeyBinding {
    int key;
    ShiftState shift;
    PlaylistView::KeyCommand command;
};

using Command = PlaylistView::KeyCommand;
constexpr KeyBinding kKeyBindings[] = {
    {Qt::Key_Home, ShiftState::Any, Command::SelectFirst},
    {Qt::Key_End, ShiftState::Any, Command::SelectLast},
    {Qt::Key_Escape, ShiftState::Any, Command::Minimise},
    {Qt::Key_F1, ShiftState::Any, Command::About},
    {Qt::Key_F2, ShiftState::Any, Command::Tags},
    {Qt::Key_F3, ShiftState::Any, Command::FocusSearch},
    {Qt::Key_Up, ShiftState::Any, Command::FocusUp},
    {Qt::Key_Down, ShiftState::Any, Command::FocusDown},
    {Qt::Key_Return, ShiftState::Any, Command::Activate},
    {Qt::Key_Enter, ShiftState::Any, Command::Activate},
    {Qt::Key_Space, ShiftState::Any, Command::Pause},
    {Qt::Key_Left, ShiftState::Any, Command::SeekBack},
    {Qt::Key_Right, ShiftState::Any, Command::SeekForward},
    {Qt::Key_Delete, ShiftState::Without, Command::RemoveFocused},
    {Qt::Key_Delete, ShiftState::With, Command::ClearPlaylist},
    {Qt::Key_Insert, ShiftState::Without, Command::InsertFolder},
    {Qt::Key_Insert, ShiftState::With, Command::InsertFile},
};

template <typename... Args>
void Call(const std::function<void(Args...)>& hook, Args... args) {
    if (hook)
        hook(args...);
}

}  // namespace

PlaylistView::KeyCommand PlaylistView::KeyCommandFor(int key, Qt::KeyboardModifiers modifiers) {
    const bool shift = modifiers & Qt::ShiftModifier;
    for (const KeyBinding& b : kKeyBindings) {
        if (b.key != key)
            continue;
        if (b.shift == ShiftState::Any || (b.shift == ShiftState::With) == shift)
            return b.command;
    }
    return KeyCommand::None;
}

void PlaylistView::MainControlKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    RunKeyCommand(KeyCommandFor(key, modifiers));
}

void PlaylistView::MoveFocus(int step) {
    const int n = m_model.Count();
    const int f = m_model.Focused();
    if (f < 0 || f >= n || f + step < 0 || f + step >= n)
        return;
    SelectOnly(f + step);
    // One row up or down: the list follows by one row when the new focus leaves the panel.
    if (step < 0 && (f - 1) * kRow < -m_top) {
        m_top += kRow;
        PlaceThumb();
    } else if (step > 0 && (f + 2) * kRow > height() - m_top) {
        m_top -= kRow;
        PlaceThumb();
    }
    Repaint();
}

void PlaylistView::RunKeyCommand(KeyCommand command) {
    const int n = m_model.Count();
    const int f = m_model.Focused();
    const bool focusValid = f >= 0 && f < n;
    switch (command) {
        case KeyCommand::None:
            return;
        case KeyCommand::SelectFirst:
        case KeyCommand::SelectLast:
            if (n == 0)
                return;
            SelectOnly(command == KeyCommand::SelectFirst ? 0 : n - 1);
            ScrollToFocused();
            Repaint();
            return;
        case KeyCommand::Minimise:
            return Call(onMinimise);
        case KeyCommand::About:
            return Call(onAbout);
        case KeyCommand::Tags:
            if (focusValid && onTags)
                onTags(f);
            return;
        case KeyCommand::FocusSearch:
            if (m_search)
                m_search->setFocus();
            return;
        case KeyCommand::FocusUp:
            return MoveFocus(-1);
        case KeyCommand::FocusDown:
            return MoveFocus(1);
        case KeyCommand::Activate:
            if (n > 0)
                Call(onActivate);
            return;
        case KeyCommand::Pause:
            return Call(onPause);
        case KeyCommand::SeekBack:
        case KeyCommand::SeekForward:
            if (!m_player)
                return;
            // While a video plays the keys step the video window's position instead.
            if (m_player->PlayState() == core::kVideoPlaying ||
                m_player->PlayState() == core::kVideoPaused)
                return Call(onVideoSeek, command == KeyCommand::SeekForward);
            m_player->SeekStep(command == KeyCommand::SeekForward);
            return;
        case KeyCommand::RemoveFocused:
        case KeyCommand::ClearPlaylist:
            if (command == KeyCommand::ClearPlaylist)
                m_model.ClearPlaylist();
            else if (focusValid)
                m_model.RemoveEntry(f);
            UpdateScrollerVisibility();
            Repaint();
            return;
        case KeyCommand::InsertFolder:
            return Call(onInsertFolder);
        case KeyCommand::InsertFile:
            return Call(onInsertFile);
    }
}

void PlaylistView::MainControlKeyUp(int key) {
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && m_player)
        m_player->SeekRelease();
}

// --- search -----------------------------------------------------------------------------

bool PlaylistView::Matches(int row, const QString& upperText) const {
    return QString::fromStdString(m_model.At(row).display).toUpper().contains(upperText);
}

int PlaylistView::FirstMatch(const QString& text) const {
    if (text.isEmpty())
        return -1;
    const QString upper = text.toUpper();
    for (int i = 0; i < m_model.Count(); ++i)
        if (Matches(i, upper))
            return i;
    return -1;
}

void PlaylistView::SearchChange(const QString& text) {
    const int hit = FirstMatch(text);
    m_searchHit = hit >= 0;
    if (!m_searchHit)
        return;
    SelectOnly(hit);
    m_searchPosition = hit;
    ScrollToFocused();
    Repaint();
}

bool PlaylistView::SearchKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (m_model.Count() > 0 && onActivate)
            onActivate();
        Repaint();
        if (m_search)
            m_search->clear();
        setFocus();
        return true;
    }
    if ((key == Qt::Key_Escape || key == Qt::Key_F3) && m_search) {
        m_search->clear();
        setFocus();
    }
    m_model.ClearSelection();
    Repaint();
    const QString text = m_search ? m_search->text() : QString();
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int hit = FirstMatch(text);
        m_searchHit = hit >= 0;
        if (m_searchHit) {
            m_model.Select(hit);
            m_searchPosition = hit;
            ScrollToFocused();
        }
        return false;
    }
    if (key != Qt::Key_Down && key != Qt::Key_Up)
        return false;
    const int n = m_model.Count();
    if (!m_searchHit || n == 0 || text.isEmpty())
        return true;
    const QString upper = text.toUpper();
    const int step = key == Qt::Key_Down ? 1 : n - 1;
    const int start = std::clamp(m_searchPosition, 0, n - 1);
    // One full lap at most; the starting entry itself is the last candidate.
    for (int k = 1, i = (start + step) % n; k <= n; ++k, i = (i + step) % n) {
        if (Matches(i, upper)) {
            m_model.Select(i);
            m_searchPosition = i;
            ScrollToFocused();
            break;
        }
    }
    return true;
}

bool PlaylistView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_search && event->type() == QEvent::KeyPress)
        return SearchKeyDown(static_cast<QKeyEvent*>(event)->key());
    return QWidget::eventFilter(watched, event);
}

// --- the scroller widget ----------------------------------------------------------------

PlaylistScroller::PlaylistScroller(PlaylistView& view, QWidget* parent)
    : QWidget(parent), m_view(view) {
    setCursor(Qt::SizeVerCursor);
    resize(10, 294);
}

void PlaylistScroller::paintEvent(QPaintEvent*) {
    // The track and the thumb come from the skin store: iVT1 normal, iVT2 while held.
    QPainter p(this);
    SkinStore& store = SkinStore::Instance();
    const qreal ratio = devicePixelRatioF();
    p.drawPixmap(0, 0, store.Picture(QStringLiteral("scrollTrack"), ratio));
    p.drawPixmap(
        0, m_view.ThumbTop(),
        store.Picture(m_view.ThumbPressed() ? QStringLiteral("iVT2") : QStringLiteral("iVT1"),
                      ratio));
}

void PlaylistScroller::mousePressEvent(QMouseEvent* event) {
    const int y = event->position().toPoint().y();
    const int thumbY = y - m_view.ThumbTop();
    if (thumbY >= 0 && thumbY < PlaylistView::kThumbHeight)
        m_view.Image3MouseDown(thumbY, event->button() == Qt::LeftButton);
    else
        m_view.Image2MouseDown(y);
}

void PlaylistScroller::mouseMoveEvent(QMouseEvent* event) {
    const int y = event->position().toPoint().y();
    if (m_view.ThumbDragging())
        m_view.Image3MouseMove(y - m_view.ThumbTop());
    else if (m_view.TrackDragging())
        m_view.Image2MouseMove(y);
}

void PlaylistScroller::mouseReleaseEvent(QMouseEvent*) {
    if (m_view.ThumbDragging())
        m_view.Image3MouseUp();
    if (m_view.TrackDragging())
        m_view.Image2MouseUp();
}

}  // namespace tv::ui
