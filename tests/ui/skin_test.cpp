// The skinned frame's parts: edge snapping, image buttons and the skin store.

#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QtTest/QTest>
#include <cctype>
#include <string>
#include <vector>

#include "tests/fakes/casename.h"
#include "ui/skin/imagebutton.h"
#include "ui/skin/skinstore.h"
#include "ui/skin/snap.h"
#include "ui/skin/windowdrag.h"

namespace tv::ui {
namespace {

struct SnapCase {
    const char* what;
    int x, y, w, h;
    WorkArea area;
    int expectX, expectY;
};

class SnapTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnapTest, SnapsWithinTenPixelsInclusive) {
    const SnapCase& c = GetParam();
    const SnapPoint p = SnapToWorkArea(c.x, c.y, c.w, c.h, c.area);
    EXPECT_EQ(p.x, c.expectX) << c.what;
    EXPECT_EQ(p.y, c.expectY) << c.what;
}

constexpr WorkArea kScreen{0, 0, 1280, 1024};
constexpr WorkArea kPanelBelow{0, 0, 1280, 994};  // a 30-pixel panel at the bottom
constexpr WorkArea kPanelLeft{48, 0, 1280, 1024};

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapTest,
    ::testing::Values(SnapCase{"left 10 px away snaps", 10, 300, 320, 480, kScreen, 0, 300},
                      SnapCase{"left 11 px away stays", 11, 300, 320, 480, kScreen, 11, 300},
                      SnapCase{"top -10 snaps", 500, -10, 320, 480, kScreen, 500, 0},
                      SnapCase{"right edge 10 px away", 950, 300, 320, 480, kScreen, 960, 300},
                      SnapCase{"right edge 11 px away", 949, 300, 320, 480, kScreen, 949, 300},
                      SnapCase{"bottom above a panel", 500, 520, 320, 480, kPanelBelow, 500, 514},
                      SnapCase{"bottom under a panel", 500, 540, 320, 480, kPanelBelow, 500, 540},
                      SnapCase{"panel on the left", 55, 300, 320, 480, kPanelLeft, 48, 300},
                      SnapCase{"both tests of an axis: right and bottom win", 5, 5, 1275, 1019,
                               kScreen, 5, 5},
                      SnapCase{"both tests, left edge nearer", 2, 3, 1270, 1016, kScreen, 10, 8}),
    tv::cases::NameFrom(&SnapCase::what));

void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(5, 5);
    QMouseEvent event(type, at, w->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

TEST(ImageButtonTest, LeftPressShowsPressedAnyReleaseShowsNormal) {
    ImageButton b("iPlay1", "iPlay2", "Play", nullptr);
    b.resize(35, 25);
    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    EXPECT_EQ(b.toolTip(), "Play");
    Mouse(&b, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(b.PictureName(), "iPlay1");
    Mouse(&b, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(b.PictureName(), "iPlay1");
    EXPECT_EQ(clicks, 0);
    Mouse(&b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(b.PictureName(), "iPlay2");
    Mouse(&b, QEvent::MouseButtonRelease, Qt::RightButton);  // any release restores
    EXPECT_EQ(b.PictureName(), "iPlay1");
    Mouse(&b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(ImageButtonTest, ModeButtonReleaseShowsTheNewModesPicture) {
    ImageButton b("iRnd1", "iRnd2", "Not Random", nullptr);
    b.resize(21, 15);
    b.onClick = [&] { b.SetPictures("iRnd3", "iRnd4"); };
    Mouse(&b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(b.PictureName(), "iRnd2");
    Mouse(&b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(b.PictureName(), "iRnd3");
}

// Every picture the buttons name is in the store, at both scales.
TEST(SkinStoreTest, HoldsEveryButtonPictureAtOneAndTwoTimes) {
    QStringList names{"mainBackground", "spectrumBackground", "seekTrack",   "seekFill",
                      "seekKnob",       "seekMarker",         "iVT1",        "iVT2",
                      "scrollTrack",    "videoTitle",         "videoBottom", "videoLeft",
                      "videoRight",     "aboutTitle"};
    for (const char* b :
         {"iBack", "iPlay", "iPause", "iStop", "iNext", "iEq", "iEject", "iI", "i_", "iX"})
        names << QString(b) + "1" << QString(b) + "2";
    for (int i = 1; i <= 4; ++i)
        names << QString("iRnd%1").arg(i);
    for (int i = 1; i <= 6; ++i)
        names << QString("iRpl%1").arg(i);
    for (const QString& name : names) {
        const QPixmap one = SkinStore::Instance().Picture(name, 1.0);
        const QPixmap two = SkinStore::Instance().Picture(name, 2.0);
        ASSERT_FALSE(one.isNull()) << name.toStdString();
        ASSERT_FALSE(two.isNull()) << name.toStdString();
        EXPECT_EQ(two.size(), one.size() * 2) << name.toStdString();
        EXPECT_EQ(two.deviceIndependentSize().toSize(), one.size()) << name.toStdString();
    }
    EXPECT_EQ(SkinStore::Instance().Picture("mainBackground").size(), QSize(320, 480));
    EXPECT_EQ(SkinStore::Instance().Picture("videoTitle").size(), QSize(610, 25));
    EXPECT_TRUE(SkinStore::Instance().Picture("noSuchPicture").isNull());
}

// A left press that travels kDragStartDistance (Manhattan) starts the drag once, then follows;
// nothing else ever starts one. Each event: 'L'/'R'/'M' press, 'm' move, 'u' release, at x, y.
struct GestureEvent {
    char kind;
    int x, y;
};
struct GestureCase {
    const char* what;
    std::vector<GestureEvent> events;
    std::string expect;  // per event: '.' nothing, 'S' start, 'F' follow
};

class DragGestureTest : public ::testing::TestWithParam<GestureCase> {};

TEST_P(DragGestureTest, StartsOnlyOnALeftDrag) {
    const GestureCase& c = GetParam();
    DragGesture gesture;
    std::string got;
    for (const GestureEvent& e : c.events) {
        const QPoint at(e.x, e.y);
        DragGesture::Step step = DragGesture::Step::Nothing;
        if (e.kind == 'm')
            step = gesture.Move(at);
        else if (e.kind == 'u')
            gesture.Release();
        else
            gesture.Press(e.kind == 'L', at);
        got += step == DragGesture::Step::Start    ? 'S'
               : step == DragGesture::Step::Follow ? 'F'
                                                   : '.';
    }
    EXPECT_EQ(got, c.expect) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DragGestureTest,
    ::testing::Values(
        GestureCase{"a plain left click", {{'L', 10, 10}, {'u', 10, 10}}, ".."},
        GestureCase{"a left click with a 3 pixel tremor",
                    {{'L', 10, 10}, {'m', 12, 11}, {'m', 11, 12}, {'u', 11, 12}},
                    "...."},
        GestureCase{"a left drag starts at 4 pixels, then follows",
                    {{'L', 10, 10}, {'m', 12, 11}, {'m', 12, 12}, {'m', 30, 12}, {'u', 30, 12}},
                    "..SF."},
        GestureCase{"a diagonal of 2 and 2 pixels is 4", {{'L', 10, 10}, {'m', 8, 8}}, ".S"},
        GestureCase{"a right press never drags", {{'R', 10, 10}, {'m', 60, 60}}, ".."},
        GestureCase{"a middle press never drags", {{'M', 10, 10}, {'m', 60, 60}}, ".."},
        GestureCase{"moves after the release do nothing",
                    {{'L', 10, 10}, {'u', 10, 10}, {'m', 60, 60}},
                    "..."},
        GestureCase{"a right press during a drag ends it",
                    {{'L', 10, 10}, {'m', 20, 10}, {'R', 20, 10}, {'m', 60, 10}},
                    ".S.."},
        GestureCase{"the distance counts from the press, not from the last move",
                    {{'L', 10, 10}, {'m', 12, 10}, {'m', 14, 10}},
                    "..S"},
        GestureCase{"a second drag starts afresh",
                    {{'L', 10, 10},
                     {'m', 20, 10},
                     {'u', 20, 10},
                     {'L', 50, 50},
                     {'m', 51, 50},
                     {'m', 46, 50}},
                    ".S...S"}),
    [](const ::testing::TestParamInfo<GestureCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

}  // namespace
}  // namespace tv::ui
