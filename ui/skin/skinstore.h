#pragma once

// The skin store (ScrollBox2): every picture of the skin by name, decoded once from the
// program's resources (drawn at build time by the skin generator, see skinart.h). Buttons and
// pictures copy from it; it is never shown. A 2x picture is chosen for a device pixel ratio
// above 1, so the skin stays sharp on HiDPI screens.
//
// Threads: user-interface thread only.

#include <QHash>
#include <QPixmap>
#include <QString>

namespace tv::ui {

class SkinStore {
public:
    static SkinStore& Instance();
    // The picture `name` for a device pixel ratio; a null pixmap for an unknown name.
    QPixmap Picture(const QString& name, qreal devicePixelRatio = 1.0);
    bool Has(const QString& name);

private:
    SkinStore();
    QHash<QString, QPixmap> m_cache;
};

}  // namespace tv::ui
