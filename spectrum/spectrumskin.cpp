#include "spectrum/spectrumskin.h"

#include <QFile>

// Resources of a static library are registered explicitly, from outside any namespace.
static void InitSpectrumResources() {
    Q_INIT_RESOURCE(spectrum);
}

namespace tv::spectrum {

QImage LoadSpectrumBackground() {
    InitSpectrumResources();
    return QImage(QString::fromLatin1(kBackgroundResource));
}

}  // namespace tv::spectrum
