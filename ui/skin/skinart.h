#pragma once

// The artwork of the skin, drawn with QPainter: one function per picture, in logical pixels,
// so the same code draws the 1x and the 2x picture. Only the skin generator calls these; the
// program itself loads their output from its resources (SkinStore).
//
// The look: a dark body around RGB(64, 64, 64) lit from the top left, raised buttons with
// light glyphs that sink in and turn amber when pressed, and light, recessed displays on which
// the RGB(64, 64, 64) texts and spectrum bars read.

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

class QPainter;

namespace tv::ui::skin {

// One picture of the skin: its store name, logical size, file kind and painter.
struct SkinArt {
    QString name;
    int width = 0;
    int height = 0;
    bool jpeg = false;  // frames and backgrounds: JPEG; pictures with transparency: PNG
    std::function<void(QPainter&)> draw;
};

// Every picture of the skin.
std::vector<SkinArt> AllSkinArt();

// Renders `art` at `scale` (1 or 2) into an image of scale times its logical size.
QImage RenderSkinArt(const SkinArt& art, int scale);

// Pieces shared between the art files.
namespace art {
QColor BodyColourAt(int y);  // the main background's colour at row y
void Recess(QPainter& p, const QRectF& r, const QColor& fill);
void LcdFill(QPainter& p, const QRectF& r);
void DrawMainBackground(QPainter& p);
void DrawSpectrumBackground(QPainter& p);
// A skinned frame of w x h: the 25-pixel title bar, 5-pixel side borders and bottom bar.
void DrawFrame(QPainter& p, int w, int h);
}  // namespace art

}  // namespace tv::ui::skin
