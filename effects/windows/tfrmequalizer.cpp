#include "effects/windows/tfrmequalizer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "effects/windows/eqslider.h"

namespace tv::effects {
namespace {

constexpr int kClientWidth = 378;
constexpr int kClientHeight = 161;
constexpr std::array<int, kBandCount> kSliderX = {40, 61, 82, 103, 124, 145, 166, 187, 208, 227};
constexpr int kSliderY = 30;
constexpr int kSliderWidth = 20;
constexpr int kSliderHeight = 73;
// Each frequency label is centred over its slider in a box of its own: the boxes touch but never
// overlap (the last two sliders stand only 19 pixels apart), and the text is set a size smaller
// and slightly narrower than the window's so that even "10K", "12K", "14K" keep a gap.
constexpr int kLabelWidth = 19;
constexpr int kLabelPixelSize = 10;
constexpr int kLabelSpacingPercent = 94;

constexpr std::array<const char*, kDjEffectCount> kEffectItems = {
    "Flanger", "Chorus", "Echo", "Reverbrate", "Mega Bass", "Rotate"};

}  // namespace

TfrmEqualizer::TfrmEqualizer(EffectChain& model, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_model(model) {
    setObjectName("frmEqualizer");
    setWindowTitle("Equalizer");
    setFixedSize(kClientWidth, kClientHeight);
    QFont font("Arial");
    font.setPixelSize(11);
    setFont(font);

    BuildEqualizerGroup();
    BuildEffectsGroup();

    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("Button1");
    m_ok->setGeometry(272, 128, 98, 25);
    connect(m_ok, &QPushButton::clicked, this, &TfrmEqualizer::Button1Click);

    SetEqControlsEnabled(false);
}

void TfrmEqualizer::BuildEqualizerGroup() {
    m_group = new QGroupBox("      Equalizer", this);
    m_group->setObjectName("GroupBox1");
    m_group->setGeometry(8, 8, 257, 145);

    QFont labelFont = font();
    labelFont.setPixelSize(kLabelPixelSize);
    labelFont.setLetterSpacing(QFont::PercentageSpacing, kLabelSpacingPercent);
    for (int i = 0; i < kBandCount; ++i) {
        auto* label = new QLabel(kBandLabels[i], m_group);
        label->setObjectName(QString("Label%1").arg(i + 1));
        label->setFont(labelFont);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        const int centre = kSliderX[i] + kSliderWidth / 2;
        label->setGeometry(centre - kLabelWidth / 2, kSliderY - 14, kLabelWidth, 13);
        m_freqLabels[i] = label;

        auto* slider = new EqSlider(m_group);
        slider->setObjectName(QString("barEQ%1").arg(kBandLabels[i]));
        slider->setRange(kSliderMin, kSliderMax);
        slider->setSingleStep(1);
        slider->setPageStep(1);
        slider->setTickPosition(QSlider::NoTicks);
        // The top end is the minimum position, which is the highest gain.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setGeometry(kSliderX[i], kSliderY, kSliderWidth, kSliderHeight);
        connect(slider, &QSlider::valueChanged, this, [this, i] { barEQChange(i); });
        m_sliders[i] = slider;
    }

    const char* dbTexts[3] = {"15 dB", "0 dB", "-15 dB"};
    const char* dbNames[3] = {"lb15db", "lb0db", "lb_15db"};
    // Each dB label stands level with the knob's centre at its gain.
    const auto* ruler = static_cast<const EqSlider*>(m_sliders[0]);
    const int dbY[3] = {kSliderY + ruler->KnobCentreAt(kSliderMin) - 6,
                        kSliderY + ruler->KnobCentreAt(0) - 6,
                        kSliderY + ruler->KnobCentreAt(kSliderMax) - 7};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(dbTexts[i], m_group);
        label->setObjectName(dbNames[i]);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(2, dbY[i], 36, 13);
        m_dbLabels[i] = label;
    }

    m_boxEQSelect = new QComboBox(m_group);
    m_boxEQSelect->setObjectName("boxEQSelect");
    for (const char* name : kPresetNames)
        m_boxEQSelect->addItem(name);
    m_boxEQSelect->setCurrentIndex(0);
    m_boxEQSelect->setGeometry(40, 112, 96, 22);
    connect(m_boxEQSelect, &QComboBox::activated, this, &TfrmEqualizer::boxEQSelectChange);

    auto* caption = new QLabel("10 lines equalizer", m_group);
    caption->setObjectName("Label11");
    QPalette navy = caption->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    caption->setPalette(navy);
    caption->setGeometry(144, 115, 108, 16);

    // Sits over the blank start of the group's caption.
    m_chEqualizer = new QCheckBox(this);
    m_chEqualizer->setObjectName("chEqualizer");
    m_chEqualizer->setGeometry(8, 6, 14, 16);
    connect(m_chEqualizer, &QCheckBox::toggled, this, &TfrmEqualizer::chEqualizerClick);
}

void TfrmEqualizer::BuildEffectsGroup() {
    auto* group = new QGroupBox("Effects", this);
    group->setObjectName("GroupBox2");
    group->setGeometry(272, 8, 98, 114);
    m_checkList = new QListWidget(group);
    m_checkList->setObjectName("CheckListBox1");
    // The group's layout keeps the list inside the frame, below the caption, whatever height the
    // style gives the caption.
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(3, 2, 3, 4);
    layout->addWidget(m_checkList);
    for (const char* text : kEffectItems) {
        auto* item = new QListWidgetItem(text, m_checkList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(m_checkList, &QListWidget::itemChanged, this, &TfrmEqualizer::CheckListBox1ClickCheck);
}

void TfrmEqualizer::SetEqControlsEnabled(bool enabled) {
    for (QSlider* s : m_sliders)
        s->setEnabled(enabled);
    for (QLabel* l : m_freqLabels)
        l->setEnabled(enabled);
    for (QLabel* l : m_dbLabels)
        l->setEnabled(enabled);
    m_boxEQSelect->setEnabled(enabled);
}

void TfrmEqualizer::SetEqualizerChecked(bool checked) {
    m_chEqualizer->setChecked(checked);
}

bool TfrmEqualizer::EqualizerChecked() const {
    return m_chEqualizer->isChecked();
}

void TfrmEqualizer::chEqualizerClick() {
    const bool on = m_chEqualizer->isChecked();
    m_model.SetEqualizerChecked(on);
    SetEqControlsEnabled(on);
}

void TfrmEqualizer::boxEQSelectChange() {
    m_model.SetPresetIndex(m_boxEQSelect->currentIndex());
    m_model.ClickButton5();
    // Mirror the main sliders; each of ours that moves forwards its band again.
    for (int i = 0; i < kBandCount; ++i)
        m_sliders[i]->setValue(m_model.SliderPosition(i));
}

void TfrmEqualizer::barEQChange(int band) {
    m_model.SetSliderPosition(band, m_sliders.at(band)->value());
    m_model.ClickBandButton(band);
}

void TfrmEqualizer::Button1Click() {
    hide();
}

void TfrmEqualizer::CentreOn(const QWidget& mainWindow) {
    const QRect frame = mainWindow.frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
}

void TfrmEqualizer::CheckListBox1ClickCheck() {
    for (int k = 0; k < kDjEffectCount; ++k)
        m_model.SetEffectChecked(static_cast<DjEffect>(k),
                                 m_checkList->item(k)->checkState() == Qt::Checked);
}

}  // namespace tv::effects
