#pragma once

// A plain view of the playlist rows: the display texts in one column and the durations in a
// narrow one beside it, 14 pixels a row, the current entry highlighted and the focused entry
// outlined. The wheel scrolls, a click focuses a row, a double click asks to play it. The
// skinned view with its scroller and search replaces it later.

#include <QWidget>
#include <functional>

#include "playlist/playlist.h"

namespace tv::ui {

class PlainPlaylistView : public QWidget {
public:
    PlainPlaylistView(playlist::PlaylistModel& model, QWidget* parent);

    // Called with the row the user double-clicked (already focused).
    std::function<void(int row)> onActivate;

    void ScrollToRow(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int RowAt(int y) const;
    int MaxTop() const;

    playlist::PlaylistModel& m_model;
    int m_top = 0;  // first visible pixel row of the list
};

}  // namespace tv::ui
