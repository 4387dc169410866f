// torvanell-skin-generator OUTDIR: draws every picture of the skin at 1x and 2x ("name.png",
// "name@2x.png"; frames as JPEG) into OUTDIR and writes skin.qrc, which the build compiles
// into the program. Run by the build; change the look by editing skinart.cpp.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "ui/skin/skinart.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: torvanell-skin-generator OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    QString qrc =
        QStringLiteral("<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/skin\">\n");
    for (const auto& art : tv::ui::skin::AllSkinArt()) {
        const char* format = art.jpeg ? "JPG" : "PNG";
        const QString ext = art.jpeg ? QStringLiteral(".jpg") : QStringLiteral(".png");
        for (int scale : {1, 2}) {
            const QString file = art.name + (scale == 2 ? QStringLiteral("@2x") : QString()) + ext;
            if (!tv::ui::skin::RenderSkinArt(art, scale).save(dir.filePath(file), format, 95)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(file)));
                return 1;
            }
            qrc += QStringLiteral("    <file>%1</file>\n").arg(file);
        }
    }
    qrc += QStringLiteral("</qresource>\n</RCC>\n");
    QFile out(dir.filePath(QStringLiteral("skin.qrc")));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(qrc.toUtf8()) < 0)
        return 1;
    return 0;
}
