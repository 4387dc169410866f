#include "ui/skin/skinart.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "spectrum/spectrumskin.h"
#include "ui/skin/mainlayout.h"

namespace tv::ui::skin {

namespace {

const QColor kGlyph(228, 228, 228);
const QColor kGlyphDim(150, 150, 150);
const QColor kAmber(255, 168, 48);

enum class Glyph { Back, Play, Pause, Stop, Next, Eq, Eject, Info, Minimise, Close };

QRectF Rect(const layout::Place& p) {
    return QRectF(p.x, p.y, p.w, p.h);
}

// A raised button face filling w x h; pressed, it sinks in: darker face, shadow on top.
void ButtonFace(QPainter& p, int w, int h, bool pressed) {
    const QRectF r(0.5, 0.5, w - 1.0, h - 1.0);
    const qreal radius = h > 20 ? 4.0 : 3.0;
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, pressed ? QColor(42, 42, 42) : QColor(112, 112, 112));
    g.setColorAt(1, pressed ? QColor(64, 64, 64) : QColor(70, 70, 70));
    p.setPen(QPen(QColor(24, 24, 24), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(pressed ? QColor(20, 20, 20, 160) : QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(radius, 1.5), QPointF(w - radius, 1.5));
}

void DrawGlyph(QPainter& p, Glyph glyph, QPointF c, qreal s, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPainterPath path;
    switch (glyph) {
        case Glyph::Play:
            path.moveTo(c.x() - s * 0.45, c.y() - s * 0.55);
            path.lineTo(c.x() + s * 0.6, c.y());
            path.lineTo(c.x() - s * 0.45, c.y() + s * 0.55);
            break;
        case Glyph::Pause:
            path.addRect(c.x() - s * 0.5, c.y() - s * 0.5, s * 0.35, s);
            path.addRect(c.x() + s * 0.15, c.y() - s * 0.5, s * 0.35, s);
            break;
        case Glyph::Stop:
            path.addRect(c.x() - s * 0.45, c.y() - s * 0.45, s * 0.9, s * 0.9);
            break;
        case Glyph::Back:
        case Glyph::Next: {
            const qreal d = glyph == Glyph::Next ? 1 : -1;
            path.moveTo(c.x() - d * s * 0.55, c.y() - s * 0.5);
            path.lineTo(c.x() + d * s * 0.35, c.y());
            path.lineTo(c.x() - d * s * 0.55, c.y() + s * 0.5);
            const qreal barX = glyph == Glyph::Next ? c.x() + s * 0.35 : c.x() - s * 0.5;
            path.addRect(barX, c.y() - s * 0.5, s * 0.15, s);
            break;
        }
        case Glyph::Eject:
            path.moveTo(c.x() - s * 0.5, c.y() + s * 0.1);
            path.lineTo(c.x(), c.y() - s * 0.45);
            path.lineTo(c.x() + s * 0.5, c.y() + s * 0.1);
            path.addRect(c.x() - s * 0.5, c.y() + s * 0.25, s, s * 0.2);
            break;
        case Glyph::Eq:
            for (int i = 0; i < 3; ++i) {
                const qreal x = c.x() - s * 0.5 + i * s * 0.5;
                path.addRect(x - s * 0.05, c.y() - s * 0.5, s * 0.1, s);
                const qreal ky = c.y() + (i == 1 ? -0.25 : 0.2) * s;
                path.addRect(x - s * 0.18, ky - s * 0.1, s * 0.36, s * 0.2);
            }
            break;
        case Glyph::Info:
            path.addEllipse(QPointF(c.x(), c.y() - s * 0.38), s * 0.12, s * 0.12);
            path.addRect(c.x() - s * 0.1, c.y() - s * 0.12, s * 0.2, s * 0.6);
            break;
        case Glyph::Minimise:
            path.addRect(c.x() - s * 0.4, c.y() + s * 0.2, s * 0.8, s * 0.18);
            break;
        case Glyph::Close:
            p.setPen(QPen(colour, s * 0.18, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(c.x() - s * 0.35, c.y() - s * 0.35),
                       QPointF(c.x() + s * 0.35, c.y() + s * 0.35));
            p.drawLine(QPointF(c.x() + s * 0.35, c.y() - s * 0.35),
                       QPointF(c.x() - s * 0.35, c.y() + s * 0.35));
            return;
    }
    p.drawPath(path);
}

SkinArt Button(const QString& name, int w, int h, Glyph glyph, qreal size, bool pressed) {
    return {name, w, h, false, [=](QPainter& p) {
                ButtonFace(p, w, h, pressed);
                const QPointF c(w / 2.0 + (pressed ? 0.5 : 0), h / 2.0 + (pressed ? 0.5 : 0));
                DrawGlyph(p, glyph, c, size, pressed ? kAmber : kGlyph);
            }};
}

// Mode pictures: random off shows two arrows in a row, random on two crossing arrows; replay
// off an arrow to a stop bar, replay all a closed loop, replay one the loop with a "1".
enum class Mode { InOrder, Shuffle, NoRepeat, RepeatAll, RepeatOne };

void DrawMode(QPainter& p, Mode mode, QPointF c, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    auto arrowHead = [&](QPointF tip, qreal dx, qreal dy) {
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(tip.x() - dx * 3 - dy * 2, tip.y() - dy * 3 + dx * 2);
        head.lineTo(tip.x() - dx * 3 + dy * 2, tip.y() - dy * 3 - dx * 2);
        head.closeSubpath();
        p.setBrush(colour);
        p.drawPath(head);
        p.setBrush(Qt::NoBrush);
    };
    switch (mode) {
        case Mode::InOrder:
            p.drawLine(QPointF(c.x() - 6, c.y() - 2.5), QPointF(c.x() + 4, c.y() - 2.5));
            arrowHead(QPointF(c.x() + 6, c.y() - 2.5), 1, 0);
            p.drawLine(QPointF(c.x() - 6, c.y() + 2.5), QPointF(c.x() + 4, c.y() + 2.5));
            arrowHead(QPointF(c.x() + 6, c.y() + 2.5), 1, 0);
            break;
        case Mode::Shuffle:
            p.drawLine(QPointF(c.x() - 6, c.y() - 3), QPointF(c.x() + 4, c.y() + 3));
            arrowHead(QPointF(c.x() + 6, c.y() + 3), 1, 0);
            p.drawLine(QPointF(c.x() - 6, c.y() + 3), QPointF(c.x() + 4, c.y() - 3));
            arrowHead(QPointF(c.x() + 6, c.y() - 3), 1, 0);
            break;
        case Mode::NoRepeat:
            p.drawLine(QPointF(c.x() - 6, c.y()), QPointF(c.x() + 2, c.y()));
            arrowHead(QPointF(c.x() + 4, c.y()), 1, 0);
            p.drawLine(QPointF(c.x() + 5.5, c.y() - 4), QPointF(c.x() + 5.5, c.y() + 4));
            break;
        case Mode::RepeatAll:
        case Mode::RepeatOne:
            p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 3.5, 12, 7), 3, 3);
            arrowHead(QPointF(c.x() + 2, c.y() - 3.5), 1, 0);
            if (mode == Mode::RepeatOne) {
                p.setPen(QPen(colour, 1.2));
                p.drawLine(QPointF(c.x(), c.y() - 1.5), QPointF(c.x(), c.y() + 2));
            }
            break;
    }
}

SkinArt ModeButton(const QString& name, Mode mode, bool on, bool pressed) {
    return {name, 21, 15, false, [=](QPainter& p) {
                ButtonFace(p, 21, 15, pressed);
                const QPointF c(10.5 + (pressed ? 0.5 : 0), 7.5 + (pressed ? 0.5 : 0));
                DrawMode(p, mode, c, on ? kAmber : pressed ? kGlyph : kGlyphDim);
            }};
}

}  // namespace

namespace art {

QColor BodyColourAt(int y) {
    const int v = 72 - (y * 14) / 480;
    return QColor(v, v, v);
}

void Recess(QPainter& p, const QRectF& r, const QColor& fill) {
    p.fillRect(r, fill);
    p.fillRect(QRectF(r.x() - 1, r.y() - 1, r.width() + 2, 1), QColor(30, 30, 30));
    p.fillRect(QRectF(r.x() - 1, r.y(), 1, r.height()), QColor(30, 30, 30));
    p.fillRect(QRectF(r.x() - 1, r.bottom(), r.width() + 2, 1), QColor(100, 100, 100));
    p.fillRect(QRectF(r.right(), r.y(), 1, r.height()), QColor(100, 100, 100));
}

void LcdFill(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(184, 198, 190));
    g.setColorAt(1, QColor(160, 175, 167));
    Recess(p, r, QColor(170, 185, 177));
    p.fillRect(r, g);
    p.fillRect(QRectF(r.x(), r.y(), r.width(), 1), QColor(128, 140, 134));
}

void DrawMainBackground(QPainter& p) {
    const int w = layout::kWindow.w, h = layout::kWindow.h;
    for (int y = 0; y < h; ++y)
        p.fillRect(QRectF(0, y, w, 1), BodyColourAt(y));
    // Title band with the wordmark.
    QLinearGradient title(0, 0, 0, 21);
    title.setColorAt(0, QColor(90, 90, 90));
    title.setColorAt(1, QColor(68, 68, 68));
    p.fillRect(QRectF(0, 0, w, 21), title);
    p.fillRect(QRectF(0, 21, w, 1), QColor(36, 36, 36));
    p.fillRect(QRectF(0, 22, w, 1), QColor(86, 86, 86));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawEllipse(QPointF(12, 10.5), 3.5, 3.5);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(f);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRectF(22, 2, 200, 18), Qt::AlignVCenter | Qt::AlignLeft, "TORVANELL");
    p.setPen(QColor(200, 200, 200));
    p.drawText(QRectF(21, 1, 200, 18), Qt::AlignVCenter | Qt::AlignLeft, "TORVANELL");
    // Recessed displays.
    LcdFill(p, Rect(layout::kLbPosLen).adjusted(-1, -1, 1, 1));
    LcdFill(p, Rect(layout::kBoxPaint).adjusted(-1, -1, 1, 1));
    LcdFill(p, QRectF(layout::kLbBitRate.x, layout::kLbBitRate.y, layout::kLbBitRate.w, 24)
                   .adjusted(-1, -1, 1, 1));
    LcdFill(p, Rect(layout::kLbTitle).adjusted(-1, -1, 1, 1));
    // Wells behind the buttons.
    const QColor well(46, 46, 46);
    Recess(p, QRectF(71, 103, 179, 29), well);
    Recess(p, QRectF(8, 108, 46, 19), well);
    Recess(p, QRectF(266, 108, 46, 19), well);
    // Playlist frame, scroller groove and search field.
    Recess(p, QRectF(4, 144, 312, 296), QColor(40, 40, 40));
    Recess(p, Rect(layout::kSearch).adjusted(-1, -1, 1, 1), QColor(192, 192, 192));
    // Outer edge of the window, lit from the top left.
    p.fillRect(QRectF(0, 0, w, 1), QColor(120, 120, 120));
    p.fillRect(QRectF(0, 0, 1, h), QColor(110, 110, 110));
    p.fillRect(QRectF(0, h - 1, w, 1), QColor(26, 26, 26));
    p.fillRect(QRectF(w - 1, 0, 1, h), QColor(30, 30, 30));
}

void DrawSpectrumBackground(QPainter& p) {
    spectrum::PaintSpectrumBackground(p);  // the display's own drawing
}

void DrawFrame(QPainter& p, int w, int h) {
    p.fillRect(QRectF(0, 0, w, h), QColor(64, 64, 64));
    QLinearGradient title(0, 0, 0, 25);
    title.setColorAt(0, QColor(92, 92, 92));
    title.setColorAt(1, QColor(66, 66, 66));
    p.fillRect(QRectF(0, 0, w, 25), title);
    p.fillRect(QRectF(5, 24, w - 10, 1), QColor(32, 32, 32));
    p.fillRect(QRectF(5, h - 5, w - 10, 1), QColor(90, 90, 90));
    p.fillRect(QRectF(4, 25, 1, h - 30), QColor(32, 32, 32));
    p.fillRect(QRectF(w - 5, 25, 1, h - 30), QColor(90, 90, 90));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawEllipse(QPointF(13, 12.5), 3.5, 3.5);
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRectF(24, 9 + i * 3, w - 60, 1), QColor(50, 50, 50));
    p.fillRect(QRectF(0, 0, w, 1), QColor(120, 120, 120));
    p.fillRect(QRectF(0, 0, 1, h), QColor(110, 110, 110));
    p.fillRect(QRectF(0, h - 1, w, 1), QColor(26, 26, 26));
    p.fillRect(QRectF(w - 1, 0, 1, h), QColor(30, 30, 30));
}

}  // namespace art

namespace {

// The four pieces of a w x h frame, named prefix + Title, Bottom, Left, Right.
void AddFramePieces(std::vector<SkinArt>& out, const QString& prefix, int w, int h) {
    auto piece = [&](const QString& suffix, int x, int y, int pw, int ph) {
        out.push_back({prefix + suffix, pw, ph, true, [=](QPainter& p) {
                           p.translate(-x, -y);
                           art::DrawFrame(p, w, h);
                       }});
    };
    piece("Title", 0, 0, w, 25);
    piece("Bottom", 0, h - 5, w, 5);
    piece("Left", 0, 25, 5, h - 30);
    piece("Right", w - 5, 25, 5, h - 30);
}

}  // namespace

std::vector<SkinArt> AllSkinArt() {
    std::vector<SkinArt> out;
    out.push_back({"mainBackground", 320, 480, true, art::DrawMainBackground});
    out.push_back({"spectrumBackground", 100, 24, true, art::DrawSpectrumBackground});
    const struct {
        const char* name;
        Glyph glyph;
        int w, h;
        qreal size;
    } buttons[] = {
        {"iBack", Glyph::Back, 35, 25, 10},   {"iPlay", Glyph::Play, 35, 25, 11},
        {"iPause", Glyph::Pause, 35, 25, 10}, {"iStop", Glyph::Stop, 35, 25, 10},
        {"iNext", Glyph::Next, 35, 25, 10},   {"iEq", Glyph::Eq, 21, 15, 8},
        {"iEject", Glyph::Eject, 21, 15, 8},  {"iI", Glyph::Info, 14, 14, 9},
        {"i_", Glyph::Minimise, 14, 14, 9},   {"iX", Glyph::Close, 14, 14, 8},
    };
    for (const auto& b : buttons) {
        out.push_back(Button(QString(b.name) + "1", b.w, b.h, b.glyph, b.size, false));
        out.push_back(Button(QString(b.name) + "2", b.w, b.h, b.glyph, b.size, true));
    }
    out.push_back(ModeButton("iRnd1", Mode::InOrder, false, false));
    out.push_back(ModeButton("iRnd2", Mode::InOrder, false, true));
    out.push_back(ModeButton("iRnd3", Mode::Shuffle, true, false));
    out.push_back(ModeButton("iRnd4", Mode::Shuffle, true, true));
    out.push_back(ModeButton("iRpl1", Mode::NoRepeat, false, false));
    out.push_back(ModeButton("iRpl2", Mode::NoRepeat, false, true));
    out.push_back(ModeButton("iRpl3", Mode::RepeatAll, true, false));
    out.push_back(ModeButton("iRpl4", Mode::RepeatAll, true, true));
    out.push_back(ModeButton("iRpl5", Mode::RepeatOne, true, false));
    out.push_back(ModeButton("iRpl6", Mode::RepeatOne, true, true));
    // Seek slider: track, fill, knob and marker.
    out.push_back({"seekTrack", 300, 9, false,
                   [](QPainter& p) { art::Recess(p, QRectF(1, 2, 298, 5), QColor(34, 34, 34)); }});
    out.push_back({"seekFill", 300, 5, false, [](QPainter& p) {
                       QLinearGradient g(0, 0, 0, 5);
                       g.setColorAt(0, QColor(255, 196, 96));
                       g.setColorAt(1, QColor(200, 110, 0));
                       p.fillRect(QRectF(1, 0, 298, 5), g);
                   }});
    out.push_back({"seekKnob", 20, 9, false, [](QPainter& p) {
                       p.setRenderHint(QPainter::Antialiasing);
                       QLinearGradient g(0, 0, 0, 9);
                       g.setColorAt(0, QColor(220, 220, 220));
                       g.setColorAt(1, QColor(120, 120, 120));
                       p.setPen(QPen(QColor(24, 24, 24), 1));
                       p.setBrush(g);
                       p.drawRoundedRect(QRectF(0.5, 0.5, 19, 8), 3, 3);
                       for (int i = -1; i <= 1; ++i)
                           p.fillRect(QRectF(9.5 + i * 3, 2.5, 1, 4), QColor(80, 80, 80));
                   }});
    out.push_back({"seekMarker", 20, 9, false, [](QPainter& p) {
                       p.setRenderHint(QPainter::Antialiasing);
                       p.setPen(QPen(kAmber, 1));
                       p.setBrush(Qt::NoBrush);
                       p.drawRoundedRect(QRectF(0.5, 0.5, 19, 8), 3, 3);
                   }});
    // Playlist scroller: track and thumb (normal iVT1, pressed iVT2).
    out.push_back({"scrollTrack", 10, 294, false, [](QPainter& p) {
                       p.fillRect(QRectF(0, 0, 10, 294), QColor(40, 40, 40));
                       p.fillRect(QRectF(4, 2, 2, 290), QColor(26, 26, 26));
                   }});
    for (int pressed = 0; pressed < 2; ++pressed) {
        out.push_back({pressed ? "iVT2" : "iVT1", 10, 20, false, [pressed](QPainter& p) {
                           p.setRenderHint(QPainter::Antialiasing);
                           QLinearGradient g(0, 0, 10, 0);
                           g.setColorAt(0, pressed ? QColor(70, 70, 70) : QColor(150, 150, 150));
                           g.setColorAt(1, pressed ? QColor(50, 50, 50) : QColor(92, 92, 92));
                           p.setPen(QPen(QColor(24, 24, 24), 1));
                           p.setBrush(g);
                           p.drawRoundedRect(QRectF(0.5, 0.5, 9, 19), 3, 3);
                           for (int i = -1; i <= 1; ++i)
                               p.fillRect(QRectF(2.5, 9.5 + i * 3, 5, 1),
                                          pressed ? kAmber : QColor(60, 60, 60));
                       }});
    }
    AddFramePieces(out, "about", 480, 300);
    AddFramePieces(out, "video", 610, 368);
    return out;
}

QImage RenderSkinArt(const SkinArt& art, int scale) {
    QImage image(art.width * scale, art.height * scale,
                 art.jpeg ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(art.jpeg ? QColor(64, 64, 64) : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    art.draw(p);
    return image;
}

}  // namespace tv::ui::skin
