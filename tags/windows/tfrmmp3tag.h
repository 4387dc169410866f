#pragma once
// TfrmMP3Tag ("Information"): shows and edits the ID3v2 tag of an MPEG audio file, keeps the
// ID3v1 tag's values in a hidden group as the fallback for empty ID3v2 boxes, saves the ID3v2
// tag and removes both tags. A save or removal that fails says so and keeps the window open
// with the user's edits.
//
// Threads: user-interface thread only.

#include "tags/windows/tagwindow.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace tv::tags::windows {

class TfrmMP3Tag : public TagWindow {
public:
    explicit TfrmMP3Tag(QWidget* parent = nullptr);

    // btnGetTag2, then btnGetTag1, as F2 and the entry refresh click them.
    void ReadTags() override;

    // "ID3v2:"
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* TagExistsValue2 = nullptr;
    QLineEdit* VersionValue2 = nullptr;
    QLineEdit* SizeValue2 = nullptr;
    QLineEdit* TitleEdit2 = nullptr;
    QLineEdit* ArtistEdit2 = nullptr;
    QLineEdit* AlbumEdit2 = nullptr;
    QLineEdit* TrackEdit2 = nullptr;
    QLineEdit* YearEdit2 = nullptr;
    QLineEdit* GenreEdit2 = nullptr;
    QLineEdit* CommentEdit2 = nullptr;
    QLineEdit* ComposerEdit2 = nullptr;
    QLineEdit* EncoderEdit2 = nullptr;
    QLineEdit* CopyrightEdit2 = nullptr;
    QLineEdit* LanguageEdit2 = nullptr;
    QLineEdit* LinkEdit2 = nullptr;
    QPushButton* RemoveButton2 = nullptr;
    QPushButton* SaveButton2 = nullptr;
    QPushButton* Button1 = nullptr;  // "Close"

    // Hidden: the ID3v1 values and the two reading actions.
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* TagExistsValue1 = nullptr;
    QLineEdit* TagVersionValue1 = nullptr;
    QLineEdit* TitleEdit1 = nullptr;
    QLineEdit* ArtistEdit1 = nullptr;
    QLineEdit* AlbumEdit1 = nullptr;
    QLineEdit* TrackEdit1 = nullptr;
    QLineEdit* YearEdit1 = nullptr;
    QLineEdit* CommentEdit1 = nullptr;
    QComboBox* GenreComboBox1 = nullptr;
    QPushButton* btnGetTag1 = nullptr;
    QPushButton* btnGetTag2 = nullptr;

    void btnGetTag1Click();
    void btnGetTag2Click();
    void SaveButton2Click();
    void RemoveButton2Click();

protected:
    void FormShow() override;

private:
    void BuildID3v2Group();
    void BuildID3v1Group();
    void ClearID3v2Boxes();
};

}  // namespace tv::tags::windows
