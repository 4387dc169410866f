#pragma once

// The main window's layout table: the place and size of every control of the 320 x 480 skin,
// with the fonts and colours of its texts. The window builds its controls from it and the skin
// generator draws the recessed displays and wells of the background around the same places,
// so moving a control here moves its frame in the artwork too. Plain values, no Qt.

namespace tv::ui::layout {

struct Place {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    constexpr int Right() const { return x + w; }
    constexpr int Bottom() const { return y + h; }
};

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

struct TextStyle {
    int pixelSize = 11;
    bool bold = false;
    Rgb colour;
};

inline constexpr const char* kFontFamily = "Arial";  // Liberation Sans through fontconfig

inline constexpr Place kWindow{0, 0, 320, 480};
inline constexpr Rgb kWindowColour{64, 64, 64};

// Title buttons: "Information", "Minimize", "Exit".
inline constexpr Place kImgi{275, 3, 14, 14};
inline constexpr Place kImg_{289, 3, 14, 14};
inline constexpr Place kImgX{303, 3, 14, 14};

// Displays.
inline constexpr Place kLbPosLen{10, 30, 95, 24};
inline constexpr Place kBoxPaint{111, 30, 100, 24};
inline constexpr Place kLbBitRate{215, 30, 95, 12};
inline constexpr Place kLbChannelMode{215, 40, 95, 12};
inline constexpr Place kLbTitle{10, 59, 300, 24};
inline constexpr TextStyle kLargeDisplayText{16, true, {64, 64, 64}};   // lbPosLen, lbTitle
inline constexpr TextStyle kSmallDisplayText{11, false, {64, 64, 64}};  // the bit-rate labels

// Seek slider: track Image4, progress fill imgTrack (grows to the track's width), knob Image10
// and position marker Image5 (both knob-sized, on the track).
inline constexpr Place kImage4{10, 93, 300, 9};
inline constexpr Place kImgTrack{10, 95, 300, 5};
inline constexpr int kKnobWidth = 20;
inline constexpr int kKnobHeight = 9;
inline constexpr int kKnobTravel = kImage4.w - kKnobWidth;  // 280

// Hidden volume slider Panel6 (the wheel's rectangle) and its knob Image7.
inline constexpr Place kPanel6{188, 54, 120, 8};
inline constexpr int kVolumeKnobWidth = 20;

// Buttons.
inline constexpr Place kBtnrnd{10, 110, 21, 15};
inline constexpr Place kBtnrpl{31, 110, 21, 15};
inline constexpr Place kBBack{73, 105, 35, 25};
inline constexpr Place kBPlay{108, 105, 35, 25};
inline constexpr Place kBPause{143, 105, 35, 25};
inline constexpr Place kBStop{178, 105, 35, 25};
inline constexpr Place kBNext{213, 105, 35, 25};
inline constexpr Place kBEject{268, 110, 21, 15};
inline constexpr Place kBEQ{289, 110, 21, 15};

// Playlist area: the frame MainPanel, the scroller Panel1, the search caption and box.
inline constexpr Place kMainPanel{5, 145, 296, 294};
inline constexpr Rgb kMainPanelColour{0, 32, 64};
inline constexpr Place kPanel1{305, 145, 10, 294};
inline constexpr Place kLabel1{10, 455, 48, 13};
inline constexpr Place kSearch{60, 455, 200, 13};
inline constexpr TextStyle kSearchCaption{11, false, {200, 200, 200}};
inline constexpr Rgb kSearchBackground{192, 192, 192};  // silver

}  // namespace tv::ui::layout
