#pragma once
// TfrmiMpeg: the MPEG analysis window. It is never shown; its Button1 analyses the file that
// starts playing and fills the main window's bit-rate label (caption and hint) and channel-mode
// label.
//
// Threads: user-interface thread only.

#include <QWidget>
#include <functional>
#include <string>

#include "tags/mpegaudio.h"

class QLabel;
class QLineEdit;
class QLocale;
class QPushButton;

namespace tv::tags::windows {

class TfrmiMpeg : public QWidget {
public:
    explicit TfrmiMpeg(QWidget* parent = nullptr);

    // The path of the entry whose stream is analysed (the main window's selected entry).
    std::function<std::string()> selectedPath;
    // The main window's labels it fills.
    void SetTargets(QLabel* bitRate, QLabel* channelMode) {
        m_lbBitRate = bitRate;
        m_lbChannelMode = channelMode;
    }

    QPushButton* Button1 = nullptr;
    QPushButton* Duration = nullptr;  // unused
    QLineEdit* ValidValue = nullptr;
    QLineEdit* FileSizeValue = nullptr;
    QLineEdit* MPEGTypeValue = nullptr;
    QLineEdit* BitRateValue = nullptr;
    QLineEdit* SampleRateValue = nullptr;
    QLineEdit* ChannelModeValue = nullptr;
    QLineEdit* DurationValue = nullptr;
    QLineEdit* FirstFrameValue = nullptr;
    QLineEdit* TotalFramesValue = nullptr;
    QLineEdit* CRCValue = nullptr;
    QLineEdit* CopyrightValue = nullptr;
    QLineEdit* OriginalValue = nullptr;
    QLineEdit* EmphasisValue = nullptr;
    QLineEdit* EncoderValue = nullptr;

    void Button1Click();

private:
    TMPEGaudio m_mpeg;  // kept from creation to close
    QLabel* m_lbBitRate = nullptr;
    QLabel* m_lbChannelMode = nullptr;
};

// "128 kb/s 44.1 khz": the bit rate and the sample rate in kHz in its shortest form, with the
// locale's decimal separator.
QString BitRateCaption(int bitRate, int sampleRate, const QLocale& locale);
// The label's hint: "Bit rate: VBR|CBR n kbit/s", "Sample rate: n hz", "Channel mode: ...", one
// a line.
QString BitRateHint(bool vbr, int bitRate, int sampleRate, const std::string& channelMode);

}  // namespace tv::tags::windows
