#include "tags/windows/labelledbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QVariant>
#include <string>

namespace tv::tags::windows {

namespace {
constexpr const char* kShownText = "tvShownText";
}  // namespace

QLineEdit* LabelledBox(QWidget* parent, const QString& caption, const BoxPlace& place,
                       bool readOnly, int maxLength) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(place.x, place.y, place.captionW, kBoxHeight);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* box = new QLineEdit(parent);
    box->setGeometry(place.x + place.captionW, place.y, place.boxW, kBoxHeight);
    box->setReadOnly(readOnly);
    if (readOnly) {
        box->setFocusPolicy(Qt::ClickFocus);
        box->setStyleSheet(QStringLiteral("QLineEdit { background: palette(window); }"));
    }
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    label->setBuddy(box);
    return box;
}

std::string BoxText(const QLineEdit* box) {
    return box->text().toStdString();
}

void SetBoxText(QLineEdit* box, const std::string& text) {
    box->setText(QString::fromStdString(text));
    box->setCursorPosition(0);
    box->setProperty(kShownText, box->text());
}

void ClearBox(QLineEdit* box) {
    box->clear();
    box->setProperty(kShownText, QString());
}

bool BoxEdited(const QLineEdit* box) {
    return box->text() != box->property(kShownText).toString();
}

uint16_t TrackFromBox(const QString& text) {
    bool ok = false;
    const int track = text.trimmed().toInt(&ok);
    return ok && track > 0 && track <= 65535 ? uint16_t(track) : 0;
}

}  // namespace tv::tags::windows
