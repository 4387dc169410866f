#pragma once

// Edge snapping of a skinned window (the main window and the video window): a pure function
// of the proposed place and the desktop work area (the screen minus panels).

namespace tv::ui {

struct WorkArea {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive: left + width
    int bottom = 0;  // exclusive: top + height
};

struct SnapPoint {
    int x = 0;
    int y = 0;
};

inline constexpr int kSnapDistance = 10;

// The place a w x h window proposed at (x, y) takes: within kSnapDistance pixels (inclusive)
// of the work area's left or top edge it moves onto it; then within kSnapDistance of the right
// or bottom edge (the window's own edge touching the work area's) it moves onto that one, so
// when both tests of an axis succeed the right or bottom edge wins.
constexpr SnapPoint SnapToWorkArea(int x, int y, int w, int h, const WorkArea& area) {
    const int right = area.right - w;
    const int bottom = area.bottom - h;
    auto near = [](int a, int b) { return (a > b ? a - b : b - a) <= kSnapDistance; };
    if (near(area.left, x))
        x = area.left;
    if (near(right, x))
        x = right;
    if (near(area.top, y))
        y = area.top;
    if (near(bottom, y))
        y = bottom;
    return {x, y};
}

}  // namespace tv::ui
