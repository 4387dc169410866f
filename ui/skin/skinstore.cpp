#include "ui/skin/skinstore.h"

#include <QFile>

static void InitSkinResource() {
    Q_INIT_RESOURCE(skin);
}

namespace tv::ui {

SkinStore& SkinStore::Instance() {
    static SkinStore store;
    return store;
}

SkinStore::SkinStore() {
    InitSkinResource();
}

QPixmap SkinStore::Picture(const QString& name, qreal devicePixelRatio) {
    const bool twice = devicePixelRatio > 1.0;
    const QString key = name + (twice ? QStringLiteral("@2x") : QString());
    auto it = m_cache.constFind(key);
    if (it != m_cache.constEnd())
        return *it;
    QPixmap picture;
    for (const char* ext : {".png", ".jpg"}) {
        const QString path = QStringLiteral(":/skin/") + key + QLatin1String(ext);
        if (QFile::exists(path) && picture.load(path))
            break;
    }
    if (twice && !picture.isNull())
        picture.setDevicePixelRatio(2.0);
    m_cache.insert(key, picture);
    return picture;
}

bool SkinStore::Has(const QString& name) {
    return !Picture(name).isNull();
}

}  // namespace tv::ui
