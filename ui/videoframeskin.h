#pragma once

// The video window's look taken from the skin: its frame pieces (videoTitle, videoBottom,
// videoLeft, videoRight) cut into the caps and stretched middles the window draws, the main
// window's Exit and Minimize pictures for its title-bar buttons, and the edge snapping of the
// skinned frame against the work area of the screen the window is on.
//
// Threads: user-interface thread only.

#include "video/videoframelook.h"

namespace tv::ui {

// `devicePixelRatio` above 1 takes the skin's 2x pictures.
video::VideoFrameLook SkinnedVideoFrameLook(qreal devicePixelRatio = 1.0);

}  // namespace tv::ui
