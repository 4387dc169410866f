#pragma once
// The building block of the information windows: a caption on the left and a text box beside
// it, placed at fixed pixels like the rest of the window's design.

#include <QString>
#include <cstdint>
#include <string>

class QLineEdit;
class QWidget;

namespace tv::tags::windows {

struct BoxPlace {
    int x, y;      // the caption's top left corner inside `parent`
    int captionW;  // the caption's width; the box starts right after it
    int boxW;      // the box's width
};

inline constexpr int kBoxHeight = 20;

// A caption `caption` and a line edit beside it; read-only boxes get the window colour.
// `maxLength` 0 keeps the edit's own limit.
QLineEdit* LabelledBox(QWidget* parent, const QString& caption, const BoxPlace& place,
                       bool readOnly, int maxLength = 0);

// The text of a box as UTF-8, the form every tag reader and writer takes.
std::string BoxText(const QLineEdit* box);
// Shows `text` (cut to the box's limit) and remembers what the box then holds.
void SetBoxText(QLineEdit* box, const std::string& text);
// Empties the box and forgets what SetBoxText showed in it.
void ClearBox(QLineEdit* box);
// Whether the box holds anything but what SetBoxText last showed in it (an empty box that
// nothing was shown in counts as shown). A save writes only the boxes that are edited: the
// others keep the file's value whole, however much of it the box could not hold.
bool BoxEdited(const QLineEdit* box);

// The track a box stands for: its text as a whole number from 1 to 65535, else 0 (no track).
uint16_t TrackFromBox(const QString& text);

}  // namespace tv::tags::windows
