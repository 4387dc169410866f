#pragma once
// TfrmOGGTag ("Information"): shows and edits the comments of an Ogg Vorbis file, saves and
// clears them; the stream figures sit in hidden boxes. A save or removal that fails says so and
// keeps the window open with the user's edits.
//
// Threads: user-interface thread only.

#include "tags/windows/tagwindow.h"

class QGroupBox;
class QPushButton;

namespace tv::tags::windows {

class TfrmOGGTag : public TagWindow {
public:
    explicit TfrmOGGTag(QWidget* parent = nullptr);

    // btnGetTag1, as F2 and the entry refresh click it.
    void ReadTags() override;

    QGroupBox* GroupBox1 = nullptr;  // "Tag:"
    QLineEdit* EditValidHeader = nullptr;
    QLineEdit* EditFileSize = nullptr;
    QLineEdit* EditTitle = nullptr;
    QLineEdit* EditArtist = nullptr;
    QLineEdit* EditAlbum = nullptr;
    QLineEdit* EditTrack = nullptr;
    QLineEdit* EditDate = nullptr;
    QLineEdit* EditGenre = nullptr;
    QLineEdit* EditComment = nullptr;
    QPushButton* ButtonClearTag = nullptr;
    QPushButton* ButtonSaveTag = nullptr;
    QPushButton* ButtonClose = nullptr;

    // Hidden stream figures and actions.
    QLineEdit* EditChannelMode = nullptr;
    QLineEdit* EditSampleRate = nullptr;
    QLineEdit* EditBitRate = nullptr;
    QLineEdit* EditDuration = nullptr;
    QLineEdit* EditVendor = nullptr;
    QPushButton* btnGetTag1 = nullptr;
    QPushButton* btnGetTag2 = nullptr;

    void btnGetTag1Click();
    void ButtonSaveTagClick();
    void ButtonClearTagClick();

private:
    void ClearValueBoxes();
};

// Seconds with three decimals and no leading zero before the separator (".500", "12.346"),
// with the given decimal separator.
QString DurationBoxText(double seconds, const QString& decimalPoint);

}  // namespace tv::tags::windows
