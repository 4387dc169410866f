#pragma once

// The About window (TfrmAbout): borderless 480 x 300 with the skinned frame (a 25-pixel title
// bar, 5-pixel side borders and bottom bar), centred on the screen each time it opens. Its
// labels show the product, version and date, a call to testers and a mail link. Esc or the
// close image hides it; the title bar moves it. Created hidden at start, never destroyed
// before the program ends.
//
// Threads: user-interface thread only.

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <vector>

#include "ui/skin/windowdrag.h"

class QLabel;

namespace tv::ui {

class ImageButton;
class SkinPicture;

class TfrmAbout : public QWidget {
public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 300;
    static constexpr int kTitleHeight = 25;
    static constexpr int kBorder = 5;
    static constexpr const char* kMailAddress = "maintainers@users.noreply.c-seed-3bdec9ad.example";
    static constexpr const char* kMailSubject = "Torvanell 0.6 Beta Testing";

    explicit TfrmAbout(QWidget* parent = nullptr);

    // Opens the mail link; QDesktopServices::openUrl unless a test replaces it.
    std::function<bool(const QUrl&)> openUrl;

    // The mailto link Label14 opens: the address with the subject.
    static QUrl MailUrl();
    // Shows the window centred on its screen, in front.
    void ShowCentred();

    // The client panel's labels from the top, the empty rows included.
    const std::vector<QLabel*>& Labels() const { return m_labels; }
    QWidget* Panel1 = nullptr;      // the client panel inside the frame
    SkinPicture* Image3 = nullptr;  // the title bar; a left drag moves the window
    ImageButton* imgX = nullptr;    // "Close", with the main window's Exit pictures
    QLabel* Label14 = nullptr;      // the mail link

    void Label14Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildFrame();
    void BuildLabels();

    std::vector<QLabel*> m_labels;
    WindowDrag m_drag;
};

}  // namespace tv::ui
