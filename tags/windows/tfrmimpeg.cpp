#include "tags/windows/tfrmimpeg.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <filesystem>
#include <utility>

#include "tags/windows/labelledbox.h"

namespace tv::tags::windows {

QString BitRateCaption(int bitRate, int sampleRate, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return QString::number(bitRate) + QStringLiteral(" kb/s ") +
           plain.toString(sampleRate / 1000.0, 'g', QLocale::FloatingPointShortest) +
           QStringLiteral(" khz");
}

QString BitRateHint(bool vbr, int bitRate, int sampleRate, const std::string& channelMode) {
    return (vbr ? QStringLiteral("Bit rate: VBR ") : QStringLiteral("Bit rate: CBR ")) +
           QString::number(bitRate) + QStringLiteral(" kbit/s\nSample rate: ") +
           QString::number(sampleRate) + QStringLiteral(" hz\nChannel mode: ") +
           QString::fromStdString(channelMode);
}

TfrmiMpeg::TfrmiMpeg(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmiMpeg"));
    resize(300, 380);
    const std::pair<QLineEdit**, const char*> boxes[] = {
        {&ValidValue, "Valid MPEG:"},         {&FileSizeValue, "File size:"},
        {&MPEGTypeValue, "MPEG type:"},       {&BitRateValue, "Bit rate:"},
        {&SampleRateValue, "Sample rate:"},   {&ChannelModeValue, "Channel mode:"},
        {&DurationValue, "Duration:"},        {&FirstFrameValue, "First frame at:"},
        {&TotalFramesValue, "Total frames:"}, {&CRCValue, "CRC protection:"},
        {&CopyrightValue, "Copyright:"},      {&OriginalValue, "Original:"},
        {&EmphasisValue, "Emphasis:"},        {&EncoderValue, "Encoder:"}};
    int y = 8;
    for (const auto& [box, caption] : boxes) {
        *box = LabelledBox(this, QString::fromLatin1(caption), {8, y, 100, 180}, true);
        y += 24;
    }
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(8, y + 4, 80, 26);
    Duration = new QPushButton(QStringLiteral("Duration"), this);
    Duration->setGeometry(96, y + 4, 80, 26);
    connect(Button1, &QPushButton::clicked, this, &TfrmiMpeg::Button1Click);
}

void TfrmiMpeg::Button1Click() {
    const auto properties = Analyse(selectedPath ? selectedPath() : std::string());
    if (properties && onStreamProperties)
        onStreamProperties(*properties);
}

std::optional<StreamProperties> TfrmiMpeg::Analyse(const std::string& path) {
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->clear();
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec))
        return std::nullopt;
    if (!m_mpeg.Analyze(std::filesystem::path(path)) || !m_mpeg.Valid())
        return std::nullopt;
    const MpegFrameHeader& frame = m_mpeg.Frame();
    ValidValue->setText(QStringLiteral("Yes"));
    FileSizeValue->setText(QString::number(m_mpeg.FileLength()) + QStringLiteral(" bytes"));
    MPEGTypeValue->setText(QStringLiteral("MPEG ") + QString::fromLatin1(frame.VersionText()) +
                           QStringLiteral(" Layer ") + QString::number(frame.Layer()));
    BitRateValue->setText(QString::number(m_mpeg.BitRate()) + QStringLiteral(" kbit/s"));
    SampleRateValue->setText(QString::number(m_mpeg.SampleRate()) + QStringLiteral(" hz"));
    SetBoxText(ChannelModeValue, m_mpeg.ChannelMode());
    DurationValue->setText(QString::number(m_mpeg.Duration(), 'f', 3) + QStringLiteral(" sec."));
    FirstFrameValue->setText(QString::number(frame.Offset));
    TotalFramesValue->setText(QString::number(m_mpeg.Vbr().Frames));
    CRCValue->setText(frame.CrcProtected ? QStringLiteral("Yes") : QStringLiteral("No"));
    CopyrightValue->setText(frame.Copyright ? QStringLiteral("Yes") : QStringLiteral("No"));
    OriginalValue->setText(frame.Original ? QStringLiteral("Yes") : QStringLiteral("No"));
    EmphasisValue->setText(QString::number(frame.EmphasisIndex));
    SetBoxText(EncoderValue, m_mpeg.VendorID());

    return StreamProperties{BitRateCaption(m_mpeg.BitRate(), m_mpeg.SampleRate(), QLocale()),
                            BitRateHint(m_mpeg.Vbr().Found, m_mpeg.BitRate(), m_mpeg.SampleRate(),
                                        m_mpeg.ChannelMode()),
                            QString::fromStdString(m_mpeg.ChannelMode())};
}

}  // namespace tv::tags::windows
