// The equalizer window offscreen: its layout and how it forwards to the chain model.

#ifdef TV_HAVE_EFFECTS_WINDOWS

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include <QStyleOptionGroupBox>

#include "effects/windows/eqslider.h"
#include "effects/windows/tfrmequalizer.h"
#include "fakeaudiolibrary.h"
#include "tests/fakes/casename.h"

namespace tv::testing {
namespace {

using effects::DjEffect;

class EqualizerWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) {
            if (qgetenv("QT_QPA_PLATFORM").isEmpty())
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "tv_effects_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
    EqualizerWindow() { fake.liveChannels.insert(3); }

    int Applications() const {
        // Every application of a live chain with the equalizer on ends with band 9's parameters.
        int n = 0;
        for (const auto& c : fake.calls)
            n += c.find(",14000,9,") != std::string::npos;
        return n;
    }

    FakeAudioLibrary fake;
    effects::EffectChain model{fake, [] { return effects::ChannelState{3, true}; }};
    effects::TfrmEqualizer window{model};
};

TEST_F(EqualizerWindow, StartsHiddenWithEveryEqualizerControlDisabled) {
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Equalizer");
    EXPECT_EQ(window.size(), QSize(378, 161));
    EXPECT_FALSE(window.chEqualizer()->isChecked());
    EXPECT_EQ(window.boxEQSelect()->currentText(), "Default");
    EXPECT_EQ(window.boxEQSelect()->count(), 10);
    EXPECT_EQ(window.boxEQSelect()->itemText(9), "Custom");
    EXPECT_FALSE(window.boxEQSelect()->isEnabled());
    const int xs[] = {40, 61, 82, 103, 124, 145, 166, 187, 208, 227};
    for (int i = 0; i < effects::kBandCount; ++i) {
        EXPECT_FALSE(window.Slider(i)->isEnabled());
        EXPECT_FALSE(window.FrequencyLabel(i)->isEnabled());
        EXPECT_EQ(window.Slider(i)->geometry(), QRect(xs[i], window.Slider(0)->y(), 20, 73));
        EXPECT_EQ(window.FrequencyLabel(i)->text(), effects::kBandLabels[i]);
    }
    EXPECT_EQ(window.DbLabel(0)->text(), "15 dB");
    EXPECT_EQ(window.DbLabel(2)->text(), "-15 dB");
    EXPECT_FALSE(window.DbLabel(1)->isEnabled());
    const QStringList items = {"Flanger", "Chorus", "Echo", "Reverbrate", "Mega Bass", "Rotate"};
    ASSERT_EQ(window.CheckListBox1()->count(), 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(window.CheckListBox1()->item(k)->text(), items[k]);
        EXPECT_EQ(window.CheckListBox1()->item(k)->checkState(), Qt::Unchecked);
    }
    auto* group = window.findChild<QGroupBox*>("GroupBox1");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "      Equalizer");
    EXPECT_EQ(group->geometry(), QRect(8, 8, 257, 145));
    EXPECT_EQ(window.Button1()->text(), "OK");
}

TEST_F(EqualizerWindow, SwitchFollowsIntoTheModelAndEnablesTheControls) {
    window.SetEqualizerChecked(true);  // as the settings file does at start
    EXPECT_TRUE(model.EqualizerChecked());
    EXPECT_TRUE(model.EffectFlags() & effects::kFlagEqualizer);
    EXPECT_TRUE(window.Slider(5)->isEnabled());
    EXPECT_TRUE(window.boxEQSelect()->isEnabled());
    EXPECT_TRUE(window.FrequencyLabel(9)->isEnabled());
    EXPECT_TRUE(window.DbLabel(2)->isEnabled());
    EXPECT_EQ(fake.CallsStartingWith("ChannelSetFX(3,7,1)").size(), 10u);

    window.chEqualizer()->click();
    EXPECT_FALSE(window.EqualizerChecked());
    EXPECT_FALSE(model.EqualizerChecked());
    EXPECT_FALSE(window.Slider(5)->isEnabled());
    EXPECT_EQ(model.EffectFlags() & effects::kFlagEqualizer, 0);
}

TEST_F(EqualizerWindow, PickedPresetStaysInTheWindowWhileTheMainBoxReadsCustom) {
    window.SetEqualizerChecked(true);
    window.boxEQSelect()->setCurrentIndex(8);  // Voice
    window.boxEQSelectChange();
    for (int i = 0; i < effects::kBandCount; ++i)
        EXPECT_EQ(window.Slider(i)->value(), -effects::EqPresets[8][i]) << i;
    EXPECT_EQ(model.EqGains(), effects::EqPresets[8]);
    EXPECT_EQ(window.boxEQSelect()->currentText(), "Voice");
    EXPECT_EQ(model.PresetIndex(), effects::kPresetCustom);

    // Picking a preset that moves no slider leaves the main box on it.
    window.boxEQSelect()->setCurrentIndex(9);
    window.boxEQSelectChange();
    window.boxEQSelect()->setCurrentIndex(0);
    window.boxEQSelectChange();
    EXPECT_EQ(model.PresetIndex(), 0);
    EXPECT_EQ(model.EqGains(), effects::EqRecord{});
}

TEST_F(EqualizerWindow, MovingASliderForwardsTwiceAndNeverTouchesTheWindowsBox) {
    window.SetEqualizerChecked(true);
    window.boxEQSelect()->setCurrentIndex(1);
    window.boxEQSelectChange();
    fake.ClearCalls();

    window.Slider(4)->setValue(-12);
    EXPECT_EQ(model.SliderPosition(4), -12);
    EXPECT_EQ(model.EqGains()[4], 12);
    EXPECT_EQ(model.PresetIndex(), effects::kPresetCustom);
    EXPECT_EQ(window.boxEQSelect()->currentText(), "Rock");
    // Once through the main slider's change, once through its button.
    EXPECT_EQ(Applications(), 2);
}

TEST_F(EqualizerWindow, UpArrowRaisesTheGain) {
    window.SetEqualizerChecked(true);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(window.Slider(0), &up);
    EXPECT_EQ(window.Slider(0)->value(), -1);
    EXPECT_EQ(model.EqGains()[0], 1);
}

TEST_F(EqualizerWindow, EachTickInTheEffectListRunsExactlyItsOwnSwitch) {
    window.CheckListBox1()->item(4)->setCheckState(Qt::Checked);  // "Mega Bass"
    EXPECT_TRUE(model.EffectChecked(DjEffect::Bass));
    EXPECT_EQ(model.EffectFlags(), effects::kFlagTurboBass);
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"ChannelSetFX(3,7,1)", "FXSetParameters(100,80,9,6)",
                                        "ChannelSetFX(3,7,1)", "FXSetParameters(101,170,9,5)",
                                        "ChannelSetFX(3,7,1)", "FXSetParameters(102,310,9,4)"}));

    fake.ClearCalls();
    window.CheckListBox1()->item(5)->setCheckState(Qt::Checked);  // "Rotate"
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"ChannelSetDSP(3,0)"}));
    EXPECT_TRUE(model.EffectChecked(DjEffect::Rotate));

    fake.ClearCalls();
    window.CheckListBox1()->item(3)->setCheckState(Qt::Checked);   // "Reverbrate"
    EXPECT_EQ(fake.CallsStartingWith("ChannelSetFX").size(), 4u);  // reverb + three bass bands
    EXPECT_EQ(fake.CallsStartingWith("ChannelSetFX").front(), "ChannelSetFX(3,8,1)");
    EXPECT_TRUE(fake.CallsStartingWith("ChannelSetDSP").empty());
}

TEST_F(EqualizerWindow, FrequencyLabelsStandApartAndInsideTheirOwnBoxes) {
    for (int i = 0; i < effects::kBandCount; ++i) {
        const QLabel* label = window.FrequencyLabel(i);
        const QRect box = label->geometry();
        // Centred over the slider, and the whole text fits its box.
        EXPECT_NEAR(box.center().x(), window.Slider(i)->geometry().center().x(), 1) << i;
        const qreal text = QFontMetricsF(label->font()).horizontalAdvance(label->text());
        EXPECT_LE(text, box.width()) << label->text().toStdString();
        if (i == 0)
            continue;
        const QLabel* left = window.FrequencyLabel(i - 1);
        EXPECT_FALSE(box.intersects(left->geometry())) << i;
        // The inked texts keep at least two pixels between them.
        const qreal leftEnd =
            left->geometry().x() + (left->geometry().width() +
                                    QFontMetricsF(left->font()).horizontalAdvance(left->text())) /
                                       2;
        const qreal start = box.x() + (box.width() - text) / 2;
        EXPECT_GE(start - leftEnd, 2.0)
            << left->text().toStdString() << " " << label->text().toStdString();
    }
}

struct FillCase {
    int gainDb;
};

class EqualizerSliderFill : public EqualizerWindow,
                            public ::testing::WithParamInterface<FillCase> {};

TEST_P(EqualizerSliderFill, FillRunsFromTheMiddleTowardsTheGain) {
    auto* slider = dynamic_cast<effects::EqSlider*>(window.Slider(3));
    ASSERT_NE(slider, nullptr);
    const int gain = GetParam().gainDb;
    slider->setValue(-gain);
    const QRect fill = slider->FillRect();
    // The 0 dB mark is the slider's middle and level with the "0 dB" label.
    EXPECT_NEAR(slider->ZeroY(), slider->height() / 2, 1);
    EXPECT_NEAR(slider->y() + slider->ZeroY(), window.DbLabel(1)->geometry().center().y(), 1);
    if (gain == 0) {
        EXPECT_EQ(fill.height(), 0);
        EXPECT_EQ(fill.y(), slider->ZeroY());
        return;
    }
    // A boost fills upwards from the mark, a cut downwards, by the same length for the same size.
    EXPECT_EQ(gain > 0 ? fill.bottom() + 1 : fill.top(), slider->ZeroY());
    slider->setValue(gain);
    EXPECT_EQ(slider->FillRect().height(), fill.height());
    EXPECT_EQ(gain > 0 ? slider->FillRect().top() : slider->FillRect().bottom() + 1,
              slider->ZeroY());
    // Full travel reaches the knob's centre at the end of the range.
    if (std::abs(gain) == 15) {
        EXPECT_EQ(gain > 0 ? fill.top() : fill.bottom() + 1, slider->KnobCentreAt(-gain));
    }
}

INSTANTIATE_TEST_SUITE_P(Gains, EqualizerSliderFill,
                         ::testing::Values(FillCase{0}, FillCase{1}, FillCase{7}, FillCase{15},
                                           FillCase{-1}, FillCase{-7}, FillCase{-15}),
                         tv::cases::NameFrom(&FillCase::gainDb));

TEST_F(EqualizerWindow, EffectListSitsInsideItsFrameBelowTheCaptionAndShowsEveryItem) {
    window.show();
    QApplication::processEvents();
    auto* group = window.findChild<QGroupBox*>("GroupBox2");
    ASSERT_NE(group, nullptr);
    QStyleOptionGroupBox opt;
    opt.initFrom(group);
    opt.text = group->title();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    opt.lineWidth = 1;
    const QRect frame =
        group->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxFrame, group);
    const QRect caption =
        group->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, group);
    const QRect list = window.CheckListBox1()->geometry();
    EXPECT_GT(list.top(), std::max(frame.top(), caption.bottom()) + 1);
    EXPECT_LT(list.bottom(), frame.bottom() - 1);
    EXPECT_GT(list.left(), frame.left() + 1);
    EXPECT_LT(list.right(), frame.right() - 1);
    // No scrolling needed for the six items.
    EXPECT_FALSE(window.CheckListBox1()->verticalScrollBar()->isVisible());
    EXPECT_FALSE(window.CheckListBox1()->horizontalScrollBar()->isVisible());
    window.hide();
}

TEST_F(EqualizerWindow, OkHidesTheWindowThatWasShownOverTheMainWindowsCentre) {
    QWidget main;
    main.setGeometry(100, 200, 500, 300);
    window.CentreOn(main);
    EXPECT_NEAR(window.geometry().center().x(), main.frameGeometry().center().x(), 1);
    EXPECT_NEAR(window.geometry().center().y(), main.frameGeometry().center().y(), 1);
    window.show();
    ASSERT_TRUE(window.isVisible());
    window.Button1()->click();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tv::testing

#endif  // TV_HAVE_EFFECTS_WINDOWS
