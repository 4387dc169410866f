#include "tags/windows/tfrmmp3tag.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/windows/labelledbox.h"

namespace tv::tags::windows {

namespace {

constexpr int kRowStep = 21;
constexpr int kCaption = 70;

QPushButton* HiddenButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->hide();
    return button;
}

}  // namespace

TfrmMP3Tag::TfrmMP3Tag(QWidget* parent) : TagWindow(parent) {
    setObjectName(QStringLiteral("frmMP3Tag"));
    BuildID3v2Group();
    BuildID3v1Group();

    const int y = kClientHeight - 32;
    RemoveButton2 = new QPushButton(QStringLiteral("Remove"), this);
    RemoveButton2->setGeometry(6, y, 80, 26);
    SaveButton2 = new QPushButton(QStringLiteral("Save"), this);
    SaveButton2->setGeometry(kClientWidth - 172, y, 80, 26);
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setGeometry(kClientWidth - 86, y, 80, 26);
    btnGetTag1 = HiddenButton(this, "btnGetTag1");
    btnGetTag2 = HiddenButton(this, "btnGetTag2");

    connect(RemoveButton2, &QPushButton::clicked, this, &TfrmMP3Tag::RemoveButton2Click);
    connect(SaveButton2, &QPushButton::clicked, this, &TfrmMP3Tag::SaveButton2Click);
    connect(Button1, &QPushButton::clicked, this, &QWidget::close);
    connect(btnGetTag1, &QPushButton::clicked, this, &TfrmMP3Tag::btnGetTag1Click);
    connect(btnGetTag2, &QPushButton::clicked, this, &TfrmMP3Tag::btnGetTag2Click);
}

void TfrmMP3Tag::BuildID3v2Group() {
    GroupBox2 = new QGroupBox(QStringLiteral("ID3v2:"), this);
    GroupBox2->setGeometry(6, 50, kClientWidth - 12, kClientHeight - 88);
    QWidget* g = GroupBox2;
    const int full = GroupBox2->width() - 16 - kCaption;
    int y = 18;
    TagExistsValue2 = LabelledBox(g, QStringLiteral("Tag:"), {8, y, kCaption, 46}, true);
    VersionValue2 = LabelledBox(g, QStringLiteral("Version:"), {136, y, 54, 36}, true);
    SizeValue2 = LabelledBox(g, QStringLiteral("Size:"), {232, y, 32, full + kCaption - 256}, true);
    auto editable = [&](QLineEdit*& box, const char* caption, int x, int captionW, int boxW) {
        box =
            LabelledBox(g, QString::fromLatin1(caption), {x, y, captionW, boxW}, false, kEditLimit);
    };
    y += kRowStep;
    editable(TitleEdit2, "Title:", 8, kCaption, full);
    y += kRowStep;
    editable(ArtistEdit2, "Artist:", 8, kCaption, full);
    y += kRowStep;
    editable(AlbumEdit2, "Album:", 8, kCaption, full);
    y += kRowStep;
    editable(TrackEdit2, "Track:", 8, kCaption, 46);
    editable(YearEdit2, "Year:", 136, 54, 36);
    editable(GenreEdit2, "Genre:", 232, 46, full + kCaption - 270);
    const std::pair<QLineEdit**, const char*> rows[] = {{&CommentEdit2, "Comment:"},
                                                        {&ComposerEdit2, "Composer:"},
                                                        {&EncoderEdit2, "Encoder:"},
                                                        {&CopyrightEdit2, "Copyright:"}};
    for (const auto& [box, caption] : rows) {
        y += kRowStep;
        editable(*box, caption, 8, kCaption, full);
    }
    y += kRowStep;
    editable(LanguageEdit2, "Language:", 8, kCaption, full);
    y += kRowStep;
    editable(LinkEdit2, "Link:", 8, kCaption, full);
}

void TfrmMP3Tag::BuildID3v1Group() {
    // Kept outside the client area: its values only serve as the fallback of the ID3v2 boxes.
    GroupBox1 = new QGroupBox(QStringLiteral("ID3v1"), this);
    GroupBox1->setGeometry(kClientWidth + 20, 0, 300, 220);
    GroupBox1->hide();
    QWidget* g = GroupBox1;
    int y = 18;
    auto box = [&](QLineEdit*& edit, const char* caption, bool readOnly, int limit) {
        edit = LabelledBox(g, QString::fromLatin1(caption), {8, y, 64, 200}, readOnly, limit);
        y += kRowStep;
    };
    box(TagExistsValue1, "Tag:", true, 0);
    box(TagVersionValue1, "Version:", true, 0);
    box(TitleEdit1, "Title:", false, kEditLimit);
    box(ArtistEdit1, "Artist:", false, kEditLimit);
    box(AlbumEdit1, "Album:", false, 30);
    box(TrackEdit1, "Track:", false, 2);
    box(YearEdit1, "Year:", false, 4);
    box(CommentEdit1, "Comment:", false, 30);
    GenreComboBox1 = new QComboBox(g);
    GenreComboBox1->setGeometry(72, y, 200, kBoxHeight);
    GenreComboBox1->addItem(QString());  // entry 0: no genre
    for (std::string_view name : GenreNames)
        GenreComboBox1->addItem(QString::fromLatin1(name.data(), int(name.size())));
    GenreComboBox1->setCurrentIndex(0);
}

void TfrmMP3Tag::ReadTags() {
    btnGetTag2->click();
    btnGetTag1->click();
}

void TfrmMP3Tag::btnGetTag1Click() {
    for (QLineEdit* edit : {TagExistsValue1, TagVersionValue1, TitleEdit1, ArtistEdit1, AlbumEdit1,
                            TrackEdit1, YearEdit1, CommentEdit1})
        edit->clear();
    GenreComboBox1->setCurrentIndex(0);
    TID3v1 tag;
    if (!tag.ReadTag(std::filesystem::path(Path())) || !tag.Exists())
        return;
    TagExistsValue1->setText(QStringLiteral("Yes"));
    TagVersionValue1->setText(tag.TagVersion() == 1 ? QStringLiteral("1.0")
                                                    : QStringLiteral("1.1"));
    SetBoxText(TitleEdit1, tag.Title());
    SetBoxText(ArtistEdit1, tag.Artist());
    SetBoxText(AlbumEdit1, tag.Album());
    SetBoxText(CommentEdit1, tag.Comment());
    TrackEdit1->setText(QString::number(tag.Track()));
    SetBoxText(YearEdit1, tag.Year());
    if (tag.GenreIndex() < kGenreCount)
        GenreComboBox1->setCurrentIndex(tag.GenreIndex() + 1);
}

void TfrmMP3Tag::ClearID3v2Boxes() {
    for (QLineEdit* edit : {TagExistsValue2, VersionValue2, SizeValue2, TitleEdit2, ArtistEdit2,
                            AlbumEdit2, TrackEdit2, YearEdit2, GenreEdit2, CommentEdit2,
                            ComposerEdit2, EncoderEdit2, CopyrightEdit2, LanguageEdit2, LinkEdit2})
        ClearBox(edit);
}

void TfrmMP3Tag::btnGetTag2Click() {
    ClearID3v2Boxes();
    TID3v2 tag;
    if (!tag.ReadTag(std::filesystem::path(Path())) || !tag.Exists())
        return;
    TagExistsValue2->setText(QStringLiteral("Yes"));
    VersionValue2->setText(QStringLiteral("2.") + QString::number(tag.Version()));
    SizeValue2->setText(QString::number(tag.Size()) + QStringLiteral(" bytes"));
    const std::pair<QLineEdit*, const std::string*> texts[] = {{TitleEdit2, &tag.Title()},
                                                               {ArtistEdit2, &tag.Artist()},
                                                               {AlbumEdit2, &tag.Album()},
                                                               {YearEdit2, &tag.Year()},
                                                               {GenreEdit2, &tag.Genre()},
                                                               {CommentEdit2, &tag.Comment()},
                                                               {ComposerEdit2, &tag.Composer()},
                                                               {EncoderEdit2, &tag.Encoder()},
                                                               {CopyrightEdit2, &tag.Copyright()},
                                                               {LanguageEdit2, &tag.Language()},
                                                               {LinkEdit2, &tag.Link()}};
    for (const auto& [edit, text] : texts)
        SetBoxText(edit, *text);
    if (tag.Track() != 0)
        SetBoxText(TrackEdit2, std::to_string(tag.Track()));
}

void TfrmMP3Tag::FormShow() {
    // An empty ID3v2 box shows the ID3v1 value, so saving turns an ID3v1 tag into ID3v2.
    const std::pair<QLineEdit*, QString> fallbacks[] = {
        {TrackEdit2, TrackEdit1->text()},    {TitleEdit2, TitleEdit1->text()},
        {ArtistEdit2, ArtistEdit1->text()},  {AlbumEdit2, AlbumEdit1->text()},
        {YearEdit2, YearEdit1->text()},      {GenreEdit2, GenreComboBox1->currentText()},
        {CommentEdit2, CommentEdit1->text()}};
    for (const auto& [edit, text] : fallbacks) {
        if (edit->text().isEmpty()) {
            edit->setText(text);
            edit->setCursorPosition(0);
        }
    }
}

void TfrmMP3Tag::SaveButton2Click() {
    if (!CheckFileWritable("save"))
        return;
    // The tag is read again, so that every box the user left alone keeps the tag's whole frame
    // (a box holds at most 250 characters). A box the ID3v1 fallback filled counts as edited.
    TID3v2 tag;
    const std::filesystem::path path(Path());
    const bool read = tag.ReadTag(path);
    const auto take = [&](QLineEdit* box, void (TID3v2::*set)(std::string_view)) {
        if (!read || BoxEdited(box))
            (tag.*set)(BoxText(box));
    };
    take(TitleEdit2, &TID3v2::SetTitle);
    take(ArtistEdit2, &TID3v2::SetArtist);
    take(AlbumEdit2, &TID3v2::SetAlbum);
    take(YearEdit2, &TID3v2::SetYear);
    take(GenreEdit2, &TID3v2::SetGenre);
    take(CommentEdit2, &TID3v2::SetComment);
    take(ComposerEdit2, &TID3v2::SetComposer);
    take(EncoderEdit2, &TID3v2::SetEncoder);
    take(CopyrightEdit2, &TID3v2::SetCopyright);
    take(LanguageEdit2, &TID3v2::SetLanguage);
    take(LinkEdit2, &TID3v2::SetLink);
    if (!read || BoxEdited(TrackEdit2))
        tag.SetTrack(TrackFromBox(TrackEdit2->text()));
    if (!CommitWrite([&] { return tag.WriteTag(path); })) {
        // The boxes keep the user's edits; the entry refresh would read them back from the file.
        WarnFailure("save", tag.LastError());
    }
}

void TfrmMP3Tag::RemoveButton2Click() {
    const std::filesystem::path path(Path());
    TID3v2 v2;
    if (v2.ReadTag(path) && v2.Exists()) {
        if (!CheckFileWritable("remove"))
            return;
        std::string failure;
        bool unchanged = true;
        const bool removed = CommitWrite([&] {
            if (!v2.RemoveTag(path)) {
                failure = v2.LastError();
                return false;
            }
            TID3v1 v1;
            if (!v1.RemoveTag(path)) {
                failure = "the ID3v2 tag was removed, but not the ID3v1 tag";
                unchanged = false;
                return false;
            }
            ClearID3v2Boxes();
            return true;
        });
        if (!removed)
            WarnFailure("remove", failure, unchanged);
        return;
    }
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        WarnFailure("remove", "the file no longer exists");
        return;
    }
    // Without an ID3v2 tag there is nothing to remove: the ID3v1 tag stays with the file.
    CommitWrite([] { return true; });
}

}  // namespace tv::tags::windows
