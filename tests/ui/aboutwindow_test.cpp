// The About window: its labels, its keys, the close image and the mail link.

#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QtTest/QTest>

#include "ui/aboutwindow.h"
#include "ui/skin/imagebutton.h"

namespace tv::ui {
namespace {

struct LabelCase {
    int top, height;  // in the window: below the 25-pixel title bar
    const char* text;
    QRgb colour;
    int pixelSize;
};

constexpr QRgb kLight = qRgb(224, 224, 224);

TEST(AboutWindowTest, EveryLabelSitsAtItsRowWithItsTextFontAndColour) {
    const LabelCase rows[] = {
        {25, 64, "TORVANELL", kLight, 48},
        {89, 14, "Author and Designer:", kLight, 11},
        {103, 14, "The Torvanell developers", kLight, 11},
        {131, 14, "Version 0.6 Beta", kLight, 11},
        {145, 14, "20.07.2007", kLight, 11},
        {173, 14, "To take part in testing the program,", qRgb(255, 64, 0), 11},
        {187, 14, "find in the program a mistake", qRgb(255, 96, 0), 11},
        {201, 14, "and inform on it to the author:", qRgb(255, 128, 0), 11},
        {215, 14, TfrmAbout::kMailAddress, qRgb(255, 160, 0), 11},
        {257, 14, "Made with Qt, FFmpeg, libopenmpt, SDL2 and libmpv", kLight, 11},
        {271, 14, "Artwork drawn by the program's own skin generator", kLight, 11},
    };
    TfrmAbout about;
    EXPECT_EQ(about.size(), QSize(480, 300));
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    for (const LabelCase& c : rows) {
        SCOPED_TRACE(c.text);
        const QLabel* label = nullptr;
        for (const QLabel* l : about.Labels())
            if (l->text() == QString::fromUtf8(c.text))
                label = l;
        ASSERT_NE(label, nullptr);
        // Full width inside the 5-pixel borders, centred.
        EXPECT_EQ(QRect(label->mapTo(&about, QPoint(0, 0)), label->size()),
                  QRect(5, c.top, 470, c.height));
        EXPECT_EQ(label->alignment(), Qt::AlignCenter);
        EXPECT_EQ(label->palette().color(QPalette::WindowText).rgb(), c.colour);
        EXPECT_EQ(label->font().pixelSize(), c.pixelSize);
        EXPECT_TRUE(label->font().bold());
        // Every row's text fits its label.
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
    }
    EXPECT_TRUE(about.Label14->font().underline());
    EXPECT_EQ(about.Label14->cursor().shape(), Qt::PointingHandCursor);
    // The rest of the fifteen rows are empty.
    int empty = 0;
    for (const QLabel* l : about.Labels())
        empty += l->text().isEmpty();
    EXPECT_EQ(about.Labels().size(), 15u);
    EXPECT_EQ(empty, 4);
}

TEST(AboutWindowTest, EscClosesOtherKeysDoNothing) {
    const struct {
        Qt::Key key;
        const char* text;
        bool closes;
    } keys[] = {{Qt::Key_A, "a", false},
                {Qt::Key_Return, "\r", false},
                {Qt::Key_F1, "", false},
                {Qt::Key_Space, " ", false},
                {Qt::Key_Escape, "\x1b", true}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.text);
        TfrmAbout about;
        about.ShowCentred();
        QKeyEvent press(QEvent::KeyPress, k.key, Qt::NoModifier, QString::fromLatin1(k.text));
        QCoreApplication::sendEvent(&about, &press);
        EXPECT_EQ(about.isVisible(), !k.closes);
    }
}

void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(4, 4);
    QMouseEvent event(type, at, w->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

TEST(AboutWindowTest, CloseImageUsesTheExitPicturesAndHidesTheWindow) {
    TfrmAbout about;
    about.ShowCentred();
    EXPECT_EQ(about.imgX->toolTip(), "Close");
    EXPECT_EQ(about.imgX->PictureName(), "iX1");
    Mouse(about.imgX, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(about.imgX->PictureName(), "iX1");
    Mouse(about.imgX, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_TRUE(about.isVisible());
    Mouse(about.imgX, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(about.imgX->PictureName(), "iX2");
    Mouse(about.imgX, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(about.imgX->PictureName(), "iX1");
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutWindowTest, MailLinkAsksToOpenTheMailtoUrlWithTheSubject) {
    TfrmAbout about;
    std::vector<QString> opened;
    about.openUrl = [&](const QUrl& url) {
        opened.push_back(url.toString(QUrl::FullyEncoded));
        return true;
    };
    Mouse(about.Label14, QEvent::MouseButtonPress, Qt::RightButton);
    Mouse(about.Label14, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_TRUE(opened.empty());
    Mouse(about.Label14, QEvent::MouseButtonPress, Qt::LeftButton);
    Mouse(about.Label14, QEvent::MouseButtonRelease, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QString("mailto:") + TfrmAbout::kMailAddress +
                             "?subject=Torvanell%200.6%20Beta%20Testing");
}

}  // namespace
}  // namespace tv::ui
