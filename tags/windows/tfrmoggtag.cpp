#include "tags/windows/tfrmoggtag.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "tags/oggvorbis.h"
#include "tags/windows/labelledbox.h"

namespace tv::tags::windows {

namespace {
constexpr int kRowStep = 24;
constexpr int kCaption = 70;
}  // namespace

QString DurationBoxText(double seconds, const QString& decimalPoint) {
    QString text = QString::number(seconds > 0 ? seconds : 0.0, 'f', 3);
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

TfrmOGGTag::TfrmOGGTag(QWidget* parent) : TagWindow(parent) {
    setObjectName(QStringLiteral("frmOGGTag"));
    GroupBox1 = new QGroupBox(QStringLiteral("Tag:"), this);
    GroupBox1->setGeometry(6, 50, kClientWidth - 12, kClientHeight - 88);
    QWidget* g = GroupBox1;
    const int full = GroupBox1->width() - 16 - kCaption;
    int y = 20;
    EditValidHeader = LabelledBox(g, QStringLiteral("Tag:"), {8, y, kCaption, full}, true);
    y += kRowStep;
    EditFileSize = LabelledBox(g, QStringLiteral("File size:"), {8, y, kCaption, full}, true);
    const std::pair<QLineEdit**, const char*> rows[] = {
        {&EditTitle, "Title:"},    {&EditArtist, "Artist:"}, {&EditAlbum, "Album:"},
        {&EditTrack, "Track:"},    {&EditDate, "Date:"},     {&EditGenre, "Genre:"},
        {&EditComment, "Comment:"}};
    for (const auto& [box, caption] : rows) {
        y += kRowStep;
        *box =
            LabelledBox(g, QString::fromLatin1(caption), {8, y, kCaption, full}, false, kEditLimit);
    }

    // The stream figures are kept out of sight, like in the MPEG analysis window.
    const std::pair<QLineEdit**, const char*> hidden[] = {{&EditChannelMode, "Channel mode:"},
                                                          {&EditSampleRate, "Sample rate:"},
                                                          {&EditBitRate, "Bit rate:"},
                                                          {&EditDuration, "Duration:"},
                                                          {&EditVendor, "Vendor:"}};
    int hy = 0;
    for (const auto& [box, caption] : hidden) {
        *box =
            LabelledBox(this, QString::fromLatin1(caption), {kClientWidth + 20, hy, 80, 200}, true);
        (*box)->hide();
        hy += kRowStep;
    }

    const int by = kClientHeight - 32;
    ButtonClearTag = new QPushButton(QStringLiteral("Remove"), this);
    ButtonClearTag->setGeometry(6, by, 80, 26);
    ButtonSaveTag = new QPushButton(QStringLiteral("Save"), this);
    ButtonSaveTag->setGeometry(kClientWidth - 172, by, 80, 26);
    ButtonClose = new QPushButton(QStringLiteral("Close"), this);
    ButtonClose->setGeometry(kClientWidth - 86, by, 80, 26);
    btnGetTag1 = new QPushButton(this);
    btnGetTag1->hide();
    btnGetTag2 = new QPushButton(this);
    btnGetTag2->hide();

    connect(ButtonClearTag, &QPushButton::clicked, this, &TfrmOGGTag::ButtonClearTagClick);
    connect(ButtonSaveTag, &QPushButton::clicked, this, &TfrmOGGTag::ButtonSaveTagClick);
    connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);
    connect(btnGetTag1, &QPushButton::clicked, this, &TfrmOGGTag::btnGetTag1Click);
}

void TfrmOGGTag::ReadTags() {
    btnGetTag1->click();
}

void TfrmOGGTag::ClearValueBoxes() {
    // The valid-header and size boxes are emptied too, so a file that is not Ogg Vorbis never
    // shows the previous file's figures.
    for (QLineEdit* edit : {EditValidHeader, EditFileSize, EditChannelMode, EditSampleRate,
                            EditBitRate, EditDuration, EditVendor, EditTitle, EditArtist, EditAlbum,
                            EditTrack, EditDate, EditGenre, EditComment})
        ClearBox(edit);
}

void TfrmOGGTag::btnGetTag1Click() {
    ClearValueBoxes();
    TOggVorbis ogg;
    if (!ogg.Analyze(std::filesystem::path(Path())) || !ogg.Valid())
        return;
    EditValidHeader->setText(ogg.HasID3v2() ? QStringLiteral("Yes, ID3v2") : QStringLiteral("Yes"));
    EditFileSize->setText(QString::number(ogg.FileSize()) + QStringLiteral(" bytes"));
    SetBoxText(EditChannelMode, ogg.ChannelMode());
    EditSampleRate->setText(QString::number(ogg.SampleRate()) + QStringLiteral(" hz"));
    EditDuration->setText(DurationBoxText(ogg.Duration(), QLocale().decimalPoint()) +
                          QStringLiteral(" sec."));
    EditBitRate->setText(QString::number(ogg.BitRate()) + QStringLiteral(" kbps, nominal ") +
                         QString::number(ogg.BitRateNominal()));
    SetBoxText(EditVendor, ogg.Vendor());
    SetBoxText(EditTitle, ogg.Title());
    SetBoxText(EditArtist, ogg.Artist());
    SetBoxText(EditAlbum, ogg.Album());
    SetBoxText(EditDate, ogg.Date());
    SetBoxText(EditGenre, ogg.Genre());
    SetBoxText(EditComment, ogg.Comment());
    if (ogg.Track() != 0)
        SetBoxText(EditTrack, std::to_string(ogg.Track()));
}

void TfrmOGGTag::ButtonSaveTagClick() {
    if (!CheckFileWritable("save"))
        return;
    // The file is read again, so that every box the user left alone keeps the file's whole
    // value (the boxes and the reader hold only the first 250 characters of a long one).
    TOggVorbis ogg;
    const std::filesystem::path path(Path());
    const bool read = ogg.Analyze(path) && ogg.Valid();
    const auto take = [&](QLineEdit* box, void (TOggVorbis::*set)(std::string)) {
        if (!read || BoxEdited(box))
            (ogg.*set)(BoxText(box));
    };
    take(EditTitle, &TOggVorbis::SetTitle);
    take(EditArtist, &TOggVorbis::SetArtist);
    take(EditAlbum, &TOggVorbis::SetAlbum);
    take(EditDate, &TOggVorbis::SetDate);
    take(EditGenre, &TOggVorbis::SetGenre);
    take(EditComment, &TOggVorbis::SetComment);
    if (!read || BoxEdited(EditTrack))
        ogg.SetTrack(TrackFromBox(EditTrack->text()));
    if (!CommitWrite([&] { return ogg.WriteTag(path); }))
        WarnFailure("save", ogg.LastError());
}

void TfrmOGGTag::ButtonClearTagClick() {
    if (!CheckFileWritable("remove"))
        return;
    TOggVorbis ogg;
    const bool cleared = CommitWrite([&] {
        if (!ogg.ClearTag(std::filesystem::path(Path())))
            return false;
        ClearValueBoxes();
        return true;
    });
    if (!cleared)
        WarnFailure("remove", ogg.LastError());
}

}  // namespace tv::tags::windows
