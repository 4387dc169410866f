#pragma once

// Everything the video window takes from the skin: the frame pictures, the main window's
// Exit and Minimize pictures for `imgX` and `img_`, and the edge-snapping rule shared with the
// main window. The window draws only what it is given here; Placeholder() gives plain
// pictures and no snapping until the skin supplies its own.

#include <QImage>
#include <QPoint>
#include <QSize>

#include <functional>

namespace tv::video {

struct VideoFrameLook {
    // Title bar, 25 pixels high: left cap, stretched middle, right part (under imgX and
    // img_), right cap.
    QImage Image1, Image3, Image9, Image2;
    // Bottom bar, 5 pixels high: left cap, stretched middle, right cap.
    QImage Image5, Image4, Image6;
    // Side borders, 5 pixels wide, stretched: left and right.
    QImage Image7, Image8;
    // 14 x 14 title-bar buttons, normal and pressed.
    QImage exitNormal, exitPressed, minimizeNormal, minimizePressed;
    // The position a move of a window of `size` to `proposed` ends at (edge snapping).
    std::function<QPoint(QPoint proposed, QSize size)> snap;

    static VideoFrameLook Placeholder();
};

}  // namespace tv::video
