// The playlist area: row colours, scrolling by keys, thumb and wheel, the mouse selection and
// the incremental search, driven by real key and mouse events.

#include "ui/playlistview.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "playlist/playlist.h"

using tv::playlist::kRowHeight;
using tv::playlist::PlaylistModel;
using tv::ui::PlaylistView;

namespace {

constexpr int kPanelHeight = 294;

class PlaylistViewTest : public ::testing::Test {
protected:
    void Fill(int n) {
        for (int i = 0; i < n; ++i)
            model.AppendPath("/music/track" + std::to_string(i) + ".mp3");
        view.UpdateScrollerVisibility();
    }
    // Expected thumb top for the current list top.
    int ExpectedThumb() const {
        const double span = view.ListHeight() - kPanelHeight;
        return static_cast<int>(std::lround(-view.ListTop() * (kPanelHeight - 20) / span));
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(&view, static_cast<Qt::Key>(key), mods);
    }

    PlaylistModel model;
    QWidget frame;
    PlaylistView view{model, &frame, &frame};
    void SetUp() override {
        frame.resize(320, 480);
        view.setGeometry(0, 0, 295, kPanelHeight);
        view.Scroller()->setGeometry(300, 0, 10, kPanelHeight);
    }
};

QColor RowBackground(const QImage& image, int row) {
    return image.pixelColor(250, row * kRowHeight + kRowHeight / 2);
}

}  // namespace

// Rows take the list's colours by state: selected lighter, the current entry darker, the rest
// plain; a selected current entry stays selected-coloured; the duration column follows its row.
TEST_F(PlaylistViewTest, RowsAreColouredByTheirState) {
    Fill(5);
    model.SetCurrent(1);
    model.Select(2);
    model.Select(3);
    model.SetCurrent(3);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(RowBackground(image, 0), QColor(64, 64, 64));
    EXPECT_EQ(RowBackground(image, 1), QColor(64, 64, 64));
    EXPECT_EQ(RowBackground(image, 2), QColor(96, 96, 96));
    EXPECT_EQ(RowBackground(image, 3), QColor(96, 96, 96));
    EXPECT_EQ(image.pixelColor(292, 2 * kRowHeight + 7), QColor(96, 96, 96));
    model.ClearSelection();
    const QImage after = view.grab().toImage();
    EXPECT_EQ(RowBackground(after, 3), QColor(48, 48, 48));
    EXPECT_EQ(RowBackground(after, 2), QColor(64, 64, 64));
}

TEST_F(PlaylistViewTest, ShortListNeverScrollsAndHidesTheScroller) {
    frame.show();
    Fill(10);
    EXPECT_FALSE(view.Scroller()->isVisible());
    for (int k : {0, 9}) {
        model.SetFocused(k);
        view.ScrollToFocused();
        EXPECT_EQ(view.ListTop(), 0);
    }
    Key(Qt::Key_End);
    Key(Qt::Key_Down);
    view.FormMouseWheelDown();
    EXPECT_EQ(view.ListTop(), 0);
    EXPECT_EQ(model.Focused(), 9);
}

TEST_F(PlaylistViewTest, DownFromLastVisibleRowScrollsOneRowAndMovesTheThumb) {
    frame.show();
    Fill(100);
    EXPECT_TRUE(view.Scroller()->isVisible());
    Key(Qt::Key_Home);
    for (int i = 0; i < 20; ++i)
        Key(Qt::Key_Down);  // row 20 is the last whole visible row
    EXPECT_EQ(model.Focused(), 20);
    EXPECT_EQ(view.ListTop(), 0);
    EXPECT_EQ(view.ThumbTop(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(view.ListTop(), -14);
    EXPECT_EQ(view.ThumbTop(), ExpectedThumb());
    EXPECT_GT(view.ThumbTop(), 0);
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{21});
    Key(Qt::Key_Up);  // row 20 is still visible: no scroll
    EXPECT_EQ(view.ListTop(), -14);
    Key(Qt::Key_End);  // the last row is brought into view, no space below it
    EXPECT_EQ(view.ListTop(), kPanelHeight - 100 * kRowHeight);
    EXPECT_EQ(view.ThumbTop(), kPanelHeight - 20);
    Key(Qt::Key_Home);
    EXPECT_EQ(view.ListTop(), 0);
}

// An entry out of view lands just below the middle of the panel; near the end the list stops
// at its last row; an entry already visible with the row above it does not move the list.
TEST_F(PlaylistViewTest, ScrollToPlacesEntryBelowTheMiddle) {
    frame.show();
    Fill(100);
    model.SetCurrent(50);
    view.ScrollToCurrent();
    const int rowTop = 50 * kRowHeight + view.ListTop();
    EXPECT_GE(rowTop, kPanelHeight / 2);
    EXPECT_LT(rowTop, kPanelHeight / 2 + kRowHeight);
    EXPECT_EQ(view.ThumbTop(), ExpectedThumb());
    const int before = view.ListTop();
    model.SetFocused(52);
    view.ScrollToFocused();
    EXPECT_EQ(view.ListTop(), before);
    model.SetFocused(98);
    view.ScrollToFocused();
    EXPECT_EQ(view.ListTop(), kPanelHeight - 100 * kRowHeight);
}

TEST_F(PlaylistViewTest, ThumbAndTrackDragsLeaveWholeRows) {
    frame.show();
    Fill(100);
    QWidget* scroller = view.Scroller();
    QTest::mousePress(scroller, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(view.ThumbPressed());
    for (int y = 6; y < kPanelHeight + 20; y += 7) {
        QTest::mouseMove(scroller, QPoint(5, y));
        EXPECT_EQ(view.ListTop() % kRowHeight, 0) << y;
        EXPECT_LE(view.ListTop(), 0);
        EXPECT_GE(view.ListTop(), kPanelHeight - 100 * kRowHeight);
    }
    EXPECT_EQ(view.ThumbTop(), kPanelHeight - 20);
    QTest::mouseRelease(scroller, Qt::LeftButton, {}, QPoint(5, kPanelHeight));
    EXPECT_FALSE(view.ThumbDragging());
    // A press on the track centres the thumb on the pointer.
    QTest::mousePress(scroller, Qt::LeftButton, {}, QPoint(5, 100));
    EXPECT_EQ(view.ThumbTop(), 90);
    EXPECT_EQ(view.ListTop() % kRowHeight, 0);
    EXPECT_LT(view.ListTop(), 0);
    QTest::mouseRelease(scroller, Qt::LeftButton, {}, QPoint(5, 100));
}

TEST_F(PlaylistViewTest, WheelMovesEightRowsWithinTheList) {
    frame.show();
    Fill(100);
    view.FormMouseWheelDown();
    EXPECT_EQ(view.ListTop(), -112);
    EXPECT_EQ(view.ThumbTop(), ExpectedThumb());
    for (int i = 0; i < 20; ++i)
        view.FormMouseWheelDown();
    EXPECT_EQ(view.ListTop(), kPanelHeight - 100 * kRowHeight);
    for (int i = 0; i < 20; ++i)
        view.FormMouseWheelUp();
    EXPECT_EQ(view.ListTop(), 0);
    EXPECT_EQ(view.ThumbTop(), 0);
}

TEST_F(PlaylistViewTest, ClicksSelectWithCtrlAndShiftAndDoubleClickActivates) {
    frame.show();
    Fill(10);
    int activated = 0;
    view.onActivate = [&] { ++activated; };
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(20, 1 * kRowHeight + 3));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 3 * kRowHeight + 3));
    EXPECT_EQ(model.SelectedRows(), (std::vector<int>{1, 2, 3}));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ControlModifier, QPoint(20, 2 * kRowHeight + 3));
    EXPECT_EQ(model.SelectedRows(), (std::vector<int>{1, 3}));
    // A click on a duration selects that row alone, as in the display column.
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(280, 5 * kRowHeight + 3));
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{5});
    EXPECT_EQ(model.Focused(), 5);
    EXPECT_EQ(frame.focusWidget(), &view);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(20, 6 * kRowHeight + 3));
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(model.Focused(), 6);
}

TEST_F(PlaylistViewTest, DeleteKeysRemoveTheFocusedRowOrEverything) {
    frame.show();
    Fill(3);
    Key(Qt::Key_End);
    Key(Qt::Key_Delete);
    ASSERT_EQ(model.Count(), 2);
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(model.Focused(), 1);
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(model.Count(), 0);
    for (int key : {Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_Down, Qt::Key_Delete})
        Key(key);  // nothing to act on: no crash, nothing selected
    EXPECT_TRUE(model.SelectedRows().empty());
}

TEST_F(PlaylistViewTest, HookKeysCallTheirHooks) {
    Fill(3);
    std::string log;
    view.onPause = [&] { log += "pause "; };
    view.onMinimise = [&] { log += "min "; };
    view.onAbout = [&] { log += "about "; };
    view.onTags = [&](int row) { log += "tags" + std::to_string(row) + " "; };
    view.onInsertFile = [&] { log += "file "; };
    view.onInsertFolder = [&] { log += "folder "; };
    view.onActivate = [&] { log += "play "; };
    model.Select(2);
    for (int key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_F1, Qt::Key_F2, Qt::Key_Insert,
                    Qt::Key_Return, Qt::Key_A})
        view.MainControlKeyDown(key, Qt::NoModifier);
    view.MainControlKeyDown(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(log, "pause min about tags2 folder play file ");
}

class PlaylistSearchTest : public PlaylistViewTest {
protected:
    void SetUp() override {
        PlaylistViewTest::SetUp();
        for (const char* t : {"Alpha", "beta Love", "Gamma", "LOVE song", "delta", "my love"})
            model.AppendEntry(t, "01:00", std::string("/m/") + t + ".mp3");
        box = new QLineEdit(&frame);
        view.AttachSearch(box);
        frame.show();
        box->setFocus();
    }
    QLineEdit* box = nullptr;
};

TEST_F(PlaylistSearchTest, TypingSelectsFirstMatchAndDownUpCycle) {
    QTest::keyClicks(box, "lOvE");
    EXPECT_TRUE(view.SearchHit());
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{1});
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{3});
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{5});
    QTest::keyClick(box, Qt::Key_Down);  // wraps to the first
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{1});
    QTest::keyClick(box, Qt::Key_Up);  // wraps backwards to the last
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{5});
    EXPECT_EQ(box->text(), "lOvE");      // Down and Up never reach the box
    QTest::keyClick(box, Qt::Key_Left);  // back to the first match; the caret still moves
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(box->cursorPosition(), 3);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{3});
    // The number prefix is part of the text searched.
    box->clear();
    QTest::keyClicks(box, "5.");
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{4});
    QTest::keyClicks(box, "x");
    EXPECT_FALSE(view.SearchHit());
    EXPECT_TRUE(model.SelectedRows().empty());
}

TEST_F(PlaylistSearchTest, EscEmptiesTheBoxAndLeavesNothingSelected) {
    QTest::keyClicks(box, "gamma");
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{2});
    QTest::keyClick(box, Qt::Key_Down);  // the only match stays selected after a full lap
    EXPECT_EQ(model.SelectedRows(), std::vector<int>{2});
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(model.SelectedRows().empty());
    EXPECT_EQ(frame.focusWidget(), &view);
    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(frame.focusWidget(), box);
}

TEST_F(PlaylistSearchTest, EnterPlaysTheMatchAndEmptiesTheBox) {
    int played = -1;
    view.onActivate = [&] { played = model.Focused(); };
    QTest::keyClicks(box, "delta");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(played, 4);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_EQ(frame.focusWidget(), &view);
}
