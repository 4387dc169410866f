// The insert menu and the open dialog with its filter. What follows the dialog is the player
// model's (tests/core/playermodel_test.cpp).

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "playlist/scandir.h"
#include "playlist/windows/insertmenu.h"
#include "tests/fakes/casename.h"

namespace tv::playlist {
namespace {

namespace fs = std::filesystem;

const char* const kAudio =
    "*.mp3 *.mp2 *.mp1 *.wav *.ogg *.mo3 *.it *.xm *.s3m *.mtm *.mod *.umx *.wma *.wm *.ofr "
    "*.ofs *.flac *.wv *.aac *.mp4 *.ac3 *.alac *.ape *.mpc *.spx *.tta *.opus *.m4a *.oga *.aif "
    "*.aiff";
const char* const kVideo =
    "*.asf *.avi *.avs *.cme *.cof *.csa *.divx *.m1v *.m2v *.mls *.mpeg *.mpg *.ogm *.rm "
    "*.viv *.vob *.wmv *.3gp *.xqt *.mkv *.webm *.mov *.m4v *.flv *.ts *.mp4v";

TEST(OpenDialogFilter, ThreeEntriesInOrderWithEveryPatternOnce) {
    const QStringList filters = OpenDialogFilters();
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], QStringLiteral("All Multimedia Formats (%1 %2)").arg(kAudio, kVideo));
    EXPECT_EQ(filters[1], QStringLiteral("Audio Formats (%1)").arg(kAudio));
    EXPECT_EQ(filters[2], QStringLiteral("Video Formats (%1)").arg(kVideo));
    EXPECT_EQ(OpenDialogFilter(), filters.join(";;"));

    // The dialog itself parses it into the same three entries.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(OpenDialogFilter());
    EXPECT_EQ(dialog.nameFilters(), filters);
}

TEST(OpenDialog, OffersTheFiltersAndReturnsEveryChosenExistingFile) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string root = tmp.path().toStdString();
    for (const char* name : {"/a.mp3", "/b.ogg"})
        std::ofstream(root + name) << "x";
    QStringList offered;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {  // never leave a modal loop running
            ADD_FAILURE() << "no open dialog";
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        offered = dialog->nameFilters();
        mode = dialog->fileMode();
        dialog->setDirectory(tmp.path());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit) {
            ADD_FAILURE() << "no file name field";
            dialog->reject();
            return;
        }
        edit->setText(QStringLiteral("\"b.ogg\" \"a.mp3\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::vector<std::string> chosen = ShowOpenDialog(nullptr);
    EXPECT_EQ(offered, OpenDialogFilters());
    EXPECT_EQ(mode, QFileDialog::ExistingFiles);
    EXPECT_EQ(chosen, (std::vector<std::string>{root + "/b.ogg", root + "/a.mp3"}));

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_TRUE(ShowOpenDialog(nullptr).empty());
}

TEST(PlayMenu, TwoItemsShowingTheirKeysWithoutTakingThem) {
    QWidget owner;
    int n2 = 0, n3 = 0;
    const PlayMenuItems items = CreatePlayMenu(
        &owner, [&] { ++n2; }, [&] { ++n3; });
    ASSERT_NE(items.PlayMenu, nullptr);
    EXPECT_EQ(items.PlayMenu->parent(), &owner);
    EXPECT_EQ(items.PlayMenu->actions(), (QList<QAction*>{items.N2, items.N3}));
    EXPECT_EQ(items.N2->text(), "Insert file\tShift+Ins");
    EXPECT_EQ(items.N3->text(), "Insert folder\tIns");
    EXPECT_TRUE(items.N2->shortcut().isEmpty());
    EXPECT_TRUE(items.N3->shortcut().isEmpty());
    items.N2->trigger();
    EXPECT_EQ(std::pair(n2, n3), std::pair(1, 0));
    items.N3->trigger();
    EXPECT_EQ(std::pair(n2, n3), std::pair(1, 1));
}

}  // namespace
}  // namespace tv::playlist
