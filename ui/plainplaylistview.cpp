#include "ui/plainplaylistview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace tv::ui {

namespace {
constexpr int kTextWidth = 265;  // the duration column fills the rest
const QColor kBack(64, 64, 64);
const QColor kText(224, 224, 224);
const QColor kCurrent(48, 48, 48);
const QColor kSelected(96, 96, 96);
const QColor kCurrentText(255, 255, 255);
}  // namespace

PlainPlaylistView::PlainPlaylistView(playlist::PlaylistModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    setFont(f);
    setFocusPolicy(Qt::NoFocus);
}

int PlainPlaylistView::MaxTop() const {
    return std::max(0, m_model.Count() * playlist::kRowHeight - height());
}

int PlainPlaylistView::RowAt(int y) const {
    const int row = (y + m_top) / playlist::kRowHeight;
    return row >= 0 && row < m_model.Count() ? row : -1;
}

void PlainPlaylistView::ScrollToRow(int row) {
    if (row < 0 || row >= m_model.Count())
        return;
    const int rowTop = row * playlist::kRowHeight;
    if (rowTop < m_top)
        m_top = rowTop;
    else if (rowTop + playlist::kRowHeight > m_top + height())
        m_top = rowTop + playlist::kRowHeight - height();
    m_top = std::clamp(m_top, 0, MaxTop());
    update();
}

void PlainPlaylistView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBack);
    m_top = std::clamp(m_top, 0, MaxTop());
    const int first = m_top / playlist::kRowHeight;
    for (int i = first; i < m_model.Count(); ++i) {
        const int y = i * playlist::kRowHeight - m_top;
        if (y >= height())
            break;
        // Row colours: selected rows are lighter, the current entry darker with white text.
        const bool current = i == m_model.Current();
        const bool selected = m_model.IsSelected(i);
        const QRect row(0, y, width(), playlist::kRowHeight);
        p.fillRect(row, selected ? kSelected : current ? kCurrent : kBack);
        if (i == m_model.Focused()) {
            p.setPen(kText.darker(150));
            p.drawRect(row.adjusted(0, 0, -1, -1));
        }
        p.setPen(current ? kCurrentText : kText);
        const playlist::Entry& e = m_model.At(i);
        // Each column clips its own text, as two side-by-side lists would.
        p.setClipRect(QRect(0, y, kTextWidth, playlist::kRowHeight));
        p.drawText(QRect(2, y, kTextWidth - 2, playlist::kRowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromStdString(e.display));
        p.setClipRect(QRect(kTextWidth, y, width() - kTextWidth, playlist::kRowHeight));
        p.drawText(QRect(kTextWidth + 2, y, width() - kTextWidth - 2, playlist::kRowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(e.duration));
        p.setClipping(false);
    }
}

void PlainPlaylistView::mousePressEvent(QMouseEvent* event) {
    const int row = RowAt(event->position().toPoint().y());
    if (row < 0)
        return;
    m_model.ClearSelection();
    m_model.Select(row);
    update();
}

void PlainPlaylistView::mouseDoubleClickEvent(QMouseEvent* event) {
    const int row = RowAt(event->position().toPoint().y());
    if (row < 0)
        return;
    m_model.SetFocused(row);
    if (onActivate)
        onActivate(row);
}

void PlainPlaylistView::wheelEvent(QWheelEvent* event) {
    m_top =
        std::clamp(m_top - event->angleDelta().y() / 120 * 3 * playlist::kRowHeight, 0, MaxTop());
    update();
}

}  // namespace tv::ui
