#pragma once

// The playlist area of the main window: the clipping panel (Panel4) in which the display texts
// (PlayList, 265 pixels wide) and the durations (TrackTime, 30 pixels) are painted side by side
// at the list top T, the thin scroller (Panel1) with its thumb, the playlist keys of the hidden
// control that holds the keyboard focus (this widget plays that role) and the incremental
// search of the "Search:" box.
//
// Only the rows that lie inside the panel are painted, so a repaint costs the same with a
// hundred entries as with a hundred thousand. Both columns share the model's selection, so the
// two lists always mirror each other.
//
// Threads: user-interface thread only.

#include <QWidget>
#include <functional>

#include "core/player.h"
#include "playlist/playlist.h"

class QLineEdit;

namespace tv::ui {

class PlaylistScroller;

class PlaylistView : public QWidget {
public:
    static constexpr int kTextWidth = 265;   // PlayList column
    static constexpr int kTimeWidth = 30;    // TrackTime column
    static constexpr int kThumbHeight = 20;  // Image3
    static constexpr int kWheelStep = 8 * playlist::kRowHeight;
    static constexpr int kSeekStepMs = core::kSeekStepMs;

    // What a playlist key does. The keys are bound to these in one table (KeyCommandFor).
    enum class KeyCommand {
        None,
        SelectFirst,    // Home
        SelectLast,     // End
        Minimise,       // Esc
        About,          // F1
        Tags,           // F2
        FocusSearch,    // F3
        FocusUp,        // Up
        FocusDown,      // Down
        Activate,       // Enter
        Pause,          // Space
        SeekBack,       // Left (held: the player's seek fade)
        SeekForward,    // Right
        RemoveFocused,  // Delete
        ClearPlaylist,  // Shift+Delete
        InsertFolder,   // Insert
        InsertFile,     // Shift+Insert
    };
    static KeyCommand KeyCommandFor(int key, Qt::KeyboardModifiers modifiers);

    // `parent` is the frame (MainPanel); `scrollerParent` receives the scroller, which the
    // caller places (Panel1). Both may be null in tests; the scroller is then a top-level
    // widget that is never shown.
    PlaylistView(playlist::PlaylistModel& model, QWidget* parent, QWidget* scrollerParent);

    // Left/Right run the held seek of `player` (its fade included). Without a player those
    // keys do nothing.
    void AttachPlayer(core::Player* player);
    // Makes `box` the search box: its text changes run SearchChange and its keys SearchKeyDown.
    void AttachSearch(QLineEdit* box);

    // Hooks of the window around the view; unset hooks do nothing.
    std::function<void()> onActivate;       // play the focused entry (Enter, double click)
    std::function<void()> onPause;          // Space
    std::function<void(bool)> onVideoSeek;  // Left (false) / Right (true) while a video plays
    std::function<void()> onMinimise;       // Esc
    std::function<void()> onAbout;          // F1
    std::function<void(int row)> onTags;    // F2 with the focused row
    std::function<void()> onInsertFile;     // Shift+Insert
    std::function<void()> onInsertFolder;   // Insert

    PlaylistScroller* Scroller() const { return m_scroller; }
    int ListTop() const { return m_top; }  // T, never positive
    int ThumbTop() const { return m_thumbTop; }
    int ListHeight() const { return m_model.Count() * playlist::kRowHeight; }  // L
    int TrackHeight() const;
    bool SearchHit() const { return m_searchHit; }
    int SearchPosition() const { return m_searchPosition; }
    bool SeekFading() const;

    // Shows the scroller while the list is taller than the panel, hides it otherwise, and
    // keeps T and the thumb inside their ranges after the list changed.
    void UpdateScrollerVisibility();
    // Bring the focused or the current entry into view, just below the middle of the panel,
    // unless it and the row above it are already visible.
    void ScrollToFocused();
    void ScrollToCurrent();
    // Sets T (clamped to H - L ... 0) and places the thumb from it.
    void SetListTop(int top);

    // The playlist keys; `key` is a Qt::Key. Auto-repeated presses count as presses.
    void MainControlKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void MainControlKeyUp(int key);
    // The search box: a text change selects the first entry containing the text in any
    // letter case; returns true when the box must not see the key.
    void SearchChange(const QString& text);
    bool SearchKeyDown(int key);

    // The scroller's thumb (Image3) and track (Image2) mouse handlers; y is within the thumb
    // for the thumb handlers and within the track for the track handlers.
    void Image3MouseDown(int y, bool leftButton);
    void Image3MouseMove(int y);
    void Image3MouseUp();
    void Image2MouseDown(int y);
    void Image2MouseMove(int y);
    void Image2MouseUp();
    bool ThumbDragging() const { return m_thumbDrag; }
    bool ThumbPressed() const { return m_thumbPressed; }
    bool TrackDragging() const { return m_trackDrag; }

    // The main window's wheel notches over the playlist area: 8 rows each.
    void FormMouseWheelUp();
    void FormMouseWheelDown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ScrollTo(int k);
    void PlaceThumb();
    void SetTopFromThumb();
    void ClampThumb();
    void SelectOnly(int row);
    void RunKeyCommand(KeyCommand command);
    void MoveFocus(int step);
    bool Matches(int row, const QString& upperText) const;
    int FirstMatch(const QString& text) const;
    void Repaint();

    playlist::PlaylistModel& m_model;
    PlaylistScroller* m_scroller = nullptr;
    QLineEdit* m_search = nullptr;
    core::Player* m_player = nullptr;
    int m_top = 0;       // T
    int m_thumbTop = 0;  // Image3 top inside the track
    int m_grabY = 0;
    int m_anchor = -1;  // the row a Shift click extends from
    bool m_thumbDrag = false;
    bool m_thumbPressed = false;
    bool m_trackDrag = false;
    bool m_searchHit = false;
    int m_searchPosition = -1;
};

// Panel1 with the track (Image2) and the thumb (Image3): paints them and hands its mouse
// events to the view.
class PlaylistScroller : public QWidget {
public:
    PlaylistScroller(PlaylistView& view, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PlaylistView& m_view;
};

}  // namespace tv::ui
