// The display widget: its box, its timer following the controller, the left-click cycle,
// the pop-up menu built from the tick model, and the painted frame.

#include <gtest/gtest.h>

#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "spectrum/spectrumskin.h"
#include "spectrum/widget/spectrumview.h"
#include "spectrumfake.h"
#include "spectrumtesting.h"

namespace tv::spectrum {
namespace {

using Item = SpectrumMenuItem;

class SpectrumViewTest : public ::testing::Test {
protected:
    SpectrumViewTest()
        : view(
              lib, [this] { return playState; }, [] { return audio::Handle{4}; }) {
        lib.liveChannels.insert(4);
    }
    QStringList Texts(const QMenu* menu) const {
        QStringList out;
        for (const QAction* a : menu->actions())
            out << (a->isSeparator() ? "-" : a->text());
        return out;
    }

    ::tv::testing::FakeAudioLibrary lib;
    int playState = 0;
    SpectrumView view;
};

TEST(SpectrumSkin, BackgroundPicture_Is100x24) {
    const QImage picture = LoadSpectrumBackground();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(100, 24));
}

// Relative luminance of an sRGB colour and the contrast ratio of two of them.
double Luminance(QColor c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(QColor a, QColor b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(SpectrumSkin, BarColourReadsOnEveryPixelOfTheBackground) {
    const QImage picture = LoadSpectrumBackground();
    ::tv::testing::FakeAudioLibrary lib;
    SpectrumView view(
        lib, [] { return 0; }, [] { return audio::Handle{}; });
    // Bars and peaks share one colour on the main window.
    const QColor bar = view.Controller().Painter().BarColor;
    ASSERT_EQ(view.Controller().Painter().PeakColor, bar);
    double worst = 100.0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            worst = std::min(worst, Contrast(picture.pixelColor(x, y), bar));
    // The contrast asked of graphics that carry meaning.
    EXPECT_GE(worst, 3.0);
}

TEST_F(SpectrumViewTest, Box_IsFixed100x24WithTimerAt50ms) {
    EXPECT_EQ(view.size(), QSize(100, 24));
    EXPECT_EQ(view.minimumSize(), view.maximumSize());
    EXPECT_TRUE(view.tmrFFT().isActive());
    EXPECT_EQ(view.tmrFFT().interval(), 50);
}

TEST_F(SpectrumViewTest, Timer_FollowsControllerSpeedAndSwitch) {
    view.MenuAction(Item::Ultra1)->trigger();
    EXPECT_EQ(view.tmrFFT().interval(), 10);
    view.Controller().SetTimerEnabled(false);
    EXPECT_FALSE(view.tmrFFT().isActive());
    view.Controller().SetTimerEnabled(true);
    EXPECT_TRUE(view.tmrFFT().isActive());
    view.Controller().ApplySpectrumSpeed(0);
    EXPECT_FALSE(view.tmrFFT().isActive());
    view.Controller().ApplySpectrumSpeed(20);
    EXPECT_TRUE(view.tmrFFT().isActive());
    EXPECT_EQ(view.tmrFFT().interval(), 20);
}

TEST_F(SpectrumViewTest, LeftClickCyclesMode_OtherButtonsDoNot) {
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(50, 12));
    EXPECT_EQ(view.Controller().SpectrumMode(), kModeNone);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    EXPECT_EQ(view.Controller().SpectrumMode(), kModeLines);
    QTest::mouseClick(&view, Qt::RightButton, Qt::NoModifier, QPoint(50, 12));
    QTest::mouseClick(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(50, 12));
    EXPECT_EQ(view.Controller().SpectrumMode(), kModeLines);
}

TEST_F(SpectrumViewTest, Menu_LayoutAndTicksMirrorModel) {
    QMenu* menu = view.SpectrumMenu();
    ASSERT_EQ(Texts(menu), (QStringList{"Mode", "-", "Speed"}));
    EXPECT_EQ(Texts(menu->actions()[0]->menu()),
              (QStringList{"Big Lines", "Lines", "None", "-", "Peak"}));
    EXPECT_EQ(Texts(menu->actions()[2]->menu()), (QStringList{"Low", "Normal", "High", "Ultra"}));

    view.MenuAction(Item::Mode11)->trigger();
    EXPECT_TRUE(view.MenuAction(Item::Mode11)->isChecked());
    EXPECT_FALSE(view.MenuAction(Item::Mode21)->isChecked());
    EXPECT_EQ(view.Controller().SpectrumMode(), kModeLines);
    view.MenuAction(Item::Mode11)->trigger();  // chosen twice: unticked, mode kept
    for (Item item : {Item::Mode21, Item::Mode11, Item::Mode31})
        EXPECT_FALSE(view.MenuAction(item)->isChecked());
    EXPECT_EQ(view.Controller().SpectrumMode(), kModeLines);
    EXPECT_TRUE(view.MenuAction(Item::Normal1)->isChecked());

    // Ticks set behind the menu's back (settings, left click) show at the next popup.
    view.Controller().ApplySettings({2, 30, true});
    menu = view.SpectrumMenu();
    EXPECT_TRUE(view.MenuAction(Item::Mode31)->isChecked());
    EXPECT_TRUE(view.MenuAction(Item::High1)->isChecked());
    EXPECT_FALSE(view.MenuAction(Item::Normal1)->isChecked());
    EXPECT_TRUE(view.MenuAction(Item::DPeak)->isChecked());
}

TEST_F(SpectrumViewTest, Menu_RadioItemsExcludeEachOtherWithinTheirSubmenuOnly) {
    for (int i = 0; i < kSpectrumMenuItemCount; ++i) {
        const auto item = static_cast<Item>(i);
        const QActionGroup* group = view.MenuAction(item)->actionGroup();
        if (!SpectrumMenuModel::IsRadio(item)) {
            EXPECT_EQ(group, nullptr) << i;  // "Peak" keeps a check box
            continue;
        }
        ASSERT_NE(group, nullptr) << i;
        EXPECT_TRUE(group->isExclusive()) << i;  // drawn with a radio mark
        for (int j = 0; j < kSpectrumMenuItemCount; ++j) {
            const auto other = static_cast<Item>(j);
            const bool sameGroup =
                SpectrumMenuModel::IsRadio(other) &&
                SpectrumMenuModel::SubmenuOf(other) == SpectrumMenuModel::SubmenuOf(item);
            EXPECT_EQ(view.MenuAction(other)->actionGroup() == group, sameGroup) << i << "," << j;
        }
    }
    // Choosing a ticked radio item again still unticks it, as the model says.
    view.MenuAction(Item::Normal1)->trigger();
    for (Item item : {Item::Low1, Item::Normal1, Item::High1, Item::Ultra1})
        EXPECT_FALSE(view.MenuAction(item)->isChecked());
    view.MenuAction(Item::Low1)->trigger();
    EXPECT_TRUE(view.MenuAction(Item::Low1)->isChecked());
    EXPECT_TRUE(view.MenuAction(Item::Mode21)->isChecked());  // the other submenu is untouched
}

TEST_F(SpectrumViewTest, TimerTicksWhilePlaying_WidgetShowsCanvas) {
    view.show();
    lib.fftValue = 0.048f;
    playState = 11;
    view.Controller().ApplySpectrumSpeed(10);
    QElapsedTimer clock;
    clock.start();
    while (lib.CallsStartingWith("ChannelGetData").size() < 2 && clock.elapsed() < 5000)
        QTest::qWait(5);
    ASSERT_GE(lib.CallsStartingWith("ChannelGetData").size(), 2u);
    const QImage shown = view.grab().toImage();
    EXPECT_TRUE(testing::SamePixels(shown, view.Controller().Canvas()));
    EXPECT_EQ(testing::HeightFromBottom(shown, 0, QColor(64, 64, 64)), 24);

    playState = 12;
    lib.ClearCalls();
    QTest::qWait(50);
    EXPECT_TRUE(lib.CallsStartingWith("ChannelGetData").empty());
}

}  // namespace
}  // namespace tv::spectrum
