#pragma once
// TfrmiMpeg: the MPEG analysis window. It is never shown; Analyse reads the file that starts
// playing into its boxes and returns what the main window's bit-rate label (caption and hint)
// and channel-mode label show. Its Button1 only forwards to it.
//
// Threads: user-interface thread only.

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "tags/mpegaudio.h"

class QLineEdit;
class QLocale;
class QPushButton;

namespace tv::tags::windows {

// What the main window shows of a stream: lbBitRate's caption and hint, lbChannelMode.
struct StreamProperties {
    QString bitRate;
    QString bitRateHint;
    QString channelMode;
};

class TfrmiMpeg : public QWidget {
public:
    explicit TfrmiMpeg(QWidget* parent = nullptr);

    // Empties the boxes and analyses `path` into them. nullopt (the labels stay as they are)
    // when the file is missing or holds no valid MPEG audio.
    std::optional<StreamProperties> Analyse(const std::string& path);

    // Button1: analyses the file `selectedPath` names and hands the result to
    // `onStreamProperties`.
    std::function<std::string()> selectedPath;
    std::function<void(const StreamProperties&)> onStreamProperties;

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
};

// "128 kb/s 44.1 khz": the bit rate and the sample rate in kHz in its shortest form, with the
// locale's decimal separator.
QString BitRateCaption(int bitRate, int sampleRate, const QLocale& locale);
// The label's hint: "Bit rate: VBR|CBR n kbit/s", "Sample rate: n hz", "Channel mode: ...", one
// a line.
QString BitRateHint(bool vbr, int bitRate, int sampleRate, const std::string& channelMode);

}  // namespace tv::tags::windows
