#include "ui/aboutwindow.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QUrlQuery>

#include "ui/skin/imagebutton.h"
#include "ui/skin/skinpicture.h"

namespace tv::ui {

namespace {

struct Row {
    int top;
    int height;
    const char* text;  // nullptr: the mail address
    QRgb colour;
    int pixelSize;
};

constexpr QRgb kLight = qRgb(224, 224, 224);

// The client panel from the top: the name, the credits, the version and date, the call to
// testers in colours running from red to amber, and the mail link.
constexpr Row kRows[] = {
    {0, 64, "TORVANELL", kLight, 48},
    {64, 14, "Author and Designer:", kLight, 11},
    {78, 14, "The Torvanell developers", kLight, 11},
    {92, 14, "", kLight, 11},
    {106, 14, "Version 0.6 Beta", kLight, 11},
    {120, 14, "20.07.2007", kLight, 11},
    {134, 14, "", kLight, 11},
    {148, 14, "To take part in testing the program,", qRgb(255, 64, 0), 11},
    {162, 14, "find in the program a mistake", qRgb(255, 96, 0), 11},
    {176, 14, "and inform on it to the author:", qRgb(255, 128, 0), 11},
    {190, 14, nullptr, qRgb(255, 160, 0), 11},
    {204, 14, "", kLight, 11},
    {218, 14, "", kLight, 11},
    {232, 14, "Made with Qt, FFmpeg, libopenmpt, SDL2 and libmpv", kLight, 11},
    {246, 14, "Artwork drawn by the program's own skin generator", kLight, 11},
};
constexpr int kMailRow = 10;

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QWidget(parent), openUrl(&QDesktopServices::openUrl), m_drag(*this) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("About Torvanell"));
    // Closing it never ends the program, even while the main window is minimised.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(pal);
    // The window takes every key itself: no control of it holds the focus.
    setFocusPolicy(Qt::StrongFocus);
    BuildFrame();
    BuildLabels();
}

void TfrmAbout::BuildFrame() {
    Image3 = new SkinPicture(QStringLiteral("aboutTitle"), this);
    Image3->setGeometry(0, 0, kWidth, kTitleHeight);
    Image3->installEventFilter(this);
    const int side = kHeight - kTitleHeight - kBorder;
    auto piece = [this](const char* name, int x, int y, int w, int h) {
        auto* p = new SkinPicture(QString::fromLatin1(name), this);
        p->setGeometry(x, y, w, h);
    };
    piece("aboutLeft", 0, kTitleHeight, kBorder, side);
    piece("aboutRight", kWidth - kBorder, kTitleHeight, kBorder, side);
    piece("aboutBottom", 0, kHeight - kBorder, kWidth, kBorder);
    imgX = new ImageButton(QStringLiteral("iX1"), QStringLiteral("iX2"), QStringLiteral("Close"),
                           this);
    imgX->setGeometry(kWidth - 10 - 14, 6, 14, 14);
    imgX->onClick = [this] { close(); };
    Panel1 = new QWidget(this);
    Panel1->setGeometry(kBorder, kTitleHeight, kWidth - 2 * kBorder, side);
}

void TfrmAbout::BuildLabels() {
    for (const Row& row : kRows) {
        auto* label = new QLabel(Panel1);
        label->setGeometry(0, row.top, Panel1->width(), row.height);
        label->setAlignment(Qt::AlignCenter);
        label->setTextFormat(Qt::PlainText);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(row.pixelSize);
        f.setBold(true);
        label->setFont(f);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, QColor(row.colour));
        label->setPalette(pal);
        label->setText(row.text ? QString::fromUtf8(row.text) : QString::fromLatin1(kMailAddress));
        m_labels.push_back(label);
    }
    Label14 = m_labels[kMailRow];
    QFont f = Label14->font();
    f.setUnderline(true);
    Label14->setFont(f);
    Label14->setCursor(Qt::PointingHandCursor);
    Label14->installEventFilter(this);
}

QUrl TfrmAbout::MailUrl() {
    QUrl url(QStringLiteral("mailto:") + QString::fromLatin1(kMailAddress));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QString::fromLatin1(kMailSubject));
    url.setQuery(query);
    return url;
}

void TfrmAbout::Label14Click() {
    if (openUrl)
        openUrl(MailUrl());
}

void TfrmAbout::ShowCentred() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - kWidth) / 2, s.y() + (s.height() - kHeight) / 2);
    }
    show();
    raise();
    activateWindow();
    setFocus();
}

void TfrmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    event->accept();  // other keys do nothing
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    if (watched == Label14) {
        if (type == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton &&
            Label14->rect().contains(me->position().toPoint()))
            Label14Click();
        return type != QEvent::MouseMove;
    }
    if (watched == Image3) {
        // A left drag on the title bar moves the window; a click or another button does not.
        const QPoint pointer = me->globalPosition().toPoint();
        if (type == QEvent::MouseButtonPress)
            m_drag.Press(me->button() == Qt::LeftButton, pointer,
                         Image3->mapTo(this, me->position().toPoint()));
        else if (type == QEvent::MouseMove)
            m_drag.Move(pointer);
        else
            m_drag.Release();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tv::ui
