// Saves a picture of the equalizer window, with the equalizer on and the "Rock" preset
// picked, to the PNG file named on the command line (docs/screenshots/equalizer.png).

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>

#include "effects/windows/tfrmequalizer.h"
#include "fakeaudiolibrary.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    tv::testing::FakeAudioLibrary fake;
    tv::effects::EffectChain model(fake, {});
    tv::effects::TfrmEqualizer window(model);
    window.SetEqualizerChecked(true);
    window.boxEQSelect()->setCurrentIndex(1);
    window.boxEQSelectChange();
    window.CheckListBox1()->item(1)->setCheckState(Qt::Checked);
    window.CheckListBox1()->item(4)->setCheckState(Qt::Checked);
    window.show();
    app.processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
