#pragma once

// The equalizer window: the ten band sliders, the preset box, the equalizer switch and the
// "Effects" list. It holds no state of its own beyond its controls and forwards every user
// action to the effect chain's never-shown controls, the way the main window's hidden group
// is driven.

#include <QWidget>
#include <array>

#include "effects/effectchain.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;

namespace tv::effects {

class TfrmEqualizer : public QWidget {
    Q_OBJECT
public:
    // `model` must outlive the window. The window starts hidden, with its switch off and
    // every slider, the preset box and the labels disabled.
    explicit TfrmEqualizer(EffectChain& model, QWidget* parent = nullptr);

    // The switch as the settings file sees it. Setting it behaves like a click: the main
    // model's switch follows and the controls are enabled or disabled.
    void SetEqualizerChecked(bool checked);
    bool EqualizerChecked() const;

    // Places the window over the centre of `mainWindow` (as it is shown from there).
    void CentreOn(const QWidget& mainWindow);

    // --- handlers (public so the program and tests can run them as the user would) ------
    void chEqualizerClick();
    void boxEQSelectChange();
    void barEQChange(int band);
    void Button1Click();
    void CheckListBox1ClickCheck();

    // --- controls ---------------------------------------------------------------------
    QCheckBox* chEqualizer() const { return m_chEqualizer; }
    QComboBox* boxEQSelect() const { return m_boxEQSelect; }
    QSlider* Slider(int band) const { return m_sliders.at(band); }
    QLabel* FrequencyLabel(int band) const { return m_freqLabels.at(band); }
    QLabel* DbLabel(int index) const { return m_dbLabels.at(index); }
    QListWidget* CheckListBox1() const { return m_checkList; }
    QPushButton* Button1() const { return m_ok; }

private:
    void BuildEqualizerGroup();
    void BuildEffectsGroup();
    void SetEqControlsEnabled(bool enabled);

    EffectChain& m_model;
    QGroupBox* m_group = nullptr;
    QCheckBox* m_chEqualizer = nullptr;
    QComboBox* m_boxEQSelect = nullptr;
    std::array<QSlider*, kBandCount> m_sliders{};
    std::array<QLabel*, kBandCount> m_freqLabels{};
    std::array<QLabel*, 3> m_dbLabels{};
    QListWidget* m_checkList = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace tv::effects
