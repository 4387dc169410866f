#pragma once

// Stand-ins for secondary windows whose content arrives with the parts that own them; the
// program creates them once at start in their fixed order and keeps them hidden.

#include <QWidget>

namespace tv::ui {

class TfrmVideo : public QWidget {};

}  // namespace tv::ui
