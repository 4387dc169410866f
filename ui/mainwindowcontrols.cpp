// The main window's controls: each built at its place in the layout table, and what a click
// on each forwards to the player model.

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <algorithm>

#include "effects/windows/tfrmequalizer.h"
#include "spectrum/widget/spectrumview.h"
#include "ui/aboutwindow.h"
#include "ui/mainwindow.h"
#include "ui/playlistview.h"
#include "ui/seekknobs.h"
#include "ui/skin/imagebutton.h"
#include "ui/skin/mainlayout.h"
#include "ui/skin/skinpicture.h"
#include "ui/skin/skinstore.h"

namespace tv::ui {

namespace {

constexpr int kTrackLeft = layout::kImage4.x;
constexpr int kKnobWidth = layout::kKnobWidth;  // Image5, Image10

QColor ToColour(const layout::Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

QLabel* MakeLabel(QWidget* parent, const layout::Place& at, const layout::TextStyle& style) {
    auto* label = new QLabel(parent);
    label->setGeometry(at.x, at.y, at.w, at.h);
    QFont f(QString::fromLatin1(layout::kFontFamily));
    f.setPixelSize(style.pixelSize);
    f.setBold(style.bold);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);  // an ampersand stays an ampersand
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ToColour(style.colour));
    label->setPalette(pal);
    return label;
}

ImageButton* MakeButton(QWidget* parent, const layout::Place& at, const QString& picture,
                        const QString& hint) {
    auto* b = new ImageButton(picture + "1", picture + "2", hint, parent);
    b->setGeometry(at.x, at.y, at.w, at.h);
    return b;
}

SkinPicture* MakePicture(QWidget* parent, const layout::Place& at, const QString& picture) {
    auto* p = new SkinPicture(picture, parent);
    p->setGeometry(at.x, at.y, at.w, at.h);
    return p;
}

QFrame* MakeBar(QWidget* parent, int x, int y, int w, int h, const QColor& color) {
    auto* bar = new QFrame(parent);
    bar->setGeometry(x, y, w, h);
    bar->setAutoFillBackground(true);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, color);
    bar->setPalette(pal);
    return bar;
}

}  // namespace

core::TrackGeometry MainTrackGeometry() {
    return core::TrackGeometry{kTrackLeft, layout::kImage4.w, kKnobWidth};
}

void TfrmMain::BuildControls() {
    imgi = MakeButton(this, layout::kImgi, QStringLiteral("iI"), QStringLiteral("Information"));
    img_ = MakeButton(this, layout::kImg_, QStringLiteral("i_"), QStringLiteral("Minimize"));
    imgX = MakeButton(this, layout::kImgX, QStringLiteral("iX"), QStringLiteral("Exit"));
    lbPosLen = MakeLabel(this, layout::kLbPosLen, layout::kLargeDisplayText);
    boxPaint = new spectrum::SpectrumView(
        m_model.Library(), [this] { return Player().PlayState(); },
        [this] { return Player().Channel(); },
        SkinStore::Instance().Picture(QStringLiteral("spectrumBackground")).toImage(), this);
    boxPaint->move(layout::kBoxPaint.x, layout::kBoxPaint.y);
    boxPaint->hide();
    tmrFFT = &boxPaint->tmrFFT();
    lbBitRate = MakeLabel(this, layout::kLbBitRate, layout::kSmallDisplayText);
    lbChannelMode = MakeLabel(this, layout::kLbChannelMode, layout::kSmallDisplayText);
    lbTitle = MakeLabel(this, layout::kLbTitle, layout::kLargeDisplayText);
    // Presses on the plain displays reach the background, which drags the window.
    for (QLabel* label : {lbBitRate, lbChannelMode, lbTitle})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image4 = MakePicture(this, layout::kImage4, QStringLiteral("seekTrack"));
    Image4->setCursor(Qt::SizeHorCursor);
    imgTrack = MakePicture(this, layout::kImgTrack, QStringLiteral("seekFill"));
    imgTrack->resize(0, layout::kImgTrack.h);
    imgTrack->setAttribute(Qt::WA_TransparentForMouseEvents);
    const layout::Place knob{kTrackLeft, layout::kImage4.y, kKnobWidth, layout::kKnobHeight};
    Image5 = MakePicture(this, knob, QStringLiteral("seekMarker"));
    Image5->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image10 = MakePicture(this, knob, QStringLiteral("seekKnob"));
    Image10->setCursor(Qt::SizeHorCursor);
    Image5->hide();
    Image10->hide();

    btnrnd = MakeButton(this, layout::kBtnrnd, QStringLiteral("iRnd"), QString());
    btnrpl = MakeButton(this, layout::kBtnrpl, QStringLiteral("iRpl"), QString());
    bBack = MakeButton(this, layout::kBBack, QStringLiteral("iBack"), QStringLiteral("Previous"));
    bPlay = MakeButton(this, layout::kBPlay, QStringLiteral("iPlay"), QStringLiteral("Play"));
    bPause = MakeButton(this, layout::kBPause, QStringLiteral("iPause"), QStringLiteral("Pause"));
    bStop = MakeButton(this, layout::kBStop, QStringLiteral("iStop"), QStringLiteral("Stop"));
    bNext = MakeButton(this, layout::kBNext, QStringLiteral("iNext"), QStringLiteral("Next"));
    bEject = MakeButton(this, layout::kBEject, QStringLiteral("iEject"),
                        QStringLiteral("Insert / Eject"));
    bEQ = MakeButton(this, layout::kBEQ, QStringLiteral("iEq"), QStringLiteral("Equalizer"));
    const layout::Place& panel = layout::kMainPanel;
    auto* mainPanel =
        MakeBar(this, panel.x, panel.y, panel.w, panel.h, ToColour(layout::kMainPanelColour));
    MainPanel = mainPanel;
    PlayList = new PlaylistView(Playlist(), mainPanel, this);
    // The two columns are a pixel narrower than the panel: the list covers the whole panel so
    // that no line of the panel's colour shows beside the scroller.
    PlayList->setGeometry(0, 0, panel.w, panel.h);
    PlayList->Scroller()->setGeometry(layout::kPanel1.x, layout::kPanel1.y, layout::kPanel1.w,
                                      layout::kPanel1.h);
    PlayList->AttachPlayer(&Player());
    PlayList->onActivate = [this] { Advance().PlayListDblClick(); };
    PlayList->onPause = [this] { Player().btnPauseClick(); };
    PlayList->onVideoSeek = [this](bool forward) { m_frmVideo->Logic().StepPosBar(forward); };
    PlayList->onMinimise = [this] { showMinimized(); };
    PlayList->onAbout = [this] { ShowAbout(); };
    PlayList->onTags = [this](int row) { OpenTags(row); };
    PlayList->onInsertFile = [this] { N2Click(); };
    PlayList->onInsertFolder = [this] { N3Click(); };
    Label1 = MakeLabel(this, layout::kLabel1, layout::kSearchCaption);
    Label1->setText(QStringLiteral("Search:"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Search = new QLineEdit(this);
    Search->setGeometry(layout::kSearch.x, layout::kSearch.y, layout::kSearch.w, layout::kSearch.h);
    Search->setFrame(false);
    Search->setMaxLength(256);
    Search->setPlaceholderText(QStringLiteral("Search"));
    Search->setToolTip(QStringLiteral("Search"));
    Search->setStyleSheet(QStringLiteral("background: silver; font-size: 10px;"));
    PlayList->AttachSearch(Search);

    tmrMain = new QTimer(this);
    tmrMain->setInterval(10);
    connect(tmrMain, &QTimer::timeout, this, &TfrmMain::tmrMainTimer);
}

void TfrmMain::ConnectControls() {
    ApplyModeLooks();
    bNext->onClick = [this] { Advance().btnNextClick(); };
    bBack->onClick = [this] { Advance().btnBackClick(); };
    // The mode buttons' click switches the mode, and with it the pictures, before the release
    // shows the normal picture of the new mode.
    btnrnd->onClick = [this] { Advance().btnrndClick(); };
    btnrpl->onClick = [this] { Advance().btnrplClick(); };

    bPlay->onClick = [this] { Player().btnPlayClick(); };
    bPause->onClick = [this] { Player().btnPauseClick(); };
    bStop->onClick = [this] { Player().btnStopClick(); };
    imgX->onClick = [this] { close(); };
    m_playMenu = playlist::CreatePlayMenu(
        this, [this] { N2Click(); }, [this] { N3Click(); });
    playlist::AddReplayGainMenu(
        m_playMenu.PlayMenu, [this] { return Player().ReplayGain(); },
        [this](const core::ReplayGainSettings& r) { Player().SetReplayGain(r); });
    bEject->onClick = [this] { ShowPlayMenu(); };
    bEQ->onClick = [this] { ShowEqualizer(); };
    img_->onClick = [this] { showMinimized(); };
    imgi->onClick = [this] { ShowAbout(); };
    m_seekKnobs = std::make_unique<SeekKnobs>(
        SeekKnobParts{this, Image4, Image10, lbPosLen, tmrMain, kTrackLeft, kKnobWidth,
                      layout::kKnobTravel},
        m_model, [this](int x, int travel) { m_frmVideo->Logic().SetPosBarFraction(x, travel); },
        [this] { StartMainTimer(); });
    BuildContextMenu();
}

void TfrmMain::ApplyModeLooks() {
    const core::MainSettings& modes = m_model.Modes();
    const core::ButtonLook rnd = core::RandomButtonLook(modes.random);
    btnrnd->SetPictures(QString::fromStdString(rnd.picture),
                        QString::fromStdString(core::RandomPressedPicture(modes.random)));
    btnrnd->setToolTip(QString::fromStdString(rnd.hint));
    const auto rpl = core::ReplayButtonLook(modes.replay);
    const auto rplPressed = core::ReplayPressedPicture(modes.replay);
    if (rpl && rplPressed) {
        btnrpl->SetPictures(QString::fromStdString(rpl->picture),
                            QString::fromStdString(*rplPressed));
        btnrpl->setToolTip(QString::fromStdString(rpl->hint));
    }
}

std::vector<std::string> TfrmMain::TickedSpectrumItems() const {
    std::vector<std::string> out;
    for (int i = 0; i < spectrum::kSpectrumMenuItemCount; ++i) {
        const auto item = static_cast<spectrum::SpectrumMenuItem>(i);
        if (boxPaint->Controller().Menu().Checked(item))
            out.emplace_back(spectrum::SpectrumMenuModel::Caption(item));
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace tv::ui
