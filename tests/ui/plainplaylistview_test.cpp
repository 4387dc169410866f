#include "ui/plainplaylistview.h"

#include <gtest/gtest.h>
#include <QImage>

#include "playlist/playlist.h"

using tv::playlist::kRowHeight;
using tv::playlist::PlaylistModel;

namespace {

// The background colour of row `row`, taken right of its text.
QColor RowBackground(const QImage& image, int row) {
    return image.pixelColor(250, row * kRowHeight + kRowHeight / 2);
}

}  // namespace

// Rows take the list's colours by state: selected lighter, the current entry darker, the rest
// plain; a selected current entry stays selected-coloured.
TEST(PlainPlaylistView, RowsAreColouredByTheirState) {
    PlaylistModel model;
    for (int i = 0; i < 5; ++i) model.AppendPath("/music/track" + std::to_string(i) + ".mp3");
    model.SetCurrent(1);
    model.Select(2);
    model.Select(3);
    model.SetCurrent(3);
    model.SetFocused(-1);

    tv::ui::PlainPlaylistView view(model, nullptr);
    view.resize(295, 5 * kRowHeight);
    const QImage image = view.grab().toImage();

    EXPECT_EQ(RowBackground(image, 0), QColor(64, 64, 64));
    EXPECT_EQ(RowBackground(image, 1), QColor(64, 64, 64));  // no longer current
    EXPECT_EQ(RowBackground(image, 2), QColor(96, 96, 96));
    EXPECT_EQ(RowBackground(image, 3), QColor(96, 96, 96));  // selected wins over current
    model.ClearSelection();
    const QImage after = view.grab().toImage();
    EXPECT_EQ(RowBackground(after, 3), QColor(48, 48, 48));
    EXPECT_EQ(RowBackground(after, 2), QColor(64, 64, 64));
}
